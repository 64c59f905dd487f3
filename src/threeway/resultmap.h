#pragma once

// Where each stretch of a three-way merge lies in the editable result: the
// result's lines from Start(k) up to End(k) belong to stretch k. The map
// follows the result through every edit, and through undo and redo back to
// exactly the places it had at that step, so a choice taken back gives its
// lines back to the stretch they came from.

#include <cstddef>
#include <vector>

namespace lindo {

class ResultMap {
public:
    // A fresh map: stretch k takes lineCounts[k] lines, in order from line 0.
    void Reset(const std::vector<int> &lineCounts);

    int StretchCount() const { return static_cast<int>(m_starts.size()) - 1; }
    int Start(int stretch) const { return m_starts[static_cast<std::size_t>(stretch)]; }
    int End(int stretch) const { return m_starts[static_cast<std::size_t>(stretch) + 1]; }
    // The stretch that holds the line: the last one starting at or before it
    // (past the end, the last one); -1 when there are none.
    int StretchAt(int line) const;

    // An edit by hand: lines `line` to `oldLast` became `line` to `newLast`.
    // A stretch that began inside the edited lines now begins after them, so
    // the edited lines stay with the stretch they began in.
    void Edited(int line, int oldLast, int newLast);
    // Stretch k's lines were replaced with `lineCount` new ones.
    void Replaced(int stretch, int lineCount);

    // Keeps the map as it is for the text after `editsDone` edits, and finds
    // it again: Recall is false when that step was never kept.
    void Remember(std::size_t editsDone);
    bool Recall(std::size_t editsDone);

private:
    std::vector<int> m_starts; // one per stretch, and the end of the last
    std::vector<std::vector<int>> m_kept; // m_starts after each edit step
};

} // namespace lindo
