#include "engine/cycletracker.h"

#include <algorithm>

namespace lindo {

CycleTracker::CycleTracker(const DiffLines &lines1, const DiffLines &lines2, std::uint32_t textCount)
    : m_sides{&lines1, &lines2},
      m_lineCount{static_cast<int>(lines1.size()), static_cast<int>(lines2.size())},
      m_linked{LineSet(static_cast<int>(lines1.size())), LineSet(static_cast<int>(lines2.size()))}
{
    for (std::size_t s = 0; s < 2; ++s) {
        const DiffLines &lines = *m_sides[s];
        auto &unmatched = m_unmatched[s];
        auto &starts = m_starts[s];
        unmatched.assign(textCount, 0);
        starts.assign(textCount + 1, 0);
        for (std::size_t n = 0; n < lines.size(); ++n) {
            ++starts[lines[n].textId + 1];
            if (lines[n].link < 0)
                ++unmatched[lines[n].textId];
            else
                m_linked[s].Insert(static_cast<int>(n));
        }
        for (std::uint32_t id = 0; id < textCount; ++id)
            starts[id + 1] += starts[id];
        // Filled in line order, so each text's lines come out sorted.
        std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
        m_lines[s].resize(lines.size());
        for (std::size_t n = 0; n < lines.size(); ++n)
            m_lines[s][next[lines[n].textId]++] = static_cast<std::int32_t>(n);
    }
    for (std::uint32_t id = 0; id < textCount; ++id) {
        if (UniqueOnBothSides(id))
            m_newlyUnique.push_back(id);
    }
}

void CycleTracker::Linked(int line1, int line2, std::uint32_t textId)
{
    m_linked[0].Insert(line1);
    m_linked[1].Insert(line2);
    m_recent[0].push_back(line1);
    m_recent[1].push_back(line2);
    // Both counts fall together, so a text reaches one and one at most once.
    --m_unmatched[0][textId];
    --m_unmatched[1][textId];
    if (UniqueOnBothSides(textId))
        m_newlyUnique.push_back(textId);
}

std::vector<std::uint32_t> CycleTracker::TakeNewlyUnique()
{
    std::vector<std::uint32_t> taken;
    taken.swap(m_newlyUnique);
    return taken;
}

std::vector<int> CycleTracker::TakeRecent(int side)
{
    std::vector<int> taken;
    taken.swap(m_recent[Index(side)]);
    return taken;
}

std::pair<const std::int32_t *, const std::int32_t *> CycleTracker::Occurrences(int side,
                                                                                std::uint32_t textId) const
{
    const auto &starts = m_starts[Index(side)];
    const std::int32_t *lines = m_lines[Index(side)].data();
    return {lines + starts[textId], lines + starts[textId + 1]};
}

int CycleTracker::UnmatchedCopy(int side, std::uint32_t textId) const
{
    const DiffLines &lines = *m_sides[Index(side)];
    const auto [begin, end] = Occurrences(side, textId);
    for (const std::int32_t *line = begin; line != end; ++line) {
        if (lines[static_cast<std::size_t>(*line)].link < 0)
            return *line;
    }
    return -1;
}

int CycleTracker::CountIn(int side, std::uint32_t textId, LineRun run) const
{
    const auto [begin, end] = Occurrences(side, textId);
    return static_cast<int>(std::upper_bound(begin, end, run.last) - std::lower_bound(begin, end, run.first));
}

int CycleTracker::OnlyIn(int side, std::uint32_t textId, LineRun run) const
{
    const auto [begin, end] = Occurrences(side, textId);
    const std::int32_t *from = std::lower_bound(begin, end, run.first);
    if (from == end || *from > run.last)
        return -1;
    if (from + 1 != end && from[1] <= run.last)
        return -1;
    return *from;
}

} // namespace lindo
