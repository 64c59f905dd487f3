#pragma once

// What counts as the same line when a comparison ignores blanks or letter
// case: each line is compared by a key made from its text, while everything
// shown and written keeps the line's own bytes.

#include "engine/difftypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lindo {

struct LineKeyOptions {
    bool ignoreSpaceChange = false; // runs of blanks and tabs are one blank; none at the end
    bool ignoreAllSpace = false;    // blanks and tabs are dropped (wins over ignoreSpaceChange)
    bool ignoreCase = false;        // ASCII letters are folded to lower case

    bool Any() const { return ignoreSpaceChange || ignoreAllSpace || ignoreCase; }
    bool operator==(const LineKeyOptions &) const = default;
};

// Whether the byte is a blank as the options see it: a space or a tab.
constexpr bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Replaces key's contents with the key of text under options; with no
// option set the key is the text itself.
void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key);

// Expects every line's textId to be the interned id of its text (idCount
// distinct texts over both sides) and replaces it by the id of the text's
// key under options; returns the number of distinct keys. Each distinct text
// is keyed once, however often it occurs.
std::uint32_t RekeyLines(DiffLines &lines1, DiffLines &lines2, std::uint32_t idCount, const LineKeyOptions &options);

// True when some line of lines has an id no other line of them has; ids are
// below idCount.
bool HasLoneId(const DiffLines &lines, std::uint32_t idCount);

} // namespace lindo
