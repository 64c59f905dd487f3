#pragma once

// Memory for the large arrays of a comparison (the files' bytes, the line
// lists, the tables of the prepare step and the matching). Each is written
// through once, soon after it is made, so what it costs is mostly the
// kernel handing out fresh pages: about a microsecond and a half for every
// 4 KiB page, against some fifty for a whole 2 MiB page. Large blocks are
// therefore mapped on their own, starting on a 2 MiB boundary, and ask for
// 2 MiB pages. Whether the kernel gives them changes no result.

#include <cstddef>
#include <new>
#include <vector>

namespace lindo {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// From this size on a block is mapped on its own; smaller ones come from the heap.
constexpr std::size_t kLargeBlockFrom = std::size_t{256} << 10;
// Below this size a block's last 2 MiB page is whole too, when the block
// fills at least kLargeBlockFrom of it: clearing the rest costs less than
// that many 4 KiB faults. Larger blocks end in 4 KiB pages, so the large
// files' blocks take no memory beyond their size.
constexpr std::size_t kWholeHugePagesBelow = std::size_t{8} << 20;

// A block of at least `bytes` bytes (bytes > 0), aligned for any type;
// throws std::bad_alloc. Give it back with FreeLargeBlock and the same size.
void *AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void *block, std::size_t bytes) noexcept;

// Gives back a block of bytes for a std::unique_ptr.
struct LargeBlockDeleter {
    std::size_t bytes = 0;
    void operator()(char *block) const noexcept { FreeLargeBlock(block, bytes); }
};

// An allocator for standard containers of large arrays.
template <typename T>
class LargeBlockAllocator {
public:
    using value_type = T;

    LargeBlockAllocator() = default;
    template <typename U>
    LargeBlockAllocator(const LargeBlockAllocator<U> &) noexcept
    {
    }

    T *allocate(std::size_t count)
    {
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T *>(AllocateLargeBlock(count * sizeof(T)));
    }
    void deallocate(T *block, std::size_t count) noexcept { FreeLargeBlock(block, count * sizeof(T)); }

    template <typename U>
    bool operator==(const LargeBlockAllocator<U> &) const noexcept
    {
        return true;
    }
};

// A vector whose room, once large, is such a block.
template <typename T>
using LargeVector = std::vector<T, LargeBlockAllocator<T>>;

} // namespace lindo
