// Files as people have them: each encoding is read as its text, compared as
// text, and written back byte for byte.

#include "enginetestutil.h"
#include "engine/textencoding.h"

#include <gtest/gtest.h>

namespace lindo::test {

namespace {

struct DetectionRow {
    const char *name;
    std::string bytes;
    TextEncoding encoding;
    std::string text;
    bool nonAscii;
};

const DetectionRow kDetectionRows[] = {
    {"Utf8Bom", "\xEF\xBB\xBFq\xC3\xA9\n", {kUtf8, true}, "q\xC3\xA9\n", true},
    {"Utf16LeBom", std::string("\xFF\xFEq\0\n\0", 6), {"UTF-16LE", true}, "q\n", false},
    {"Utf16BeBom", std::string("\xFE\xFF\0q\0\xE9", 6), {"UTF-16BE", true}, "q\xC3\xA9", true},
    {"Utf32LeBom", std::string("\xFF\xFE\0\0q\0\0\0", 8), {"UTF-32LE", true}, "q", false},
    {"Utf32BeBom", std::string("\0\0\xFE\xFF\0\0\0q", 8), {"UTF-32BE", true}, "q", false},
    {"Utf16LeStartingWithNul", std::string("\xFF\xFE\0\0q\0", 6), {"UTF-16LE", true}, std::string("\0q", 2), false},
    {"ValidUtf8", "caf\xC3\xA9\n", {}, "caf\xC3\xA9\n", true},
    {"Ascii", "plain\r\n", {}, "plain\r\n", false},
    {"InvalidUtf8ReadInTheFallback", "caf\xE9\x80\n", {"WINDOWS-1252", false}, "caf\xC3\xA9\xE2\x82\xAC\n", true},
    {"Utf8SurrogateIsInvalid", "\xED\xA0\x80", {"WINDOWS-1252", false}, "\xC3\xAD\xC2\xA0\xE2\x82\xAC", true},
    {"Utf16OfOddLengthReadAs8Bit", std::string("\xFF\xFEq\0r", 5), {"WINDOWS-1252", false},
     std::string("\xC3\xBF\xC3\xBEq\0r", 7), true},
    {"Utf16LoneSurrogateReadAs8Bit", std::string("\xFF\xFE\x00\xD8q\0", 6), {"WINDOWS-1252", false},
     std::string("\xC3\xBF\xC3\xBE\0\xC3\x98q\0", 9), true},
};

class Detection : public testing::TestWithParam<DetectionRow> {};

TEST_P(Detection, DecidesTheEncodingAndDecodesToUtf8)
{
    ByteBuffer buffer(GetParam().bytes);
    bool nonAscii = false;
    EXPECT_EQ(DecodeText(buffer, kDefaultFallbackEncoding, nonAscii), GetParam().encoding);
    EXPECT_EQ(buffer.View(), GetParam().text);
    EXPECT_EQ(nonAscii, GetParam().nonAscii);
}

INSTANTIATE_TEST_SUITE_P(Encodings, Detection, testing::ValuesIn(kDetectionRows),
                         [](const auto &info) { return std::string(info.param.name); });

// A fallback that would not give the same bytes back gives way to
// Windows-1252: CP932 writes the character of ED 40 as FA 5C, and has no
// character for FF.
TEST(Fallback, AFallbackThatWouldAlterTheFileGivesWayToWindows1252)
{
    ByteBuffer kana(std::string_view("\x83\x41\x83\x43"));
    bool nonAscii = false;
    EXPECT_EQ(DecodeText(kana, "CP932", nonAscii), (TextEncoding{"CP932", false}));
    EXPECT_EQ(kana.View(), "\xE3\x82\xA2\xE3\x82\xA4");
    for (const char *bytes : {"\x83\x41\xED\x40", "\x83\x41\xFF"}) {
        ByteBuffer altered{std::string_view(bytes)};
        EXPECT_EQ(DecodeText(altered, "CP932", nonAscii), (TextEncoding{"WINDOWS-1252", false})) << bytes;
        EXPECT_EQ(altered.View().substr(0, 4), "\xC6\x92" "A\xC3") << bytes;
    }
    EXPECT_EQ(FallbackName("koi8-r"), "KOI8-R");
    EXPECT_EQ(FallbackName("no-such-encoding"), kDefaultFallbackEncoding);
}

// Every byte value, Windows-1252's five unassigned ones included, comes back
// out of a merge exactly as it went in.
TEST(Fallback, EveryByteSurvivesTheMergeInWindows1252)
{
    std::string every;
    for (int byte = 0; byte < 256; ++byte)
        every += static_cast<char>(byte);
    every += '\n';
    DiffEngine engine;
    engine.LoadTexts(every, "other\n");
    EXPECT_EQ(engine.LoadedForm(1).encoding, (TextEncoding{"WINDOWS-1252", false}));
    engine.Compare();
    EXPECT_EQ(MergeOf(engine), every + "other\n");
}

// A long text with unassigned bytes between long runs of characters of three
// bytes in UTF-8 (the euro sign) goes back exactly, though it is converted in
// pieces that can end within a character.
TEST(Fallback, ALongLineOfHighBytesGoesBackWhole)
{
    std::string high;
    for (int copy = 0; copy < 64; ++copy)
        high += "\x81" + std::string(100 + copy, '\x80') + "\x8D" + std::string(100, '\xE9');
    ByteBuffer buffer{std::string_view(high)};
    bool nonAscii = false;
    const TextEncoding encoding = DecodeText(buffer, kDefaultFallbackEncoding, nonAscii);
    EXPECT_EQ(encoding, (TextEncoding{"WINDOWS-1252", false}));
    std::string back;
    EXPECT_TRUE(EncodeText(buffer.View(), encoding, back));
    EXPECT_TRUE(back == high);
}

struct TwinRow {
    const char *name;
    std::string bytes; // "q\xC3\xA9 first\nsecond\n" in another form
    SurfaceDifference difference;
};

const std::string kTwinText = "q\xC3\xA9 first\nsecond\n";

const TwinRow kTwinRows[] = {
    {"Utf8Bom", "\xEF\xBB\xBF" + kTwinText, {true, false}},
    {"Utf16Le", "\xFF\xFE" + Iconv(kTwinText, "UTF-16LE"), {true, false}},
    {"Utf16BeCrLf", "\xFE\xFF" + Iconv("q\xC3\xA9 first\r\nsecond\r\n", "UTF-16BE"), {true, true}},
    {"Utf32Le", std::string("\xFF\xFE\0\0", 4) + Iconv(kTwinText, "UTF-32LE"), {true, false}},
    {"Windows1252", "q\xE9 first\nsecond\n", {true, false}},
    {"CrLf", "q\xC3\xA9 first\r\nsecond\r\n", {false, true}},
    {"NoFinalLineEnd", "q\xC3\xA9 first\nsecond", {false, true}},
    {"SameBytes", kTwinText, {false, false}},
};

class Twins : public testing::TestWithParam<TwinRow> {};

// The file and its UTF-8 twin match line for line, the BOM in no line, and
// what tells their bytes apart is named.
TEST_P(Twins, MatchLineForLineAndSayWhatDiffers)
{
    for (const bool twinFirst : {true, false}) {
        DiffEngine engine;
        engine.LoadTexts(twinFirst ? GetParam().bytes : kTwinText, twinFirst ? kTwinText : GetParam().bytes);
        engine.Compare();
        EXPECT_EQ(engine.Lines(1)[0].text, "q\xC3\xA9 first");
        EXPECT_EQ(engine.Lines(2)[0].text, "q\xC3\xA9 first");
        EXPECT_EQ(LinksOf(engine, 1), (std::vector<int>{0, 1}));
        const SurfaceDifference difference = engine.LoadedDifference();
        EXPECT_EQ(difference.encoding, GetParam().difference.encoding);
        EXPECT_EQ(difference.lineEnds, GetParam().difference.lineEnds);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, Twins, testing::ValuesIn(kTwinRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Twins, DifferentTextIsNoSurfaceDifference)
{
    DiffEngine engine;
    engine.LoadTexts("\xFF\xFE" + Iconv("a\nb\n", "UTF-16LE"), "a\nc\n");
    EXPECT_FALSE(engine.LoadedDifference().Any());
}

struct MergeFormRow {
    const char *name;
    std::string first;
    std::string second; // mostly the first's lines and one more
    std::string merge;
};

const std::string kUtf16Bom = "\xFF\xFE";

const MergeFormRow kMergeFormRows[] = {
    {"BothUtf16KeepIt", kUtf16Bom + Iconv("\xC3\xA9\n", "UTF-16LE"), kUtf16Bom + Iconv("\xC3\xA9\nx\n", "UTF-16LE"),
     kUtf16Bom + Iconv("\xC3\xA9\nx\n", "UTF-16LE")},
    {"BothWindows1252KeepIt", "\xE9\n", "\xE9\n\xFC\n", "\xE9\n\xFC\n"},
    {"OnlyTheSecondBeyondAscii", kUtf16Bom + Iconv("a\n", "UTF-16LE"), "a\n\xE9\n", "a\n\xE9\n"},
    {"OnlyTheFirstBeyondAscii", kUtf16Bom + Iconv("\xC3\xA9\n", "UTF-16LE"), "x\n",
     kUtf16Bom + Iconv("\xC3\xA9\nx\n", "UTF-16LE")},
    {"BothBeyondAsciiInDifferentEncodingsGiveUtf8", kUtf16Bom + Iconv("\xC3\xA9\n", "UTF-16LE"), "\xE9\n\xFC\n",
     "\xC3\xA9\n\xC3\xBC\n"},
    {"AsciiInDifferentEncodingsTakesTheFirsts", "\xEF\xBB\xBF" "a\n", "a\nb\n", "\xEF\xBB\xBF" "a\nb\n"},
    {"LfAndLf", "a\n", "a\nb", "a\nb\n"},
    {"CrLfInTheFirst", "a\r\n", "a\nb\n", "a\r\nb\r\n"},
    {"CrLfInTheSecond", "a\n", "a\nb\r\n", "a\r\nb\r\n"},
    {"NoLineEndAtAll", "a", "a\nb", "a\nb\n"},
    {"Utf16WithCrLf", kUtf16Bom + Iconv("a\r\n", "UTF-16LE"), kUtf16Bom + Iconv("a\r\nb\r\n", "UTF-16LE"),
     kUtf16Bom + Iconv("a\r\nb\r\n", "UTF-16LE")},
};

class MergeForm : public testing::TestWithParam<MergeFormRow> {};

TEST_P(MergeForm, IsWrittenInTheChosenEncodingAndLineEnd)
{
    DiffEngine engine;
    engine.LoadTexts(GetParam().first, GetParam().second);
    engine.Compare();
    EXPECT_EQ(MergeOf(engine), GetParam().merge);
}

INSTANTIATE_TEST_SUITE_P(Forms, MergeForm, testing::ValuesIn(kMergeFormRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LineEnds, AreNamedAsTheFileHasThem)
{
    const std::string manyCrLf = [] {
        std::string text;
        for (int n = 0; n < 100; ++n)
            text += "line\r\n";
        return text;
    }();
    const struct {
        std::string text;
        const char *label;
    } rows[] = {
        {"a\nb\n", "LF"}, {"a\r\nb\r\n", "CR LF"}, {manyCrLf, "CR LF"}, {manyCrLf + "\n", "LF and CR LF"},
        {"\nb\r\n", "LF and CR LF"}, {"one line", "no line end"}, {"a\rb\r", "no line end"}, {"", "no line end"},
    };
    for (const auto &row : rows)
        EXPECT_STREQ(LineEndsLabel(FindLineEnds(row.text)), row.label) << row.text;
}

} // namespace
} // namespace lindo::test
