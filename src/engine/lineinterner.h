#pragma once

// The prepare step of a comparison: every distinct line text of both sides
// gets one small id, in one pass over the lines, so that the matching can
// count, look up and compare lines as integers.

#include "engine/bytebuffer.h"
#include "engine/difftypes.h"

#include <cstdint>
#include <vector>

namespace lindo {

// Expects each side-1 line's textId to hold its TextTag (as ReadLines leaves
// it; side 2's are not read) and replaces every line's textId by the text's
// id; returns the number of distinct texts. Ids are numbered in the order
// their texts first occur, side 1's lines before side 2's. With tags, also
// fills it with each id's TextTag, by id.
std::uint32_t InternLines(DiffLines &lines1, DiffLines &lines2, std::vector<std::uint32_t> *tags = nullptr);

constexpr std::size_t kInternChunk = std::size_t{1} << 20;

// InternLines for two different files with a smaller peak: interns lines1
// (cut with tags), then cuts bytes2 into lines2 and interns it a chunk at a
// time. Every side-2 line then views the bytes of the first line, of either
// side, with its text, so bytes2 keeps only the texts side 1 lacks, moved to
// its front, and the pages of the rest are handed back as the cut goes on.
// chunk is the number of bytes2's bytes cut and interned at a time; tags as
// for InternLines.
std::uint32_t InternCompacting(DiffLines &lines1, ByteBuffer &bytes2, DiffLines &lines2,
                               std::size_t chunk = kInternChunk, std::vector<std::uint32_t> *tags = nullptr);

} // namespace lindo
