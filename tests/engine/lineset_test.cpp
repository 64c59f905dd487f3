// The line set against std::set on sets spanning several levels of words:
// first member at or after, last member at or before, as members come and go.

#include "engine/lineset.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <set>

namespace lindo::test {
namespace {

int NextIn(const std::set<int> &set, int line, int count)
{
    const auto found = set.lower_bound(line);
    return found == set.end() ? count : *found;
}

int PreviousIn(const std::set<int> &set, int line)
{
    const auto found = set.upper_bound(line);
    return found == set.begin() ? -1 : *std::prev(found);
}

TEST(LineSet, FindsTheNearestMembersAsAPlainSetDoes)
{
    std::mt19937 random(7);
    for (const int count : {1, 63, 64, 65, 4095, 4097, 300000}) {
        LineSet lines(count);
        std::set<int> expected;
        const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        for (int step = 0; step < 3000; ++step) {
            const int line = below(count);
            if (below(3) == 0) {
                lines.Erase(line);
                expected.erase(line);
            } else if (below(50) == 0) { // sparse stretches make the search climb
                lines.Insert(line);
                expected.insert(line);
            }
            const int probe = below(count + 2) - 1;
            SCOPED_TRACE("count " + std::to_string(count) + ", probe " + std::to_string(probe));
            ASSERT_EQ(lines.Next(probe), NextIn(expected, probe, count));
            ASSERT_EQ(lines.Previous(probe), PreviousIn(expected, probe));
            ASSERT_EQ(lines.Contains(line), expected.count(line) == 1);
        }
    }
}

} // namespace
} // namespace lindo::test
