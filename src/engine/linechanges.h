#pragma once

// Which characters of two paired differing lines differ, for painting a tint
// behind them. The result always covers whole UTF-8 characters (a byte that
// starts no valid character counts as one character of its own), so a
// painter never splits one.

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

// Differences the options ignore (case, blanks) are not marked.
LineChanges FindLineChanges(std::string_view line1, std::string_view line2, const LineKeyOptions &options = {});

} // namespace lindo
