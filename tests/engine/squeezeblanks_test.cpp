// Both ways of squeezing blank space give what reading the text byte by
// byte gives, on texts with blank runs of every kind and length at every
// place of a word, across word boundaries and at both ends.

#include "engine/linekey.h"
#include "engine/squeezeblanks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lindo::test {
namespace {

std::string Squeezed(std::string_view text, bool dropAll)
{
    std::string key;
    bool run = false;
    for (const char c : text) {
        if (IsBlank(c)) {
            run = true;
            continue;
        }
        if (run && !dropAll) // a run before more text leaves one blank
            key += ' ';
        run = false;
        key += c;
    }
    return key;
}

TEST(SqueezeBlanks, EveryWayGivesTheKeyReadByteByByte)
{
    std::vector<SqueezeWay> ways{SqueezeBlanksByStores, SqueezeBlanks};
    if (GatheringSqueeze())
        ways.push_back(GatheringSqueeze());
    const char bytes[] = {'a', 'Z', ' ', '\t', '\n', '\v', '\f', '\r', '\b', '\x0e', '\x80', '\xff', ' ', ' '};
    std::mt19937 random(7);
    for (int round = 0; round < 4000; ++round) {
        std::string text(random() % 160, 'x'); // up to three blocks of 64
        for (char &c : text)
            c = bytes[random() % sizeof bytes];
        // One byte short of a block, with every byte staying under -b, and
        // the first blank after the text's end too, until the end drops it.
        if (round == 0) {
            text.assign(63, 'a');
            for (std::size_t n = 1; n < text.size(); n += 2)
                text[n] = ' ';
        }
        for (const bool dropAll : {false, true}) {
            SCOPED_TRACE(testing::Message() << "text '" << text << "' dropAll " << dropAll);
            for (const SqueezeWay way : ways) {
                std::string out(text.size() + 8, '\0');
                out.resize(way(text, dropAll, out.data()));
                EXPECT_EQ(out, Squeezed(text, dropAll));
            }
        }
    }
}

} // namespace
} // namespace lindo::test
