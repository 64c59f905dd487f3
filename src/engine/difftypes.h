#pragma once

// The plain records of a two-file comparison. They carry no behaviour; the
// DiffEngine fills them and everything else reads them.

#include "engine/largeblock.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace lindo {

// 32-bit colour value 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour MakeColour(int red, int green, int blue)
{
    return static_cast<Colour>(red & 0xFF) | (static_cast<Colour>(green & 0xFF) << 8)
           | (static_cast<Colour>(blue & 0xFF) << 16);
}

// One line of a file. The text is a view into the engine's buffer for that
// side, valid until the next successful Load.
struct DiffLine {
    std::string_view text; // the line's bytes without its line end
    std::int32_t link = -1; // matched line of the other side, -1 for none
    // Interned form of `text`: within one comparison two lines (of either
    // side) have equal ids exactly when their bytes are equal. Lets the
    // matching compare and hash small integers instead of strings.
    std::uint32_t textId = 0;
};

using DiffLines = LargeVector<DiffLine>;

// Section state bits.
enum SectionFlags : std::uint32_t {
    Matched = 1,         // every line linked, links consecutive in the other file
    UnmatchedFirst = 2,  // a run of unmatched lines of side 1
    UnmatchedSecond = 4, // a run of unmatched lines of side 2
    Selected = 8,        // taken into the merge output
};

// A run of consecutive lines of one side that share one state.
struct DiffSection {
    const DiffLines *file = nullptr; // the side's line list that first/last index; not owned
    std::int32_t first = -1;
    std::int32_t last = -1;    // inclusive
    std::int32_t partner = -1; // paired section of the other side
    // Only for an unpaired unmatched section: the other side's section above
    // which it stands (that side's section count when it stands at the end).
    std::int32_t above = -1;
    std::uint32_t flags = 0;

    bool IsMatched() const { return (flags & Matched) != 0; }
    bool IsSelected() const { return (flags & Selected) != 0; }
};

// One side of a comparison: its lines in file order and its sections in line order.
struct DiffFile {
    DiffLines lines;
    std::vector<DiffSection> sections;
};

// What a section means to the user, derived from its flags and fields.
enum class SectionStatus {
    Matching,       // "Matching"
    Different,      // "Different": unmatched with a partner
    OnlyInThisFile, // "Only in this file": unmatched, no partner, placed
    None,           // unmatched, neither paired nor placed (its side's single section)
};

SectionStatus StatusOf(const DiffSection &section);

} // namespace lindo
