#pragma once

// The prepare step of a comparison: every distinct line text of both sides
// gets one small id, in one pass over the lines, so that the matching can
// count, look up and compare lines as integers.

#include "engine/difftypes.h"

#include <cstdint>

namespace lindo {

// Expects each line's textId to hold its TextTag (as ReadLines leaves it) and
// replaces it by the text's id; returns the number of distinct texts. When
// the two sides are known to be the same bytes, side 2 takes side 1's ids
// without a lookup of its own.
std::uint32_t InternLines(DiffLines &lines1, DiffLines &lines2, bool sameBytes = false);

// True when some line's text provably occurs exactly once among lines. Only
// a few lines spread over the file are tried, in one pass, so false means
// "none found", not "none".
bool HasUniqueLine(const DiffLines &lines);

} // namespace lindo
