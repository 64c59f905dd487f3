#pragma once

// A set of line numbers, answering "first member at or after
// n" and "last member at or before n" in a few word operations however large
// the file: a tree of 64-bit words, each bit of a level telling whether the
// word below it holds any member.

#include <bit>
#include <cstdint>
#include <vector>

namespace lindo {

class LineSet {
public:
    explicit LineSet(int count) : m_count(count)
    {
        std::size_t bits = static_cast<std::size_t>(count > 0 ? count : 1);
        do {
            bits = (bits + 63) / 64;
            m_levels.emplace_back(bits, 0);
        } while (bits > 1);
    }

    void Insert(int line)
    {
        auto n = static_cast<std::size_t>(line);
        for (auto &level : m_levels) {
            level[n / 64] |= std::uint64_t{1} << (n % 64);
            n /= 64;
        }
    }

    void Erase(int line)
    {
        auto n = static_cast<std::size_t>(line);
        for (auto &level : m_levels) {
            std::uint64_t &word = level[n / 64];
            word &= ~(std::uint64_t{1} << (n % 64));
            if (word != 0)
                break;
            n /= 64;
        }
    }

    bool Contains(int line) const
    {
        const auto n = static_cast<std::size_t>(line);
        return ((m_levels[0][n / 64] >> (n % 64)) & 1) != 0;
    }

    // The first member >= line, or the line count when there is none.
    int Next(int line) const
    {
        if (line >= m_count)
            return m_count;
        auto n = static_cast<std::size_t>(line < 0 ? 0 : line);
        std::size_t depth = 0;
        // Climb until a word holds a member at or after the position.
        for (;;) {
            const auto &level = m_levels[depth];
            const std::size_t word = n / 64;
            if (word >= level.size())
                return m_count;
            const std::uint64_t bits = level[word] & (~std::uint64_t{0} << (n % 64));
            if (bits != 0) {
                n = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                break;
            }
            if (depth + 1 == m_levels.size())
                return m_count;
            n = word + 1;
            ++depth;
        }
        // Descend along the lowest members.
        while (depth > 0) {
            --depth;
            n = n * 64 + static_cast<std::size_t>(std::countr_zero(m_levels[depth][n]));
        }
        return static_cast<int>(n);
    }

    // The last member <= line, or -1 when there is none.
    int Previous(int line) const
    {
        if (line < 0)
            return -1;
        auto n = static_cast<std::size_t>(line >= m_count ? m_count - 1 : line);
        std::size_t depth = 0;
        // Climb until a word holds a member at or before the position.
        for (;;) {
            const std::size_t word = n / 64;
            const std::uint64_t bits = m_levels[depth][word] & (~std::uint64_t{0} >> (63 - n % 64));
            if (bits != 0) {
                n = word * 64 + 63 - static_cast<std::size_t>(std::countl_zero(bits));
                break;
            }
            if (word == 0 || depth + 1 == m_levels.size())
                return -1;
            n = word - 1;
            ++depth;
        }
        // Descend along the highest members.
        while (depth > 0) {
            --depth;
            n = n * 64 + 63 - static_cast<std::size_t>(std::countl_zero(m_levels[depth][n]));
        }
        return static_cast<int>(n);
    }

private:
    int m_count;
    std::vector<std::vector<std::uint64_t>> m_levels;
};

} // namespace lindo
