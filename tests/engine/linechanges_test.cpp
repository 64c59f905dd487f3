// Which bytes of two paired lines are marked as differing: worked cases with
// the marks written in brackets, lines long enough to pass the search's
// limits, and random lines checked for what every result must satisfy.

#include "engine/linechanges.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace lindo {

void PrintTo(const ByteSpan &span, std::ostream *out)
{
    *out << '[' << span.begin << ',' << span.end << ')';
}

namespace {

// A line written with its marked bytes in brackets: "int [count];".
struct MarkedLine {
    std::string text;
    std::vector<ByteSpan> spans;
};

MarkedLine ParseMarks(std::string_view written)
{
    MarkedLine line;
    for (const char c : written) {
        if (c == '[')
            line.spans.push_back({line.text.size(), 0});
        else if (c == ']')
            line.spans.back().end = line.text.size();
        else
            line.text.push_back(c);
    }
    return line;
}

std::string Repeated(std::string_view piece, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += piece;
    return text;
}

struct LineChangeCase {
    const char *name;
    const char *first;
    const char *second;
    LineKeyOptions options = {};
};

void PrintTo(const LineChangeCase &c, std::ostream *out)
{
    *out << c.name;
}

class LineChangeTable : public testing::TestWithParam<LineChangeCase> {};

TEST_P(LineChangeTable, MarksTheBracketedBytes)
{
    const LineChangeCase &c = GetParam();
    const MarkedLine first = ParseMarks(c.first);
    const MarkedLine second = ParseMarks(c.second);
    const LineChanges changes = FindLineChanges(first.text, second.text, c.options);
    EXPECT_EQ(changes.first, first.spans);
    EXPECT_EQ(changes.second, second.spans);
}

constexpr LineKeyOptions kIgnoreCase{.ignoreCase = true};
constexpr LineKeyOptions kIgnoreAllSpace{.ignoreAllSpace = true};
constexpr LineKeyOptions kIgnoreSpaceChange{.ignoreSpaceChange = true};

const LineChangeCase kCases[] = {
    {"BothEmpty", "", ""},
    {"FirstEmpty", "", "[int x;]"},
    {"SecondEmpty", "[int x;]", ""},
    {"Equal", "return a + b;", "return a + b;"},
    {"WordInTheMiddle", "int [count] = 0;", "int [total] = 0;"},
    {"WordsApartStaySeparate", "[one] two [three]", "[uno] two [tres]"},
    {"InsertedWords", "call(a);", "call(a[, b]);"},
    {"TabAgainstSpace", "a[\t]b", "a[ ]b"},
    {"TwoByteCharacter", "caf[\xC3\xA9]", "caf[\xC3\xA8]"},                             // é, è
    {"ThreeByteCharacterSharingTwoBytes", "cost [\xE2\x82\xAC]5", "cost [\xE2\x82\xA4]5"}, // €, ₤
    {"FourByteCharacterSharingThreeBytes", "ok [\xF0\x9F\x98\x80]", "ok [\xF0\x9F\x98\x81]"},
    {"LoneContinuationAgainstInvalidByte", "x [\x80] y", "x [\xFF] y"},
    {"StrayContinuationAfterACharacter", "\xC3\xA9[\x80]", "\xC3\xA9"},
    {"TruncatedCharacterAtTheEnd", "x [\xE2\x82]", "x [\xE2\x82\xAC]"},
    {"OverlongFormIsTwoStrayBytes", "[\xC0]\xAF", "\xAF"},
    {"OverlongThreeByteFormIsThreeStrayBytes", "[\xE0\x80]\xAF", "\xAF"},
    {"CaseCountsByDefault", "[Hello] world", "[hello] world"},
    {"IgnoreCase", "Hello [World]", "hello [there]", kIgnoreCase},
    {"IgnoreCaseEqual", "ABC def", "abc DEF", kIgnoreCase},
    {"IgnoreAllSpace", "x = [1];", "x=[2];", kIgnoreAllSpace},
    {"IgnoreAllSpaceOnlyBlanksDiffer", "foo bar", "foobar", kIgnoreAllSpace},
    {"IgnoreSpaceChangeRunsAndTrailingBlanks", "a  b [c]  ", "a\tb [d]", kIgnoreSpaceChange},
    {"IgnoreSpaceChangeWalksBackOverWholeCharacters", "[\xC3\xA9]  x", "[\xA9] x", kIgnoreSpaceChange},
    {"IgnoreSpaceChangeKeepsABlankAgainstNone", "f(a,[ ]b)", "f(a,b)", kIgnoreSpaceChange},
};

INSTANTIATE_TEST_SUITE_P(Lines, LineChangeTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LineChangeCase> &info) { return std::string(info.param.name); });

