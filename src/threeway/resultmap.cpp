#include "threeway/resultmap.h"

#include <algorithm>

namespace lindo {

void ResultMap::Reset(const std::vector<int> &lineCounts)
{
    m_starts.assign(1, 0);
    for (const int count : lineCounts)
        m_starts.push_back(m_starts.back() + count);
    m_kept.clear();
    Remember(0);
}

int ResultMap::StretchAt(int line) const
{
    if (StretchCount() == 0)
        return -1;
    // The first start past the line ends the stretch that holds it.
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end() - 1, line);
    // Of stretches starting at the same line, the empty ones come first.
    return std::max(0, static_cast<int>(after - m_starts.begin()) - 1);
}

void ResultMap::Edited(int line, int oldLast, int newLast)
{
    for (std::size_t n = 1; n < m_starts.size(); ++n) {
        int &start = m_starts[n];
        if (start <= line)
            continue;
        start = start > oldLast ? start + newLast - oldLast : newLast;
    }
}

void ResultMap::Replaced(int stretch, int lineCount)
{
    const int shift = Start(stretch) + lineCount - End(stretch);
    for (std::size_t n = static_cast<std::size_t>(stretch) + 1; n < m_starts.size(); ++n)
        m_starts[n] += shift;
}

void ResultMap::Remember(std::size_t editsDone)
{
    // Steps past this one can no longer be redone once it changes.
    m_kept.resize(editsDone + 1);
    m_kept[editsDone] = m_starts;
}

bool ResultMap::Recall(std::size_t editsDone)
{
    if (editsDone >= m_kept.size() || m_kept[editsDone].empty())
        return false;
    m_starts = m_kept[editsDone];
    return true;
}

} // namespace lindo
