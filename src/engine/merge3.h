#pragma once

// The three-way merge: two versions of a file (FILE1, FILE2) merged against
// the version both were made from (BASE). Each side is aligned with the base
// by a monotonic line diff; the base is then walked stretch by stretch, and
// a stretch changed on one side takes that side's lines, one changed alike on
// both is taken once, and one changed differently on both is a conflict.
//
// The three files are indexed 0 (FILE1), 1 (BASE) and 2 (FILE2) throughout.

#include "engine/bytebuffer.h"
#include "engine/largeblock.h"
#include "engine/textencoding.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lindo {

inline constexpr int kMerge3First = 0;
inline constexpr int kMerge3Base = 1;
inline constexpr int kMerge3Second = 2;

// One of the three files: its text as UTF-8, and its lines, each viewing the
// text with its own line end (LF or CR LF); only the last may lack one. A
// file read as valid UTF-8 without a BOM keeps its bytes as they are.
// A file's lines, each viewing its bytes; large lists in huge pages.
using Merge3Lines = LargeVector<std::string_view>;

struct Merge3Text {
    ByteBuffer bytes;
    Merge3Lines lines;
    TextEncoding encoding; // what the file's bytes were read as
    bool nonAscii = false; // whether the text holds anything outside ASCII
};

// Reads the file at path into text, decoded as DecodeText decodes it (files
// neither UTF-8 nor marked by a BOM in fallback), and cuts its lines.
// Returns 0 or an errno value, as ReadFileBytes does.
int ReadMerge3Text(const std::string &path, Merge3Text &text);
int ReadMerge3Text(const std::string &path, Merge3Text &text, const std::string &fallback);

// The encoding the merge is written in: the three files' own when they
// share one (BOM and all); otherwise the one shared by the files that hold
// text outside ASCII, when they share one; otherwise UTF-8 without a BOM.
TextEncoding Merge3Encoding(const std::array<const Merge3Text *, 3> &texts);

// Cuts text.bytes into text.lines (after a change of the bytes).
void CutMerge3Lines(Merge3Text &text);

enum class Merge3Kind : std::uint8_t {
    Unchanged,  // the same lines in all three files
    FirstOnly,  // changed in FILE1 only: the merge takes FILE1's lines
    SecondOnly, // changed in FILE2 only: the merge takes FILE2's lines
    BothAlike,  // changed the same way in both: taken once
    Conflict,   // changed differently in both (overlapping or touching)
};

// A stretch of the merge: lines [first[f], first[f] + count[f]) of each file
// f. Stretches come in file order and together cover every line of all three
// files, each line once. A count may be 0 (an insertion or a deletion).
struct Merge3Stretch {
    Merge3Kind kind = Merge3Kind::Unchanged;
    std::array<std::int32_t, 3> first{};
    std::array<std::int32_t, 3> count{};
};

struct Merge3Result {
    std::vector<Merge3Stretch> stretches;
    std::size_t conflicts = 0; // stretches of kind Conflict
};

// Merges texts[0] (FILE1) and texts[2] (FILE2) against texts[1] (BASE).
Merge3Result Merge3(const std::array<const Merge3Text *, 3> &texts);

// The conflict markers' labels (git's: the file names as given).
struct Merge3Labels {
    std::string first;
    std::string base;
    std::string second;
};

// Appends the merge to out: every stretch but a conflict as the merge takes
// it, each conflict between markers as git writes them ("<<<<<<< first",
// FILE1's lines, with diff3 "||||||| base" and BASE's lines, "=======",
// FILE2's lines, ">>>>>>> second"). Lines keep their own text and line ends;
// the merge is text as the files hold it (UTF-8), not yet encoded.
void WriteMerge3(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                 const Merge3Labels &labels, bool diff3, std::string &out);

// WriteMerge3 in pieces of a few hundred KiB, each handed to sink as it
// fills, so that a large merge never sits whole in memory, and encoded in
// Merge3Encoding(texts), its BOM first: the bytes of the merged file. Stops
// as soon as sink returns false, and returns false then.
bool WriteMerge3Chunked(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                        const Merge3Labels &labels, bool diff3, const std::function<bool(std::string_view)> &sink);

} // namespace lindo