TEST(LineChangeLimits, OneWordChangedInAHugeLineIsMarkedAlone)
{
    const std::string half = Repeated("word ", 1000000);
    const LineChanges changes = FindLineChanges(half + "old " + half, half + "new " + half);
    EXPECT_EQ(changes.first, (std::vector<ByteSpan>{{half.size(), half.size() + 3}}));
    EXPECT_EQ(changes.second, (std::vector<ByteSpan>{{half.size(), half.size() + 3}}));
}

// Past either limit the whole middle between the common head and tail is marked.
TEST(LineChangeLimits, TooManyWordsMarkTheWholeMiddle)
{
    const std::string common = Repeated(" w", kMaxLineChangeWords);
    const std::string first = "a" + common + " b";
    const std::string second = "c" + common + " d";
    const LineChanges changes = FindLineChanges(first, second);
    EXPECT_EQ(changes.first, (std::vector<ByteSpan>{{0, first.size()}}));
    EXPECT_EQ(changes.second, (std::vector<ByteSpan>{{0, second.size()}}));
}

// The common head and tail end inside a 4-byte character (U+1F600 against
// U+1F601 and U+5F600): the whole middle then starts and ends at whole
// characters. Below the cap the words' own ends would hide a cut tail.
TEST(LineChangeLimits, TooManyWordsNeverCutACharacter)
{
    const std::string common = Repeated(" w", kMaxLineChangeWords);
    const std::string first = "ab \xF0\x9F\x98\x80" + common + " \xF0\x9F\x98\x80 z";
    const std::string second = "ab \xF0\x9F\x98\x81" + common + "\xF1\x9F\x98\x80 z";
    const LineChanges changes = FindLineChanges(first, second);
    EXPECT_EQ(changes.first, (std::vector<ByteSpan>{{3, first.size() - 2}}));
    EXPECT_EQ(changes.second, (std::vector<ByteSpan>{{3, second.size() - 2}}));
}

TEST(LineChangeLimits, TooManyEditsMarkTheWholeMiddle)
{
    const std::string first = "(" + Repeated("x.", kMaxLineChangeEdits) + ")";
    const std::string second = "(" + Repeated("y.", kMaxLineChangeEdits) + ")";
    const std::vector<ByteSpan> middle{{1, first.size() - 2}};
    const LineChanges changes = FindLineChanges(first, second);
    EXPECT_EQ(changes.first, middle);
    EXPECT_EQ(changes.second, middle);
}

// Random lines made of whole characters (and stray bytes): no mark may cut a
// character, and without options the unmarked bytes of both lines read the same.
TEST(LineChangeProperties, MarksKeepCharactersWholeAndUnmarkedBytesAgree)
{
    const char *const pieces[] = {"a", "A", "b", "_", "7", " ", "\t", ".", "(", "\xC3\xA9", "\xE2\x82\xAC",
                                  "\xF0\x9F\x98\x80", "\x80", "\xFF"};
    std::mt19937 random(7);
    const auto randomLine = [&](std::set<std::size_t> &starts) {
        std::string line;
        const std::size_t count = random() % 12;
        for (std::size_t i = 0; i < count; ++i) {
            starts.insert(line.size());
            line += pieces[random() % std::size(pieces)];
        }
        starts.insert(line.size());
        return line;
    };
    const auto unmarked = [](const std::string &line, const std::vector<ByteSpan> &spans) {
        std::string kept;
        std::size_t pos = 0;
        for (const ByteSpan &span : spans) {
            kept += line.substr(pos, span.begin - pos);
            pos = span.end;
        }
        return kept + line.substr(pos);
    };
    for (int round = 0; round < 3000; ++round) {
        std::set<std::size_t> starts1;
        std::set<std::size_t> starts2;
        const std::string line1 = randomLine(starts1);
        const std::string line2 = randomLine(starts2);
        const LineKeyOptions options{.ignoreSpaceChange = random() % 4 == 1,
                                     .ignoreAllSpace = random() % 4 == 2,
                                     .ignoreCase = random() % 2 == 1};
        const LineChanges changes = FindLineChanges(line1, line2, options);
        if (!options.Any()) {
            ASSERT_EQ(unmarked(line1, changes.first), unmarked(line2, changes.second)) << line1 << " | " << line2;
        }
        for (const auto &[spans, starts] : {std::pair{&changes.first, &starts1}, std::pair{&changes.second, &starts2}}) {
            for (std::size_t i = 0; i < spans->size(); ++i) {
                const ByteSpan &span = (*spans)[i];
                ASSERT_LT(span.begin, span.end);
                ASSERT_TRUE(i == 0 || (*spans)[i - 1].end < span.begin) << "spans overlap or touch";
                ASSERT_TRUE(starts->count(span.begin) && starts->count(span.end)) << line1 << " | " << line2;
            }
        }
    }
}

} // namespace
} // namespace lindo
