// The comparison's result on the worked examples and the listed edge cases,
// written out by hand: links, sections, pairing, placement and selection.

#include "enginetestutil.h"

#include <gtest/gtest.h>

namespace lindo::test {
namespace {

struct MatchingCase {
    const char *name;
    std::string first;
    std::string second;
    std::vector<int> links1;
    std::string sections1; // Describe() of side 1 after auto-select
    std::string sections2;
    std::string merge;
};

// Keeps test names readable: a case prints as its name.
void PrintTo(const MatchingCase &c, std::ostream *out)
{
    *out << c.name;
}


class MatchingTable : public testing::TestWithParam<MatchingCase> {};

TEST_P(MatchingTable, ProducesTheExpectedComparison)
{
    const MatchingCase &c = GetParam();
    DiffEngine engine;
    engine.LoadTexts(c.first, c.second);
    engine.Compare();
    EXPECT_TRUE(engine.IsCompared());
    EXPECT_EQ(LinksOf(engine, 1), c.links1);
    EXPECT_EQ(Describe(engine, 1), c.sections1);
    EXPECT_EQ(Describe(engine, 2), c.sections2);
    EXPECT_EQ(MergeOf(engine), c.merge);
}

const MatchingCase kCases[] = {
    {"WorkedExample", Text({"}", "a", "}", "b", "}"}), Text({"a", "}", "e", "}"}),
     {-1, 0, 1, -1, 3},
     "0-0:O p-1 a0 S | 1-2:M p0 a-1 | 3-3:D p1 a-1 | 4-4:M p2 a-1",
     "0-1:M p1 a-1 S | 2-2:D p2 a-1 S | 3-3:M p3 a-1 S",
     Text({"}", "a", "}", "e", "}"})},
    {"IdenticalWithAUniqueLine", Text({"x", "x", "u", "x"}), Text({"x", "x", "u", "x"}),
     {0, 1, 2, 3}, "0-3:M p0 a-1", "0-3:M p0 a-1 S", Text({"x", "x", "u", "x"})},
    {"IdenticalWithoutAnyUniqueLine", Text({"", "", ""}), Text({"", "", ""}),
     {0, 1, 2}, "0-2:M p0 a-1", "0-2:M p0 a-1 S", Text({"", "", ""})},
    {"IdenticalEmpty", "", "", {}, "", "", ""},
    {"OneEmptyFile", "", Text({"a", "b"}), {}, "", "0-1:N p-1 a-1 S", Text({"a", "b"})},
    {"NothingInCommon", Text({"a", "b"}), Text({"c", "d"}), {-1, -1},
     "0-1:N p-1 a-1 S", "0-1:N p-1 a-1 S", Text({"a", "b", "c", "d"})},
    {"DeletedLineInTheMiddle", Text({"a", "b", "e"}), Text({"a", "e"}), {0, -1, 1},
     "0-0:M p0 a-1 | 1-1:O p-1 a1 S | 2-2:M p1 a-1", "0-0:M p0 a-1 S | 1-1:M p2 a-1 S",
     Text({"a", "b", "e"})},
    {"Crosswise", Text({"p", "q", "r"}), Text({"r", "q", "p"}), {2, 1, 0},
     "0-0:M p2 a-1 | 1-1:M p1 a-1 | 2-2:M p0 a-1",
     "0-0:M p2 a-1 S | 1-1:M p1 a-1 S | 2-2:M p0 a-1 S", Text({"r", "q", "p"})},
    {"InsertedAtBothEnds", Text({"a", "b"}), Text({"x", "a", "b", "y"}), {1, 2},
     "0-1:M p1 a-1", "0-0:O p-1 a0 S | 1-2:M p0 a-1 S | 3-3:O p-1 a1 S",
     Text({"x", "a", "b", "y"})},
    {"RepeatedAnchorFoundInsideAPair", Text({"a", "b", "a", "e"}), Text({"a", "a", "e"}),
     {0, -1, 1, 2}, "0-0:M p0 a-1 | 1-1:O p-1 a1 S | 2-3:M p1 a-1",
     "0-0:M p0 a-1 S | 1-2:M p2 a-1 S", Text({"a", "b", "a", "e"})},
    {"CaseAndTrailingBlanksCount", Text({"Hello", "x "}), Text({"hello", "x"}), {-1, -1},
     "0-1:N p-1 a-1 S", "0-1:N p-1 a-1 S", Text({"Hello", "x ", "hello", "x"})},
};

INSTANTIATE_TEST_SUITE_P(Compare, MatchingTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<MatchingCase> &info) { return std::string(info.param.name); });

TEST(Selection, AutoSelectOffGivesAnEmptyMerge)
{
    DiffEngine engine;
    engine.autoSelect = 0;
    engine.LoadTexts(Text({"a", "b", "c"}), Text({"a", "c", "d"}));
    engine.Compare();
    for (int side = 1; side <= 2; ++side)
        for (const DiffSection &s : engine.Sections(side))
            EXPECT_FALSE(s.IsSelected());
    EXPECT_EQ(MergeOf(engine), "");
}

TEST(Selection, BothVersionsOfADifferenceFirstFileFirst)
{
    DiffEngine engine;
    engine.LoadTexts(Text({"top", "old", "bottom"}), Text({"top", "new", "bottom"}));
    engine.Compare();
    EXPECT_EQ(MergeOf(engine), Text({"top", "new", "bottom"}));
    const int section = engine.SectionOfLine(1, 1);
    ASSERT_EQ(StatusOf(engine.Sections(1)[static_cast<std::size_t>(section)]), SectionStatus::Different);
    engine.Sections(1)[static_cast<std::size_t>(section)].flags |= Selected;
    EXPECT_EQ(MergeOf(engine), Text({"top", "old", "new", "bottom"}));
}

TEST(Selection, DeletedStretchMergesBack)
{
    const std::string first = Text({"int f()", "{", "  one();", "  two();", "  three();", "}", "end"});
    const std::string second = Text({"int f()", "{", "  three();", "}", "end"});
    DiffEngine engine;
    engine.LoadTexts(first, second);
    engine.Compare();
    EXPECT_EQ(MergeOf(engine), Text({"int f()", "{", "  one();", "  two();", "  three();", "}", "end"}));
}

TEST(SectionLookup, FindsTheSectionHoldingALine)
{
    DiffEngine engine;
    EXPECT_EQ(engine.SectionOfLine(1, 0), -1); // nothing compared yet
    engine.LoadTexts(Text({"}", "a", "}", "b", "}"}), Text({"a", "}", "e", "}"}));
    engine.Compare();
    const int expected1[] = {0, 1, 1, 2, 3};
    for (int line = 0; line < 5; ++line)
        EXPECT_EQ(engine.SectionOfLine(1, line), expected1[line]) << line;
    EXPECT_EQ(engine.SectionOfLine(1, 5), -1);
    EXPECT_EQ(engine.SectionOfLine(1, -1), -1);
    EXPECT_EQ(engine.SectionOfLine(2, 2), 1);
    EXPECT_EQ(engine.SectionOfLine(2, 4), -1);
}

TEST(SectionText, EndsEveryLineAsAsked)
{
    DiffEngine engine;
    engine.LoadTexts(Text({"one", "two", "three"}), Text({"zero"}));
    engine.Compare();
    const DiffSection &section = engine.Sections(1).front();
    EXPECT_EQ(DiffEngine::SectionText(section, true), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(DiffEngine::SectionText(section, false), "one\ntwo\nthree\n");
}

TEST(Compare, ComparedStaysSetAndLoadEmptiesOnlySections)
{
    DiffEngine engine;
    EXPECT_FALSE(engine.IsCompared());
    engine.LoadTexts(Text({"a"}), Text({"a"}));
    engine.Compare();
    engine.BuildMergeList();
    ASSERT_EQ(engine.MergeList().size(), 1u);
    engine.LoadTexts(Text({"b", "c"}), Text({"c"}));
    EXPECT_TRUE(engine.IsCompared());
    EXPECT_TRUE(engine.Sections(1).empty());
    EXPECT_TRUE(engine.Sections(2).empty());
    EXPECT_EQ(engine.MergeList().size(), 1u); // the merge list is not touched by a load
    EXPECT_EQ(LinksOf(engine, 1), (std::vector<int>{-1, -1}));
}

// The merge output is gathered in a buffer of a few hundred KiB: lines that
// fill it many times over, and single lines longer than it, still come out
// whole, in order, each with the CR LF of its file.
TEST(MergeOutput, LinesBeyondTheOutputBufferKeepTheirBytesAndEnds)
{
    std::string text;
    std::string expected;
    for (int n = 0; n < 40000; ++n) {
        const std::string line = "line " + std::to_string(n) + std::string(static_cast<std::size_t>(n % 23), '.');
        text += line + "\r\n";
        expected += line + "\r\n";
    }
    const std::string huge(700 * 1024, 'h');
    text += huge + "\r\nafter";
    expected += huge + "\r\nafter\r\n";
    DiffEngine engine;
    engine.LoadTexts("", text);
    engine.Compare();
    const std::string merge = MergeOf(engine);
    EXPECT_EQ(merge.size(), expected.size());
    EXPECT_TRUE(merge == expected); // not EXPECT_EQ: a diff of megabytes would take minutes to print
}

// Enough distinct texts that their keys are made on two threads: every key,
// on either side of the split, must still find its twin.
TEST(KeyedCompare, ManyLinesDifferingOnlyInCaseAndBlanksAllLink)
{
    std::string first;
    std::string second;
    for (int n = 0; n < 150000; ++n) {
        first += "Line  Number " + std::to_string(n) + "\n";
        second += "line number\t" + std::to_string(n) + "  \n";
    }
    DiffEngine engine;
    engine.keyOptions.ignoreCase = true;
    engine.keyOptions.ignoreSpaceChange = true;
    engine.LoadTexts(first, second);
    engine.Compare();
    ASSERT_EQ(engine.Sections(1).size(), 1u);
    EXPECT_TRUE(engine.Sections(1).front().IsMatched());
    EXPECT_TRUE(engine.LoadedKeyOptions() == engine.keyOptions) << "kept with the lines they keyed";
    EXPECT_EQ(engine.Lines(2).back().link, 149999);
    EXPECT_EQ(engine.Lines(2).back().text, "line number\t149999  ") << "each side keeps its own bytes";
}

struct TwinCase {
    const char *name;
    std::string first;
    std::string second;
    LineKeyOptions options;
    std::vector<int> links1;
    std::string merge;
};

void PrintTo(const TwinCase &c, std::ostream *out)
{
    *out << c.name;
}

class TwinTable : public testing::TestWithParam<TwinCase> {};

// Files whose keys are the same line for line link every line to its twin,
// even where no key occurs once; one line more or one key other than its
// twin's, and the unique-line rule alone decides.
TEST_P(TwinTable, KeyIdenticalFilesLinkLineToLine)
{
    const TwinCase &c = GetParam();
    DiffEngine engine;
    engine.keyOptions = c.options;
    engine.LoadTexts(c.first, c.second);
    engine.Compare();
    EXPECT_EQ(LinksOf(engine, 1), c.links1);
    EXPECT_EQ(MergeOf(engine), c.merge);
}

constexpr LineKeyOptions kSpaceChange{.ignoreSpaceChange = true};
const TwinCase kTwinCases[] = {
    // Seven blanks and a "!" that a word-wide blank test can take for an eighth blank.
    {"SameBytesIndented", "       !x\n !x\n", "       !x\n !x\n", kSpaceChange, {0, 1}, Text({"       !x", " !x"})},
    {"BlanksDiffer", Text({"x = 1", "x  = 1", "}", "}"}), Text({"x  = 1", "x = 1", "}", "}"}), kSpaceChange,
     {0, 1, 2, 3}, Text({"x  = 1", "x = 1", "}", "}"})},
    {"AllBlanksDiffer", Text({"a b", "ab"}), Text({"ab", " a b"}), {.ignoreAllSpace = true}, {0, 1},
     Text({"ab", " a b"})},
    {"CaseDiffers", Text({"A", "a"}), Text({"a", "A"}), {.ignoreCase = true}, {0, 1}, Text({"a", "A"})},
    {"LineEndsDiffer", "a\na\n", "a\r\na", kSpaceChange, {0, 1}, CrLf({"a", "a"})},
    {"OneLineMore", Text({"x", "x"}), Text({"x", "x", "x"}), kSpaceChange, {-1, -1}, Text({"x", "x", "x", "x", "x"})},
    {"LastKeysDiffer", Text({"x", "x", "y", "y"}), Text({"x", "x", "z", "z"}), kSpaceChange, {-1, -1, -1, -1},
     Text({"x", "x", "y", "y", "x", "x", "z", "z"})},
};

INSTANTIATE_TEST_SUITE_P(KeyedCompare, TwinTable, testing::ValuesIn(kTwinCases),
                         [](const testing::TestParamInfo<TwinCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace lindo::test
