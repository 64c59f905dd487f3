#pragma once

// The 32-bit tag of a line text: what the prepare step files a line under
// before it compares bytes. Equal texts always get equal tags.

#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

namespace lindo {

// Reads the n bytes at p (n <= 8) as one word without a byte-by-byte copy:
// two overlapping loads, both inside the text. Equal bytes give equal words.
inline std::uint64_t ShortWord(const char *p, std::size_t n)
{
    if (n >= 4) {
        std::uint32_t low;
        std::uint32_t high;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + n - 4, 4);
        return (static_cast<std::uint64_t>(high) << 32) | low;
    }
    if (n == 0)
        return 0;
    const auto byte = [p](std::size_t at) { return static_cast<std::uint64_t>(static_cast<unsigned char>(p[at])); };
    return byte(0) | (byte(n / 2) << 8) | (byte(n - 1) << 16);
}

constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// The high bit of every byte of word that equals byte, nothing else: an
// exact test, with no false marks from borrows between bytes.
constexpr std::uint64_t BytesEqualTo(std::uint64_t word, char byte)
{
    const std::uint64_t x = word ^ (kEveryByte * static_cast<unsigned char>(byte)); // zero where equal
    return ~(((x & ~kHighBits) + ~kHighBits) | x) & kHighBits;
}

// Whether two texts are the same bytes; texts of up to sixteen bytes are
// compared as words, without a call.
inline bool SameText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    if (n <= 8)
        return ShortWord(a.data(), n) == ShortWord(b.data(), n);
    if (n <= 16) {
        std::uint64_t a1, a2, b1, b2;
        std::memcpy(&a1, a.data(), 8);
        std::memcpy(&b1, b.data(), 8);
        std::memcpy(&a2, a.data() + n - 8, 8);
        std::memcpy(&b2, b.data() + n - 8, 8);
        return a1 == b1 && a2 == b2;
    }
    return std::memcmp(a.data(), b.data(), n) == 0;
}

// The tag of a text; with a word transform, the tag the text would have if
// each of its words were transformed first, which, for a transform of each
// byte alone (such as folding case), is the tag of the transformed text.
template <typename Transform = std::identity>
inline std::uint32_t TextTag(std::string_view text, Transform &&transform = {})
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const char *p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = 0x243F6A8885A308D3ull ^ (n * kMultiplier);
    if (n > 16) {
        // Two chains of words side by side, so that their multiplications
        // overlap; then what is left, as below.
        std::uint64_t h2 = h ^ 0x452821E638D01377ull;
        for (; n > 16; p += 16, n -= 16) {
            std::uint64_t word1;
            std::uint64_t word2;
            std::memcpy(&word1, p, 8);
            std::memcpy(&word2, p + 8, 8);
            h = (h ^ transform(word1)) * kMultiplier;
            h2 = (h2 ^ transform(word2)) * kMultiplier;
            h ^= h >> 29;
            h2 ^= h2 >> 31;
        }
        h ^= h2 * 0xD6E8FEB86659FD93ull;
        // n is 1 to 16, and at least 16 bytes lie before p + n.
        std::uint64_t word;
        if (n > 8) {
            std::memcpy(&word, p, 8);
            h = (h ^ transform(word)) * kMultiplier;
            h ^= h >> 29;
        }
        std::memcpy(&word, p + n - 8, 8);
        h = (h ^ transform(word)) * kMultiplier;
    } else if (n > 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ transform(word)) * kMultiplier;
        h ^= h >> 29;
        std::memcpy(&word, p + n - 8, 8);
        h = (h ^ transform(word)) * kMultiplier;
    } else {
        h = (h ^ transform(ShortWord(p, n))) * kMultiplier;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h >> 32);
}

} // namespace lindo
