#pragma once

// Squeezing the blank space out of a line's text, the costly part of its key
// under -b and -w: 64 bytes at a time where the processor can, else eight.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lindo {

// What a key's room needs beyond its text's size.
inline constexpr std::size_t kSqueezeRoom = 64;

// Writes the key of text, but for its case folding, to out (room for
// text.size() + kSqueezeRoom bytes) and returns its length. A run of blank
// space leaves one blank behind only when more text follows it and runs are
// not dropped altogether (dropAll). Takes the fastest way this processor has.
std::size_t SqueezeBlanks(std::string_view text, bool dropAll, char *out);

// Whether SqueezeBlanks would leave text as it is (then its key, but for
// case folding, is the text itself and needs no copy). May answer false for
// a text that is left as it is, never true for one that is not. Takes the
// fastest way this processor has.
bool SqueezedAlready(std::string_view text, bool dropAll);

// The ways, for tests to hold each to the same results.
using SqueezeWay = std::size_t (*)(std::string_view text, bool dropAll, char *out);
using SqueezedCheck = bool (*)(std::string_view text, bool dropAll);
struct SqueezeWays {
    SqueezeWay squeeze = nullptr;
    SqueezedCheck check = nullptr;
};
// Eight bytes at a time, storing every byte of a word at the place it goes:
// these run anywhere.
std::size_t SqueezeBlanksByStores(std::string_view text, bool dropAll, char *out);
bool SqueezedAlreadyByWords(std::string_view text, bool dropAll);
// Sixty-four bytes at a time, the staying bytes gathered by one instruction
// (x86-64 AVX-512 VBMI2); nulls where the processor or the compiler has none.
SqueezeWays GatheringSqueeze();

} // namespace lindo
