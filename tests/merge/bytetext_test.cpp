// Bytes to text and back: valid UTF-8 reads as its characters, everything
// else as escapes, and encoding gives every byte back.

#include "merge/bytetext.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace lindo::test {
namespace {

std::string Encode(const QString &text)
{
    std::string bytes;
    AppendTextBytes(text, bytes);
    return bytes;
}

QString Escapes(std::initializer_list<unsigned char> bytes)
{
    QString text;
    for (unsigned char byte : bytes)
        text += ByteEscape(byte);
    return text;
}

struct DecodeCase {
    const char *name;
    std::string bytes;
    QString text;
};

void PrintTo(const DecodeCase &c, std::ostream *out)
{
    *out << c.name;
}

class BytesToTextCase : public testing::TestWithParam<DecodeCase> {};

TEST_P(BytesToTextCase, DecodesAndEncodesBackToTheSameBytes)
{
    const DecodeCase &c = GetParam();
    const QString text = BytesToText(c.bytes);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(Encode(text), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    ByteText, BytesToTextCase,
    testing::Values(
        DecodeCase{"Empty", "", ""},
        DecodeCase{"AsciiAndTabs", "a\tb c~", "a\tb c~"},
        DecodeCase{"CrLfIsALineBreak", "one\r\ntwo\r\n", "one\ntwo\n"},
        DecodeCase{"LoneCrAndLfAreEscaped", "a\rb\nc\r", "a" + Escapes({'\r'}) + "b" + Escapes({'\n'}) + "c" + Escapes({'\r'})},
        DecodeCase{"CrBeforeCrLf", "x\r\r\n", "x" + Escapes({'\r'}) + "\n"},
        DecodeCase{"NulIsEscaped", std::string("a\0b", 3), "a" + Escapes({0}) + "b"},
        DecodeCase{"OtherControlsStay", "\x01\x1b\x7f", QString::fromLatin1("\x01\x1b\x7f")},
        DecodeCase{"TwoThreeAndFourByteCharacters", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
                   QString::fromUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80")},
        DecodeCase{"Latin1ByteAlone", "caf\xE9!", "caf" + Escapes({0xE9}) + "!"},
        DecodeCase{"StrayContinuation", "\x80\xBF", Escapes({0x80, 0xBF})},
        DecodeCase{"TruncatedSequenceAtTheEnd", "a\xE2\x82", "a" + Escapes({0xE2, 0x82})},
        DecodeCase{"TruncatedSequenceBeforeAscii", "\xE2\x82z", Escapes({0xE2, 0x82}) + "z"},
        DecodeCase{"OverlongSlash", "\xC0\xAF\xE0\x80\xAF", Escapes({0xC0, 0xAF, 0xE0, 0x80, 0xAF})},
        DecodeCase{"EncodedSurrogate", "\xED\xA0\x80", Escapes({0xED, 0xA0, 0x80})},
        DecodeCase{"BeyondTheLastCodePoint", "\xF4\x90\x80\x80\xF5", Escapes({0xF4, 0x90, 0x80, 0x80, 0xF5})},
        DecodeCase{"ReservedCharacterReadsAsItsBytes", "\xEF\x9C\x80", Escapes({0xEF, 0x9C, 0x80})},
        DecodeCase{"LastReservedCharacter", "\xEF\x9F\xBF", Escapes({0xEF, 0x9F, 0xBF})},
        DecodeCase{"JustAfterTheReservedBlock", "\xEF\xA0\x80", QString(QChar(char16_t(0xF800)))},
        DecodeCase{"LineAndParagraphSeparators", "\xE2\x80\xA8\xE2\x80\xA9",
                   Escapes({0xE2, 0x80, 0xA8, 0xE2, 0x80, 0xA9})},
        DecodeCase{"FrameMarkers", "\xEF\xB7\x90\xEF\xB7\x91", Escapes({0xEF, 0xB7, 0x90, 0xEF, 0xB7, 0x91})},
        DecodeCase{"NoBreakSpaceStays", "a\xC2\xA0z", QString::fromUtf8("a\xC2\xA0z")}),
    [](const testing::TestParamInfo<DecodeCase> &info) { return std::string(info.param.name); });

TEST(ByteText, RandomBytesComeBackUnchanged)
{
    // Bytes drawn mostly from those that matter: line ends, NUL, lead and
    // continuation bytes, the reserved block's lead.
    const unsigned char alphabet[] = {'\r', '\n', 0, 'a', 0x80, 0xA0, 0xBF, 0xC2, 0xDF,
                                      0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4, 0xF8, 0x9C, 0xFF};
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 24, '\0');
        for (char &byte : bytes) {
            byte = random() % 4 == 0 ? static_cast<char>(random() % 256)
                                     : static_cast<char>(alphabet[random() % std::size(alphabet)]);
        }
        ASSERT_EQ(Encode(BytesToText(bytes)), bytes) << "round " << round;
    }
}

struct EncodeCase {
    const char *name;
    QString text;
    std::string bytes;
};

void PrintTo(const EncodeCase &c, std::ostream *out)
{
    *out << c.name;
}

class TextToBytesCase : public testing::TestWithParam<EncodeCase> {};

TEST_P(TextToBytesCase, WritesTheTextAsUtf8WithCrLfBreaks)
{
    EXPECT_EQ(Encode(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    ByteText, TextToBytesCase,
    testing::Values(EncodeCase{"TypedCharacters", QString::fromUtf8("\xC3\xBC\xE2\x82\xAC"), "\xC3\xBC\xE2\x82\xAC"},
                    EncodeCase{"EveryBreakIsCrLf", QString("a\nb") + QChar::LineSeparator + "c" + QChar::ParagraphSeparator,
                               "a\r\nb\r\nc\r\n"},
                    EncodeCase{"SurrogatePair", QString::fromUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80"},
                    EncodeCase{"LoneSurrogate", QString(QChar(char16_t(0xD800))) + "x", "\xEF\xBF\xBDx"},
                    EncodeCase{"EscapesAreTheirBytes", Escapes({0, 0xFF, '\r'}), std::string("\0\xFF\r", 3)}),
    [](const testing::TestParamInfo<EncodeCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace lindo::test
