// Both ways of squeezing blank space give what reading the text byte by
// byte gives, on texts with blank runs of every kind and length at every
// place of a word, across word and block boundaries and at both ends; and
// both ways of telling that a text needs no squeezing are right when they
// say so.

#include "engine/linekey.h"
#include "engine/squeezeblanks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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
    std::vector<SqueezedCheck> checks{SqueezedAlreadyByWords, SqueezedAlready};
    const SqueezeWays gathering = GatheringSqueeze();
    if (gathering.squeeze) {
        ways.push_back(gathering.squeeze);
        checks.push_back(gathering.check);
    }
    const char bytes[] = {'a', 'Z', ' ', '\t', '\n', '\v', '\f', '\r', '\b', '\x0e', '\x80', '\xff', ' ', ' '};
    std::mt19937 random(7);
    for (int round = 0; round < 4000; ++round) {
        std::string text(random() % 160, 'x'); // up to three blocks of 64
        for (char &c : text)
            c = bytes[random() % sizeof bytes];
        // Words between single blanks, each a key of its own under -b,
        // with now and then one blank too many or of another kind.
        if (round % 2 == 1) {
            text = random() % 2 ? " " : "";
            while (text.size() < 150 && random() % 12 != 0)
                text += std::string(1 + random() % 9, "aZ\x80"[random() % 3]) + ' ';
            text += 'q';
            if (random() % 3 == 0)
                text[random() % text.size()] = bytes[2 + random() % 6];
        }
        if (round == 2)
            text = std::string(63, 'a') + "  b"; // a run across two blocks
        // One byte short of a block, with every byte staying under -b, and
        // the first blank after the text's end too, until the end drops it.
        if (round == 0) {
            text.assign(63, 'a');
            for (std::size_t n = 1; n < text.size(); n += 2)
                text[n] = ' ';
        }
        // Every other text ends where a page ends, so that its last block
        // cannot be read whole.
        constexpr std::uintptr_t kPage = 4096;
        std::vector<char> pages(3 * kPage);
        std::string_view view = text;
        if (round % 2 == 0) {
            const auto start = reinterpret_cast<std::uintptr_t>(pages.data());
            char *const end = pages.data() + (kPage - start % kPage) + kPage;
            view = std::string_view(end - text.size(), text.size());
            std::copy(text.begin(), text.end(), end - text.size());
        }
        for (const bool dropAll : {false, true}) {
            SCOPED_TRACE(testing::Message() << "text '" << text << "' dropAll " << dropAll);
            const std::string key = Squeezed(text, dropAll);
            for (const SqueezeWay way : ways) {
                std::string out(text.size() + kSqueezeRoom, '\0');
                out.resize(way(view, dropAll, out.data()));
                EXPECT_EQ(out, key);
            }
            // A text said to need no squeezing needs none; the gathering
            // way and short texts are also never wrong the other way.
            for (const SqueezedCheck check : checks) {
                const bool exact = check == gathering.check || text.size() < 8;
                if (check(view, dropAll) || exact) {
                    EXPECT_EQ(check(view, dropAll), key == text) << "check " << (check == gathering.check);
                }
            }
        }
    }
}

} // namespace
} // namespace lindo::test
