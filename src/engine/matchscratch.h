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

    explicit UniqueLineIndex(std::uint32_t idCount) : m_entries(idCount) {}

    // Rebuilds the map over lines first..last (inclusive), entering only
    // lines that are unmatched right now.
    void Build(const DiffLines &lines, int first, int last)
    {
        if (++m_generation == 0) { // wrapped: old stamps could look current
            std::fill(m_entries.begin(), m_entries.end(), Entry{});
            m_generation = 1;
        }
        for (int i = first; i <= last; ++i) {
            const DiffLine &line = lines[static_cast<std::size_t>(i)];
            if (line.link != -1)
                continue;
            Entry &entry = m_entries[line.textId];
            if (entry.stamp != m_generation) {
                entry.stamp = m_generation;
                entry.index = i;
            } else {
                entry.index = kRepeated;
            }
        }
    }

    std::int32_t Lookup(std::uint32_t id) const
    {
        const Entry &entry = m_entries[id];
        return entry.stamp == m_generation ? entry.index : kAbsent;
    }

private:
    // An id's line and stamp side by side: one cache line to look at, and
    // one block (in a whole huge page when it is large) to make.
    struct Entry {
        std::int32_t index = 0;
        std::uint32_t stamp = 0;
    };
    LargeVector<Entry> m_entries;
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
