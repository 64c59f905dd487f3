// The blocks the comparison's large arrays live in: every byte asked for
// is there, on either side of each size at which the way a block is made
// changes, and a vector keeps its items as it grows from heap memory into
// mapped blocks and from one mapped block into a larger one.

#include "engine/largeblock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace lindo::test {
namespace {

TEST(LargeBlock, EveryByteAskedForCanBeWrittenAndRead)
{
    for (const std::size_t bytes :
         {std::size_t{1}, kLargeBlockFrom - 1, kLargeBlockFrom, kHugePage - 1, kHugePage + 1,
          kWholeHugePagesBelow - 1, kWholeHugePagesBelow, kWholeHugePagesBelow + 4097}) {
        SCOPED_TRACE(bytes);
        auto *const block = static_cast<unsigned char *>(AllocateLargeBlock(bytes));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u);
        std::memset(block, 0xA5, bytes);
        EXPECT_EQ(block[0], 0xA5);
        EXPECT_EQ(block[bytes - 1], 0xA5);
        FreeLargeBlock(block, bytes);
    }
}

TEST(LargeBlock, VectorKeepsItsItemsWhileItGrows)
{
    LargeVector<std::uint32_t> items;
    const std::uint32_t count = 3 * kWholeHugePagesBelow / sizeof(std::uint32_t);
    for (std::uint32_t n = 0; n < count; ++n)
        items.push_back(n * 2654435761u);
    std::uint32_t wrong = 0;
    for (std::uint32_t n = 0; n < count; ++n)
        wrong += items[n] != n * 2654435761u;
    EXPECT_EQ(wrong, 0u);
    items.resize(10);
    items.shrink_to_fit();
    EXPECT_EQ(items[9], 9 * 2654435761u);
}

} // namespace
} // namespace lindo::test
