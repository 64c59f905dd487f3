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
