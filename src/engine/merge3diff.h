#pragma once

// The alignment step of the three-way merge: each side's lines compared with
// the base's by a monotonic line diff. It follows the choices git's diff
// makes where several alignments cost the same (ends trimmed, lines with no
// match set aside first, the same middle-snake search and the same sliding
// of changed groups), so that a merge agrees with git's wherever git's is
// clean.

#include "engine/merge3.h"
#include "engine/runboth.h"

#include <cstdint>
#include <vector>

namespace lindo {

// Lines of one side that replace lines of the base: base lines
// [baseFirst, baseFirst + baseCount) became side lines
// [sideFirst, sideFirst + sideCount). Between two hunks lies at least one
// line the two files share.
struct Merge3Hunk {
    std::int32_t baseFirst = 0;
    std::int32_t baseCount = 0;
    std::int32_t sideFirst = 0;
    std::int32_t sideCount = 0;
};

// Every line of the three files as a number: equal numbers for equal texts
// among the base's texts. A side line whose text the base lacks is kNoBaseText.
inline constexpr std::uint32_t kNoBaseText = 0xFFFFFFFFu;

// The number of each line of one file; large lists in huge pages.
using Merge3Ids = LargeVector<std::uint32_t>;

struct Merge3LineIds {
    std::array<Merge3Ids, 3> ids;
    std::uint32_t texts = 0; // distinct texts of the base
};

void NumberMerge3Lines(const std::array<const Merge3Text *, 3> &texts, Merge3LineIds &lineIds);

// The hunks of side (kMerge3First or kMerge3Second) against the base, in
// file order.
std::vector<Merge3Hunk> DiffMerge3Side(const std::array<const Merge3Text *, 3> &texts, const Merge3LineIds &lineIds,
                                       int side);

} // namespace lindo
