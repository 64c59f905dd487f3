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
    bool ignoreSpaceChange = false; // runs of blank space are one blank; none at the end
    bool ignoreAllSpace = false;    // blank space is dropped (wins over ignoreSpaceChange)
    bool ignoreCase = false;        // ASCII letters are folded to lower case

    bool Any() const { return ignoreSpaceChange || ignoreAllSpace || ignoreCase; }
    bool operator==(const LineKeyOptions &) const = default;
};

// Whether the byte is blank space as the options see it: what isspace
// takes in the C locale, as GNU diff's -b and -w do (space, tab, line feed,
// vertical tab, form feed, carriage return).
constexpr bool IsBlank(char c)
{
    return c == ' ' || static_cast<unsigned>(static_cast<unsigned char>(c) - '\t') <= '\r' - '\t';
}

// The byte with an ASCII capital made small; branch-free, so that loops of
// it can fold many bytes at a time.
constexpr char FoldedAscii(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return static_cast<char>(byte | (static_cast<unsigned>(byte - 'A') < 26u ? 0x20 : 0));
}

// Replaces key's contents with the key of text under options; with no
// option set the key is the text itself.
void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key);

// Whether two texts have the same key, read without making the keys.
bool SameLineKey(std::string_view text1, std::string_view text2, const LineKeyOptions &options);

// The tag of the key of text under options, as TextTag gives it for the key
// made: equal keys get equal tags. A key that is not the text itself is
// made in room.
std::uint32_t KeyTag(std::string_view text, const LineKeyOptions &options, std::string &room);

} // namespace lindo
