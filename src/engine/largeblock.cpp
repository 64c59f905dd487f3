#include "engine/largeblock.h"

#include <cstdint>
#include <sys/mman.h>

namespace lindo {

namespace {

// Under AddressSanitizer every block comes from the heap, where reads past
// its end are caught; a mapping of its own would hide them.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapBlocks = false;
#else
constexpr bool kMapBlocks = true;
#endif
#else
constexpr bool kMapBlocks = true;
#endif

bool Mapped(std::size_t bytes)
{
    return kMapBlocks && bytes >= kLargeBlockFrom;
}

std::size_t MappedLength(std::size_t bytes)
{
    constexpr std::size_t kSmallPage = 4096;
    const bool wholeLast = bytes < kWholeHugePagesBelow && bytes % kHugePage >= kLargeBlockFrom;
    const std::size_t unit = wholeLast ? kHugePage : kSmallPage;
    return (bytes + unit - 1) & ~(unit - 1);
}

} // namespace

void *AllocateLargeBlock(std::size_t bytes)
{
    if (!Mapped(bytes))
        return ::operator new(bytes);
    const std::size_t length = MappedLength(bytes);
    // Map a huge page more than needed and cut off what lies before the
    // first 2 MiB boundary and after the block.
    const std::size_t room = length + kHugePage;
    void *const mapped = ::mmap(nullptr, room, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t block = (start + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
    if (block > start)
        ::munmap(mapped, block - start);
    const std::uintptr_t tail = block + length;
    if (start + room > tail)
        ::munmap(reinterpret_cast<void *>(tail), start + room - tail);
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void *>(block), length, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void *>(block);
}

void FreeLargeBlock(void *block, std::size_t bytes) noexcept
{
    if (block == nullptr)
        return;
    if (!Mapped(bytes)) {
        ::operator delete(block);
        return;
    }
    ::munmap(block, MappedLength(bytes));
}

} // namespace lindo
