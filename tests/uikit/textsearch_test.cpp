// Finding a text among lines by their bytes.

#include "uikit/textsearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lindo {
namespace {

constexpr auto npos = std::string_view::npos;

TEST(FindBytes, IgnoresTheCaseOfLettersUnlessToldNotTo)
{
    EXPECT_EQ(FindBytes("say HeLLo", "hello", false), 4u);
    EXPECT_EQ(FindBytes("say HeLLo", "hello", true), npos);
    EXPECT_EQ(FindBytes("say HeLLo hello", "hello", true), 10u);
}

TEST(FindBytes, OnlyLettersHaveASecondCase)
{
    // '@' and '`', '[' and '{' differ by the same bit as 'A' and 'a'.
    EXPECT_EQ(FindBytes("`{", "@", false), npos);
    EXPECT_EQ(FindBytes("x{", "x[", false), npos);
    EXPECT_EQ(FindBytes("\xc3\xa9", "\xc3\x89", false), npos); // é is not É by bytes
}

TEST(FindBytes, IgnoringCaseCoversEveryLetterFirstAndAfter)
{
    for (char lower = 'a'; lower <= 'z'; ++lower) {
        const char upper = static_cast<char>(lower - 'a' + 'A');
        // A false start on the letter before the match, as in "An Apple".
        EXPECT_EQ(FindBytes(std::string{'-', upper, '-', upper, upper}, std::string{lower, lower}, false), 3u) << upper;
        EXPECT_EQ(FindBytes(std::string{'-', lower, '-', lower, lower}, std::string{upper, upper}, false), 3u) << lower;
    }
    EXPECT_EQ(FindBytes("An Apple", "apple", false), 3u);
}

struct StartLineCase {
    const char *name;
    const char *startLine;
    std::size_t startByte;
    bool forward;
    std::size_t matchByte;
};

void PrintTo(const StartLineCase &c, std::ostream *out)
{
    *out << c.name;
}

class FindInLinesStartLine : public testing::TestWithParam<StartLineCase> {};

TEST_P(FindInLinesStartLine, AMatchOnlyOnTheOtherSideOfTheStartIsFoundAfterWrapping)
{
    const StartLineCase &c = GetParam();
    const std::vector<std::string> lines = {"one", c.startLine, "three"};
    const LineBytes at = [&](int line) { return std::string_view(lines[static_cast<std::size_t>(line)]); };
    const TextMatch match = FindInLines(3, at, "x", false, 1, c.startByte, c.forward);
    EXPECT_EQ(match.line, 1);
    EXPECT_EQ(match.byte, c.matchByte);
    EXPECT_TRUE(match.wrapped);
}

INSTANTIATE_TEST_SUITE_P(Directions, FindInLinesStartLine,
                         testing::Values(StartLineCase{"Forward", "x two", 1, true, 0},
                                         StartLineCase{"Backward", "two x", 4, false, 4}),
                         [](const testing::TestParamInfo<StartLineCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(FindInLines, GoesOnFromTheOtherEndAndSaysSo)
{
    const std::vector<std::string> lines = {"one x", "two", "x three x", "four"};
    const LineBytes at = [&](int line) { return std::string_view(lines[static_cast<std::size_t>(line)]); };

    TextMatch match = FindInLines(4, at, "x", false, 2, 1, true);
    EXPECT_EQ(match.line, 2);
    EXPECT_EQ(match.byte, 8u);
    EXPECT_FALSE(match.wrapped);

    match = FindInLines(4, at, "x", false, 2, 9, true);
    EXPECT_EQ(match.line, 0);
    EXPECT_EQ(match.byte, 4u);
    EXPECT_TRUE(match.wrapped);

    match = FindInLines(4, at, "X", false, 2, 8, false);
    EXPECT_EQ(match.line, 2);
    EXPECT_EQ(match.byte, 0u);
    EXPECT_FALSE(match.wrapped);

    match = FindInLines(4, at, "x", false, 0, 4, false);
    EXPECT_EQ(match.line, 2);
    EXPECT_EQ(match.byte, 8u);
    EXPECT_TRUE(match.wrapped);

    EXPECT_FALSE(FindInLines(4, at, "five", false, 1, 0, true).Found());
}

} // namespace
} // namespace lindo
