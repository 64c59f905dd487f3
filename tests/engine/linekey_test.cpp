// The key a line is compared by when blanks or case are ignored: made whole
// (MakeLineKey), read without making it (SameLineKey) and tagged where it
// stands (KeyTagger), the three must agree.

#include "engine/linekey.h"
#include "engine/texthash.h"

#include <gtest/gtest.h>

#include <string>

namespace lindo::test {
namespace {

std::string KeyOf(std::string_view text, const LineKeyOptions &options)
{
    std::string key;
    MakeLineKey(text, options, key);
    return key;
}

// Case is folded a word at a time: every letter at every byte of two words,
// and the bytes just outside A-Z, which stay as they are.
TEST(LineKey, IgnoringCaseFoldsEveryLetterAtEveryPosition)
{
    const LineKeyOptions options{.ignoreCase = true};
    for (int at = 0; at < 16; ++at) {
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            std::string upper(16, '.');
            upper[static_cast<std::size_t>(at)] = letter;
            std::string lower = upper;
            lower[static_cast<std::size_t>(at)] = static_cast<char>(letter + ('a' - 'A'));
            SCOPED_TRACE(upper);
            EXPECT_EQ(KeyOf(upper, options), KeyOf(lower, options));
            EXPECT_TRUE(SameLineKey(upper, lower, options));
        }
        for (const char outside : {'@', '['}) {
            std::string text(16, '.');
            text[static_cast<std::size_t>(at)] = outside;
            EXPECT_EQ(KeyOf(text, options), text);
        }
    }
}

// Blank space is what GNU diff's -b and -w take it to be: the C locale's
// isspace, so form feed, vertical tab and carriage return too; the bytes
// just outside that range are text.
TEST(LineKey, BlankSpaceIsWhatIsspaceTakes)
{
    const LineKeyOptions spaceChange{.ignoreSpaceChange = true};
    const LineKeyOptions allSpace{.ignoreAllSpace = true};
    for (const char blank : {' ', '\t', '\v', '\f', '\r'}) {
        const std::string text = std::string("a") + blank + blank + "b" + blank;
        SCOPED_TRACE(static_cast<int>(blank));
        EXPECT_EQ(KeyOf(text, spaceChange), "a b");
        EXPECT_EQ(KeyOf(text, allSpace), "ab");
        EXPECT_TRUE(SameLineKey(text, "a b", spaceChange));
        EXPECT_TRUE(SameLineKey(text, "ab", allSpace));
        EXPECT_TRUE(SameLineKey(std::string(1, blank), "", spaceChange));
    }
    for (const char text : {'\b', '\x0e', '\x1f', '!'}) {
        const std::string line = std::string("a") + text + "b";
        EXPECT_EQ(KeyOf(line, allSpace), line);
        EXPECT_FALSE(SameLineKey(line, "ab", allSpace));
    }
}

// Lines too long to have their keys made on the stack are read byte by
// byte; they compare by the same keys.
TEST(LineKey, LongLinesCompareByTheSameKeys)
{
    std::string text;
    std::string single;
    for (int n = 0; n < 100; ++n) {
        text += "Ab  \t";
        single += "ab ";
    }
    text += 'z';
    single += 'z';
    const LineKeyOptions spaceChange{.ignoreSpaceChange = true, .ignoreCase = true};
    const LineKeyOptions allSpace{.ignoreAllSpace = true, .ignoreCase = true};
    EXPECT_TRUE(SameLineKey(text, single, spaceChange));
    EXPECT_TRUE(SameLineKey(text, KeyOf(text, allSpace), allSpace));
    EXPECT_FALSE(SameLineKey(text, KeyOf(text, allSpace), spaceChange));
    EXPECT_FALSE(SameLineKey(text, single + 'z', spaceChange));
}

// A key's tag is made from a piece of the text where the key is one, else
// from a squeezed copy, eight bytes at a time, or found among the short
// texts tagged before: every way it is the tag of the key made whole, for
// texts with blank runs of every kind on both sides of word boundaries, at
// both ends, and none, and for texts that differ only between their first
// and last eight bytes (which the tagger files in one place).
TEST(LineKey, TagIsTheTagOfTheKeyMadeWhole)
{
    const std::string texts[] = {"",
                                 " ",
                                 "\t \t",
                                 "abc",
                                 " abc",
                                 "\tabc",
                                 " \tabc",
                                 "\t abc",
                                 "abc  ",
                                 "    if (value == Index) {",
                                 "\t\tReturn X;\t",
                                 "2026-12-09T01:47:06 web-01 handler[42]: INFO id=41 method=GET path=/Health",
                                 "abcdefg hijklmn",
                                 "abcdefgh ijklmno",
                                 "abcdefg  hijklmno",
                                 "abcdefg\vhijklmno ",
                                 "abcdefgh-1-ijklmnop",
                                 "abcdefgh-2-ijklmnop",
                                 "a b c d e f g h i j k l m n o p q",
                                 "ABCDEFGHIJKLMNOPQRSTUVWXYZ    abcdefghijklmnopqrstuvwxyz"};
    for (int mix = 1; mix < 8; ++mix) {
        const LineKeyOptions options{(mix & 1) != 0, (mix & 2) != 0, (mix & 4) != 0};
        KeyTagger tag(options);
        for (int round = 0; round < 2; ++round) {
            for (const std::string &text : texts) {
                SCOPED_TRACE(testing::Message() << "options " << mix << " text '" << text << "'");
                const std::string key = KeyOf(text, options);
                EXPECT_EQ(tag(text), TextTag(key));
                EXPECT_TRUE(SameLineKey(text, key, options));
            }
        }
    }
}

} // namespace
} // namespace lindo::test
