#pragma once

// The generators' random numbers: the same seed gives the same files on every
// machine and compiler.

#include <cstddef>
#include <cstdint>

namespace bench {

// splitmix64: tiny, fast and fully specified, unlike the distributions of <random>.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); the modulo bias is irrelevant at these sizes.
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    int Between(int low, int high) { return low + static_cast<int>(Below(static_cast<std::size_t>(high - low + 1))); }
    bool Chance(double p) { return static_cast<double>(Next() >> 11) * 0x1.0p-53 < p; }

    template <typename T, std::size_t N>
    const T &Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    std::uint64_t m_state;
};

} // namespace bench
