#pragma once

// The prepare step of a comparison: every distinct line text of both sides
// gets one small id, in one hashing pass, so that the matching can count,
// look up and compare lines as integers.

#include "engine/difftypes.h"

#include <cstdint>

namespace lindo {

// Sets textId on every line of both lists; returns the number of distinct texts.
std::uint32_t InternLines(DiffLines &lines1, DiffLines &lines2);

} // namespace lindo
