#include "threeway/resultmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lindo {
namespace {

std::vector<int> Starts(const ResultMap &map)
{
    std::vector<int> starts;
    for (int stretch = 0; stretch < map.StretchCount(); ++stretch)
        starts.push_back(map.Start(stretch));
    starts.push_back(map.End(map.StretchCount() - 1));
    return starts;
}

struct EditRow {
    std::string name;
    int line;
    int oldLast;
    int newLast;
    std::vector<int> starts; // after the edit, from stretches of 2, 0, 3 and 2 lines
};

class ResultMapEdit : public testing::TestWithParam<EditRow> {};

TEST_P(ResultMapEdit, MovesTheStretchesAfterTheEditAndKeepsThoseBefore)
{
    ResultMap map;
    map.Reset({2, 0, 3, 2}); // starts 0 2 2 5, end 7
    map.Edited(GetParam().line, GetParam().oldLast, GetParam().newLast);
    EXPECT_EQ(Starts(map), GetParam().starts);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ResultMapEdit,
    testing::Values(EditRow{"TypingInALine", 3, 3, 3, {0, 2, 2, 5, 7}},
                    EditRow{"LineBreakAtTheEndOfAStretch", 4, 4, 5, {0, 2, 2, 6, 8}},
                    EditRow{"LinesAddedAtTheStartOfAStretchGoToIt", 2, 2, 4, {0, 2, 2, 7, 9}},
                    EditRow{"WholeLinesDeletedAcrossTwoStretches", 3, 6, 3, {0, 2, 2, 3, 4}},
                    EditRow{"LineJoinedWithTheNextStretch", 4, 5, 4, {0, 2, 2, 4, 6}},
                    EditRow{"LinesPastedOverTwoStretchesStayWithTheFirst", 3, 6, 5, {0, 2, 2, 5, 6}}),
    [](const testing::TestParamInfo<EditRow> &info) { return info.param.name; });

TEST(ResultMap, AChoiceMovesOnlyTheStretchesAfterIt)
{
    ResultMap map;
    map.Reset({2, 0, 3, 2});
    map.Replaced(1, 4); // an empty stretch filled: the one before keeps its lines
    EXPECT_EQ(Starts(map), (std::vector<int>{0, 2, 6, 9, 11}));
    map.Replaced(2, 0);
    EXPECT_EQ(Starts(map), (std::vector<int>{0, 2, 6, 6, 8}));
}

TEST(ResultMap, ALineIsInTheLastStretchStartingAtOrBeforeIt)
{
    ResultMap map;
    map.Reset({2, 0, 3, 2});
    const std::vector<int> expected{0, 0, 2, 2, 2, 3, 3, 3};
    for (int line = 0; line < 8; ++line)
        EXPECT_EQ(map.StretchAt(line), expected[static_cast<std::size_t>(line)]) << "line " << line;
}

TEST(ResultMap, UndoAndRedoFindThePlacesOfTheirStep)
{
    ResultMap map;
    map.Reset({2, 0, 3});
    map.Replaced(1, 3); // step 1: a choice fills the empty stretch
    map.Remember(1);
    map.Replaced(1, 0); // step 2: and empties it again
    map.Remember(2);
    ASSERT_TRUE(map.Recall(1));
    EXPECT_EQ(Starts(map), (std::vector<int>{0, 2, 5, 8}));
    ASSERT_TRUE(map.Recall(0));
    EXPECT_EQ(Starts(map), (std::vector<int>{0, 2, 2, 5}));
    ASSERT_TRUE(map.Recall(2));
    EXPECT_EQ(Starts(map), (std::vector<int>{0, 2, 2, 5}));
    // A new step after an undo: the old step 2 cannot be redone.
    map.Recall(1);
    map.Remember(1);
    EXPECT_FALSE(map.Recall(2));
}

} // namespace
} // namespace lindo
