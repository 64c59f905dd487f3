#pragma once

// Which characters of two paired differing lines differ, for painting a tint
// behind them. The result always covers whole UTF-8 characters (a byte that
// starts no valid character counts as one character of its own), so a
// painter never splits one.
//
// The lines are compared word by word: a word is a run of ASCII letters,
// digits and underscores; every other character (a blank, a punctuation
// mark, a multi-byte UTF-8 character, a stray byte) is a word of its own.
// The smallest set of words to drop from each line so that the rest agree is
// marked, as long as finding it stays cheap; otherwise, and on lines past the
// limits below, everything between the lines' common head and common tail is
// marked instead.

#include "engine/linekey.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace lindo {

// The bytes [begin, end) of one line.
struct ByteSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool operator==(const ByteSpan &) const = default;
};

// The differing bytes of each of the two lines, as sorted, disjoint and
// non-adjacent spans. Equal lines give none.
struct LineChanges {
    std::vector<ByteSpan> first;
    std::vector<ByteSpan> second;
};

// More words than this on either side, once the common head and tail are set
// aside, and the whole middle is marked. A line of ordinary text has a few
// hundred words; the limit bounds the memory of one search.
inline constexpr std::size_t kMaxLineChangeWords = 20000;

// The word-by-word search stops after this many dropped words in all, or this
// many word comparisons, and marks the whole middle instead: past that the
// lines have so little in common that a finer tint tells the reader nothing,
// and the search's time grows with the product of length and differences.
inline constexpr std::size_t kMaxLineChangeEdits = 1000;
inline constexpr std::size_t kMaxLineChangeComparisons = 4000000;

// Differences the options ignore are not marked:
// - ignoreCase: words differing only in ASCII letter case are equal;
// - ignoreSpaceChange: a run of blanks (spaces, tabs) is one word equal to any
//   other run, and blanks at the end of a line are never marked;
// - ignoreAllSpace: blanks are never marked and lines that differ only in
//   blanks give none; blanks still end words, so "ab" and "a b" share no word.
LineChanges FindLineChanges(std::string_view line1, std::string_view line2, const LineKeyOptions &options = {});

} // namespace lindo
