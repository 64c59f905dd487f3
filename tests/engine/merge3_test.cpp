// The three-way merge: which stretches it finds, and the bytes it writes,
// conflict markers included, as git merge-file writes them.

#include "engine/merge3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>

namespace lindo::test {
namespace {

Merge3Text TextOf(std::string_view bytes)
{
    Merge3Text text;
    text.bytes.Assign(bytes);
    CutMerge3Lines(text);
    return text;
}

// One letter a stretch: U unchanged, 1 and 2 changed in that file only, A
// alike in both, C conflict.
std::string KindsOf(const Merge3Result &result)
{
    std::string kinds;
    for (const Merge3Stretch &stretch : result.stretches)
        kinds += "U12AC"[static_cast<int>(stretch.kind)];
    return kinds;
}

struct MergeRow {
    const char *name;
    const char *first;
    const char *base;
    const char *second;
    bool diff3;
    const char *kinds;
    const char *merged;
};

const MergeRow kMergeRows[] = {
    {"FirstOnly", "a\nB\nc\n", "a\nb\nc\n", "a\nb\nc\n", false, "U1U", "a\nB\nc\n"},
    {"EachSideElsewhere", "A\nb\nc\nd\n", "a\nb\nc\nd\n", "a\nb\nc\nD\n", false, "1U2", "A\nb\nc\nD\n"},
    {"BothAlike", "a\nX\nc\n", "a\nb\nc\n", "a\nX\nc\n", false, "UAU", "a\nX\nc\n"},
    {"Overlapping", "a\nX\nc\n", "a\nb\nc\n", "a\nY\nc\n", false, "UCU",
     "a\n<<<<<<< one\nX\n=======\nY\n>>>>>>> two\nc\n"},
    {"OverlappingDiff3", "a\nX\nc\n", "a\nb\nc\n", "a\nY\nc\n", true, "UCU",
     "a\n<<<<<<< one\nX\n||||||| base\nb\n=======\nY\n>>>>>>> two\nc\n"},
    {"Touching", "a\nB\nc\nd\n", "a\nb\nc\nd\n", "a\nb\nC\nd\n", false, "UCU",
     "a\n<<<<<<< one\nB\nc\n=======\nb\nC\n>>>>>>> two\nd\n"},
    {"TouchingChainsOn", "A\nb\nC\nd\n", "a\nb\nc\nd\n", "a\nB\nc\nd\n", false, "CU",
     "<<<<<<< one\nA\nb\nC\n=======\na\nB\nc\n>>>>>>> two\nd\n"},
    {"InsertSamePlace", "a\nX\nb\n", "a\nb\n", "a\nY\nb\n", false, "UCU",
     "a\n<<<<<<< one\nX\n=======\nY\n>>>>>>> two\nb\n"},
    {"InsertSamePlaceAlike", "a\nX\nb\n", "a\nb\n", "a\nX\nb\n", false, "UAU", "a\nX\nb\n"},
    {"DeleteAgainstChange", "a\nc\n", "a\nb\nc\n", "a\nB\nc\n", false, "UCU",
     "a\n<<<<<<< one\n=======\nB\n>>>>>>> two\nc\n"},
    {"EmptyBaseDifferentSides", "x\n", "", "y\n", false, "C", "<<<<<<< one\nx\n=======\ny\n>>>>>>> two\n"},
    {"EmptyBaseAlikeSides", "x\ny\n", "", "x\ny\n", false, "A", "x\ny\n"},
    {"NoFinalLineEndKept", "A\nm\nb", "a\nm\nb", "a\nm\nb\nc", false, "1U2", "A\nm\nb\nc"},
    {"NoFinalLineEndInConflict", "a\nB", "a\nb", "a\nC", true, "UC",
     "a\n<<<<<<< one\nB\n||||||| base\nb\n=======\nC\n>>>>>>> two\n"},
    {"CrLfMarkers", "a\r\nX\r\nc\r\n", "a\r\nb\r\nc\r\n", "a\r\nY\r\nc\r\n", false, "UCU",
     "a\r\n<<<<<<< one\r\nX\r\n=======\r\nY\r\n>>>>>>> two\r\nc\r\n"},
    {"CrLfLastLineWithoutEnd", "a\r\nX", "a\r\nb\r\nc\r\n", "a\r\nY\r\nc", false, "UC",
     "a\r\n<<<<<<< one\r\nX\r\n=======\r\nY\r\nc\r\n>>>>>>> two\r\n"},
    {"LfSideMeansLfMarkers", "a\nX\nc\n", "a\r\nb\r\nc\r\n", "a\r\nY\r\nc\r\n", false, "C",
     "<<<<<<< one\na\nX\nc\n=======\na\r\nY\r\nc\r\n>>>>>>> two\n"},
};

void PrintTo(const MergeRow &row, std::ostream *out)
{
    *out << row.name;
}

class MergeTable : public testing::TestWithParam<MergeRow> {};

TEST_P(MergeTable, FindsTheStretchesAndWritesThemAsGitDoes)
{
    const MergeRow &row = GetParam();
    const Merge3Text first = TextOf(row.first);
    const Merge3Text base = TextOf(row.base);
    const Merge3Text second = TextOf(row.second);
    const std::array<const Merge3Text *, 3> texts{&first, &base, &second};
    const Merge3Result result = Merge3(texts);
    EXPECT_EQ(KindsOf(result), row.kinds);
    EXPECT_EQ(result.conflicts, static_cast<std::size_t>(std::count(row.kinds, row.kinds + std::strlen(row.kinds), 'C')));
    std::string merged;
    WriteMerge3(texts, result, {"one", "base", "two"}, row.diff3, merged);
    EXPECT_EQ(merged, row.merged);
    std::string chunked;
    EXPECT_TRUE(WriteMerge3Chunked(texts, result, {"one", "base", "two"}, row.diff3, [&chunked](std::string_view bytes) {
        chunked.append(bytes);
        return true;
    }));
    EXPECT_EQ(chunked, merged);
}

INSTANTIATE_TEST_SUITE_P(Merge3, MergeTable, testing::ValuesIn(kMergeRows),
                         [](const testing::TestParamInfo<MergeRow> &info) { return std::string(info.param.name); });

} // namespace
} // namespace lindo::test
