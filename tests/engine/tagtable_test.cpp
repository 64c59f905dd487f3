// The table that numbers texts and keys: ids by first arrival, items told
// apart when their tags collide, and ids kept as the table grows. Real text
// tags collide too rarely for the comparison tests to reach these paths.

#include "engine/tagtable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace lindo::test {
namespace {

// An item and the tag it is filed under; equal items must share a tag.
using TaggedItem = std::pair<std::uint32_t, std::string>;

// Interns the items in order, each referred to by its index; their ids.
// Fails the test when the table compares items whose tags differ.
std::vector<std::uint32_t> InternAll(TagTable &table, const std::vector<TaggedItem> &items)
{
    std::vector<std::uint32_t> ids;
    for (std::uint32_t n = 0; n < items.size(); ++n) {
        ids.push_back(table.Intern(items[n].first, n, [&](std::uint32_t first) {
            EXPECT_EQ(items[first].first, items[n].first) << "items of other tags compared";
            return items[first].second == items[n].second;
        }));
    }
    return ids;
}

struct TagTableCase {
    const char *name;
    std::vector<TaggedItem> items;
    std::vector<std::uint32_t> ids;
};

void PrintTo(const TagTableCase &c, std::ostream *out)
{
    *out << c.name;
}

class TagTableIds : public testing::TestWithParam<TagTableCase> {};

TEST_P(TagTableIds, EqualItemsShareAnIdAndNewOnesCountUp)
{
    TagTable table(0);
    const TagTableCase &c = GetParam();
    EXPECT_EQ(InternAll(table, c.items), c.ids);
    std::uint32_t count = 0;
    for (const std::uint32_t id : c.ids)
        count = std::max(count, id + 1);
    EXPECT_EQ(table.Count(), count);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagTableIds,
    testing::Values(
        TagTableCase{"EqualItems", {{7, "a"}, {9, "b"}, {7, "a"}, {9, "b"}}, {0, 1, 0, 1}},
        TagTableCase{"SameTagOtherItems", {{7, "a"}, {7, "b"}, {7, "c"}, {7, "b"}, {7, "a"}}, {0, 1, 2, 1, 0}},
        // 1023 lands on the last of the first 1024 slots: the next item with
        // that tag wraps round to slot 0, where tag 0's item then finds it.
        TagTableCase{"ProbingWrapsPastTheLastSlot", {{1023, "a"}, {1023, "b"}, {0, "c"}, {1023, "b"}, {0, "c"}},
                     {0, 1, 2, 1, 2}},
        TagTableCase{"TagsBeyondTheSlotsShareSlots", {{5, "a"}, {5 + 1024, "b"}, {5 + 4096, "c"}, {5 + 1024, "b"}},
                     {0, 1, 2, 1}}),
    [](const testing::TestParamInfo<TagTableCase> &info) { return std::string(info.param.name); });

// Many items, some of them sharing tags, so that the table doubles several
// times with runs of collided slots in it: every item keeps its id and the
// reference of its first arrival.
TEST(TagTableGrowth, IdsAndFirstReferencesSurviveDoubling)
{
    constexpr std::uint32_t count = 5000;
    std::vector<TaggedItem> items;
    for (std::uint32_t n = 0; n < count; ++n)
        items.emplace_back((n % 7 == 0 ? n / 7 * 2048 : n * 2654435761u), "item " + std::to_string(n));
    // Then again, last first: every item finds its own id.
    for (std::uint32_t n = count; n-- > 0;)
        items.push_back(items[n]);
    TagTable table(0);
    const std::vector<std::uint32_t> ids = InternAll(table, items);
    for (std::uint32_t n = 0; n < count; ++n) {
        ASSERT_EQ(ids[n], n);
        ASSERT_EQ(ids[count + n], count - 1 - n);
        ASSERT_EQ(table.FirstRef(n), n);
    }
    EXPECT_EQ(table.Count(), count);
}

} // namespace
} // namespace lindo::test
