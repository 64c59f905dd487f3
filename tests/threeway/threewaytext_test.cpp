#include "threeway/threewaytext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

#include <string>
#include <vector>

namespace lindo {
namespace {

struct LineEndRow {
    std::string name;
    std::string first;
    std::string base;
    std::string second;
    std::string shown;   // the text area's bytes
    std::string written; // what a save writes of them
};

class ThreeWayTextLineEnds : public testing::TestWithParam<LineEndRow> {};

TEST_P(ThreeWayTextLineEnds, TheResultKeepsEveryLinesOwnEnding)
{
    ThreeWayText text;
    text.Load({GetParam().first, GetParam().base, GetParam().second}, {"one", "base", "two"});
    std::vector<int> lineCounts;
    const std::string shown = text.MergedBytes(lineCounts);
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(text.FileBytes(shown), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ThreeWayTextLineEnds,
    testing::Values(
        LineEndRow{"LineFeeds", "a\nB\nc\nd\n", "a\nb\nc\nd\n", "a\nb\nc\nD\n", "a\r\nB\r\nc\r\nD\r\n",
                   "a\nB\nc\nD\n"},
        LineEndRow{"CrLfThroughout", "a\r\nB\r\nc\r\nd\r\n", "a\r\nb\r\nc\r\nd\r\n", "a\r\nb\r\nc\r\nD\r\n",
                   "a\r\nB\r\nc\r\nD\r\n", "a\r\nB\r\nc\r\nD\r\n"},
        // Among LF lines a CR LF line shows its CR and keeps it.
        LineEndRow{"OneCrLfLineAmongLineFeeds", "a\r\nB\nc\nd\n", "a\r\nb\nc\nd\n", "a\r\nb\nc\nD\n",
                   "a\r\r\nB\r\nc\r\nD\r\n", "a\r\nB\nc\nD\n"},
        LineEndRow{"NoFinalLineEndFromTheSideThatChangedTheLastLine", "a\nb\nc\n", "a\nb\nc\n", "a\nb\nC",
                   "a\r\nb\r\nC", "a\nb\nC"},
        LineEndRow{"ConflictMarkersEndTheirLinesEvenAtTheEnd", "a\nB", "a\nb", "a\nC", "a\r\n<<<<<<< one\r\nB\r\n=======\r\nC\r\n>>>>>>> two\r\n",
                   "a\n<<<<<<< one\nB\n=======\nC\n>>>>>>> two\n"}),
    [](const testing::TestParamInfo<LineEndRow> &info) { return info.param.name; });

struct SameRow {
    std::string name;
    std::string first;
    std::string base;
    std::string second;
};

class ThreeWayTextStart : public testing::TestWithParam<SameRow> {};

TEST_P(ThreeWayTextStart, UnchangedTheResultIsWhatTheMergeWrites)
{
    const SameRow &row = GetParam();
    ThreeWayText text;
    text.Load({row.first, row.base, row.second}, {"one", "base", "two"});
    std::vector<int> lineCounts;
    const std::string shown = text.MergedBytes(lineCounts);
    std::array<Merge3Text, 3> texts;
    for (std::size_t file = 0; file < 3; ++file) {
        texts[file].bytes.Assign(std::array{row.first, row.base, row.second}[file]);
        CutMerge3Lines(texts[file]);
    }
    std::string written;
    WriteMerge3({&texts[0], &texts[1], &texts[2]}, text.Merge(), {"one", "base", "two"}, false, written);
    EXPECT_EQ(text.FileBytes(shown), written);
    // The text area's lines, stretch by stretch.
    const int lines = static_cast<int>(std::count(shown.begin(), shown.end(), '\n'))
                      + (shown.empty() || shown.back() == '\n' ? 0 : 1);
    EXPECT_EQ(std::accumulate(lineCounts.begin(), lineCounts.end(), 0), lines);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ThreeWayTextStart,
    testing::Values(SameRow{"ConflictAndCleanChanges", "A\nb\nc1\nd\n", "a\nb\nc\nd\n", "a\nb\nc2\nD\n"},
                    SameRow{"CrLfConflict", "a\r\nx\r\nc\r\n", "a\r\nb\r\nc\r\n", "a\r\ny\r\nc\r\n"},
                    SameRow{"CrLfConflictAmongLfLines", "a\r\nx\r\nc\n", "a\r\nb\r\nc\n", "a\r\ny\r\nc\n"},
                    SameRow{"SideWithoutFinalLineEndInAConflict", "a\nx", "a\nb\n", "a\ny\n"},
                    SameRow{"BothAddedToAnEmptyBase", "x\ny\n", "", "x\nz\n"},
                    SameRow{"DeletedAgainstChanged", "a\nc\n", "a\nb\nc\n", "a\nB\nc\n"}),
    [](const testing::TestParamInfo<SameRow> &info) { return info.param.name; });

struct TakeRow {
    std::string name;
    Take take;
    std::string bytes;
};

class ThreeWayTextTake : public testing::TestWithParam<TakeRow> {};

TEST_P(ThreeWayTextTake, AConflictTakesTheLinesChosen)
{
    ThreeWayText text;
    text.Load({"top\nX1\nX2\nend", "top\nB\nend", "top\nY\nend"}, {"one", "base", "two"});
    ASSERT_EQ(text.StretchCount(), 3);
    ASSERT_EQ(text.Stretch(1).kind, Merge3Kind::Conflict);
    int lineCount = 0;
    EXPECT_EQ(text.StretchBytes(1, GetParam().take, false, lineCount), GetParam().bytes);
    EXPECT_EQ(lineCount, static_cast<int>(std::count(GetParam().bytes.begin(), GetParam().bytes.end(), '\n')));
}

INSTANTIATE_TEST_SUITE_P(Rows, ThreeWayTextTake,
                         testing::Values(TakeRow{"First", Take::First, "X1\r\nX2\r\n"},
                                         TakeRow{"Second", Take::Second, "Y\r\n"},
                                         TakeRow{"FirstThenSecond", Take::FirstThenSecond, "X1\r\nX2\r\nY\r\n"},
                                         TakeRow{"SecondThenFirst", Take::SecondThenFirst, "Y\r\nX1\r\nX2\r\n"},
                                         TakeRow{"Base", Take::Base, "B\r\n"},
                                         TakeRow{"Markers", Take::Markers,
                                                 "<<<<<<< one\r\nX1\r\nX2\r\n=======\r\nY\r\n>>>>>>> two\r\n"}),
                         [](const testing::TestParamInfo<TakeRow> &info) { return info.param.name; });

} // namespace
} // namespace lindo
