#pragma once

// Squeezing the blank space out of a line's text, the costly part of its key
// under -b and -w: eight bytes at a time, by one of two ways.

#include "engine/texthash.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lindo {

// The high bit of every byte of word that is blank space, nothing else: the
// bytes of tab to carriage return, and the blank.
constexpr std::uint64_t BlankBytes(std::uint64_t word)
{
    const std::uint64_t low = word & ~kHighBits;
    const std::uint64_t atLeastTab = low + kEveryByte * (0x80 - '\t');
    const std::uint64_t aboveCr = low + kEveryByte * (0x80 - '\r' - 1);
    return (atLeastTab & ~aboveCr & ~word & kHighBits) | BytesEqualTo(word, ' ');
}

// Writes the key of text, but for its case folding, to out (room for
// text.size() + 8 bytes) and returns its length. A run of blank space leaves
// one blank behind only when more text follows it and runs are not dropped
// altogether (dropAll). Takes the fastest way this processor has.
std::size_t SqueezeBlanks(std::string_view text, bool dropAll, char *out);

// The ways, as SqueezeBlanks, for tests to hold each to the same result.
using SqueezeWay = std::size_t (*)(std::string_view text, bool dropAll, char *out);
// Stores every byte of a word at the place it goes: runs anywhere.
std::size_t SqueezeBlanksByStores(std::string_view text, bool dropAll, char *out);
// Gathers the staying bytes of 64 at a time with one instruction (x86-64
// AVX-512 VBMI2); null where the processor or the compiler has none.
SqueezeWay GatheringSqueeze();

} // namespace lindo
