#pragma once

// The 32-bit tag of a line text: what the prepare step files a line under
// before it compares bytes. Equal texts always get equal tags.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace lindo {

inline std::uint32_t TextTag(std::string_view text)
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const char *p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = 0x243F6A8885A308D3ull ^ (n * kMultiplier);
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = (h ^ word) * kMultiplier;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h >> 32);
}

} // namespace lindo
