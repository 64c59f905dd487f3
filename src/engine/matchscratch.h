#pragma once

// Working memory of one Compare: two UniqueLineIndex maps (one per side),
// keyed by interned text id. A generation stamp per id makes building a map
// over a range cost only that range, never the size of the whole id space.

#include "engine/difftypes.h"
#include "engine/largeblock.h"

#include <cstdint>
#include <vector>

namespace lindo {

class UniqueLineIndex {
public:
    static constexpr std::int32_t kRepeated = -1; // occurs more than once among the range's unmatched lines
    static constexpr std::int32_t kAbsent = -2;   // does not occur there

    explicit UniqueLineIndex(std::uint32_t idCount) : m_index(idCount, 0), m_stamp(idCount, 0) {}

    // Rebuilds the map over lines first..last (inclusive), entering only
    // lines that are unmatched right now.
    void Build(const DiffLines &lines, int first, int last)
    {
        if (++m_generation == 0) { // wrapped: old stamps could look current
            std::fill(m_stamp.begin(), m_stamp.end(), 0);
            m_generation = 1;
        }
        for (int i = first; i <= last; ++i) {
            const DiffLine &line = lines[static_cast<std::size_t>(i)];
            if (line.link != -1)
                continue;
            const std::uint32_t id = line.textId;
            if (m_stamp[id] != m_generation) {
                m_stamp[id] = m_generation;
                m_index[id] = i;
            } else {
                m_index[id] = kRepeated;
            }
        }
    }

    std::int32_t Lookup(std::uint32_t id) const
    {
        return m_stamp[id] == m_generation ? m_index[id] : kAbsent;
    }

private:
    LargeVector<std::int32_t> m_index;
    LargeVector<std::uint32_t> m_stamp;
    std::uint32_t m_generation = 0;
};

class MatchScratch {
public:
    explicit MatchScratch(std::uint32_t idCount) : unique1(idCount), unique2(idCount) {}
    UniqueLineIndex unique1;
    UniqueLineIndex unique2;
    // Per line of the second side: the section starting there, -1 for none.
    LargeVector<std::int32_t> sectionStarting;
};

} // namespace lindo
