#pragma once

// The changes within the paired lines of one pane, found as lines are first
// painted and kept for the repaints after, so that a paint costs a lookup
// per line rather than a comparison of two lines.

#include "engine/linechanges.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace lindo {

class DiffEngine;

// The line of the other side that `line` of `side`, in the side's section
// `section`, is paired with, -1 for none: line k of a changed section pairs
// with line k of its partner section.
int PairedLine(const DiffEngine &engine, int side, int section, int line);

class LineChangeCache {
public:
    // Forgets all it keeps when the engine or its loaded texts are not those
    // the changes were found for, or when it keeps too many lines: scrolling
    // through a huge comparison must not keep them all.
    void Refresh(const DiffEngine &engine);
    void Clear() { m_lines.clear(); }

    // The kept changes of line found against paired, null when not kept.
    const std::vector<ByteSpan> *Find(int line, int paired) const;
    const std::vector<ByteSpan> &Keep(int line, int paired, std::vector<ByteSpan> spans);

private:
    struct Entry {
        int paired = -1; // the other side's line they were found against
        std::vector<ByteSpan> spans;
    };
    std::unordered_map<int, Entry> m_lines;
    const DiffEngine *m_engine = nullptr;
    std::uint64_t m_load = 0;
};

} // namespace lindo
