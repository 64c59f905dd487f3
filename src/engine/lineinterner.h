#pragma once

// The prepare step of a comparison: every distinct line text of both sides
// (with options, every distinct key) gets one small id, in one pass over the
// lines, so that the matching can count, look up and compare lines as
// integers.

#include "engine/bytebuffer.h"
#include "engine/difftypes.h"
#include "engine/linekey.h"

#include <cstdint>

namespace lindo {

// Expects each side-1 line's textId to hold its key's tag under keys (as
// TagLines leaves it given the same keys; side 2's are not read) and
// replaces every line's textId by the id of its key; returns the number of
// distinct keys. Without options a line's key is its text. Ids are
// numbered in the order their keys first occur, side 1's lines before
// side 2's.
std::uint32_t InternLines(DiffLines &lines1, DiffLines &lines2, const LineKeyOptions &keys = {});

constexpr std::size_t kInternChunk = std::size_t{1} << 20;

// InternLines for two different files with a smaller peak: interns lines1
// (tagged as for InternLines), then cuts bytes2 into lines2 and interns it a chunk at a
// time. Every side-2 line whose text is known by then views the bytes of
// the first line, of either side, with that text, so bytes2 keeps only the
// texts side 1 lacks, moved to its front, and the pages of the rest are
// handed back as the cut goes on. (With options, a text is known when the
// first line with its key has it too; a text whose key came first with
// another text is kept, once per line.) chunk is the number of bytes2's
// bytes cut and interned at a time.
std::uint32_t InternCompacting(DiffLines &lines1, ByteBuffer &bytes2, DiffLines &lines2,
                               std::size_t chunk = kInternChunk, const LineKeyOptions &keys = {});

} // namespace lindo
