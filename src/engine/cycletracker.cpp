#include "engine/cycletracker.h"

#include <algorithm>

namespace lindo {

CycleTracker::CycleTracker(const DiffLines &lines1, const DiffLines &lines2, std::uint32_t textCount)
    : m_sides{&lines1, &lines2},
      m_lineCount{static_cast<int>(lines1.size()), static_cast<int>(lines2.size())}, m_texts(textCount),
      m_linked{LineSet(static_cast<int>(lines1.size())), LineSet(static_cast<int>(lines2.size()))},
      m_unlinked{LineSet(static_cast<int>(lines1.size())), LineSet(static_cast<int>(lines2.size()))},
      m_lone{LineSet(static_cast<int>(lines1.size())), LineSet(static_cast<int>(lines2.size()))}
{
    for (std::size_t s = 0; s < 2; ++s) {
        const DiffLines &lines = *m_sides[s];
        auto &starts = m_starts[s];
        starts.assign(textCount + 1, 0);
        for (std::size_t n = 0; n < lines.size(); ++n) {
            ++starts[lines[n].textId + 1];
            if (lines[n].link < 0) {
                TextState &text = m_texts[lines[n].textId];
                ++text.unmatched[s];
                text.unmatchedSum[s] += static_cast<std::uint32_t>(n);
                ++m_unmatchedLines[s];
                m_unlinked[s].Insert(static_cast<int>(n));
            } else {
                m_linked[s].Insert(static_cast<int>(n));
            }
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
        const TextState &text = m_texts[id];
        for (std::size_t s = 0; s < 2; ++s) {
            if (text.unmatched[s] == 1)
                m_lone[s].Insert(static_cast<int>(text.unmatchedSum[s]));
        }
        if (UniqueOnBothSides(id))
            m_newlyUnique.push_back(id);
    }
}

void CycleTracker::Linked(int line1, int line2, std::uint32_t textId)
{
    m_linked[0].Insert(line1);
    m_linked[1].Insert(line2);
    m_unlinked[0].Erase(line1);
    m_unlinked[1].Erase(line2);
    --m_unmatchedLines[0];
    --m_unmatchedLines[1];
    m_recent[0].push_back(line1);
    m_recent[1].push_back(line2);
    // Both counts fall together, so a text reaches one and one at most once.
    TextState &text = m_texts[textId];
    --text.unmatched[0];
    --text.unmatched[1];
    text.unmatchedSum[0] -= static_cast<std::uint32_t>(line1);
    text.unmatchedSum[1] -= static_cast<std::uint32_t>(line2);
    const std::array<int, 2> linked{line1, line2};
    for (std::size_t s = 0; s < 2; ++s) {
        if (text.unmatched[s] == 1)
            m_lone[s].Insert(static_cast<int>(text.unmatchedSum[s]));
        else if (text.unmatched[s] == 0)
            m_lone[s].Erase(linked[s]);
    }
    if (text.unmatched[0] == 1 && text.unmatched[1] == 1)
        m_newlyUnique.push_back(textId);
}

const std::vector<std::uint32_t> &CycleTracker::TakeNewlyUnique()
{
    m_takenTexts.clear();
    m_takenTexts.swap(m_newlyUnique);
    return m_takenTexts;
}

const std::vector<int> &CycleTracker::TakeRecent(int side)
{
    auto &taken = m_takenRecent[Index(side)];
    taken.clear();
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

void CycleTracker::LinkCopies()
{
    if (!m_previousCopy[0].empty() || !m_previousCopy[1].empty())
        return;
    for (std::size_t s = 0; s < 2; ++s) {
        const auto &starts = m_starts[s];
        m_previousCopy[s].resize(m_lines[s].size());
        m_nextCopy[s].resize(m_lines[s].size());
        for (std::size_t id = 0; id + 1 < starts.size(); ++id) {
            std::int32_t previous = -1;
            for (std::uint32_t k = starts[id]; k < starts[id + 1]; ++k) {
                const auto line = static_cast<std::size_t>(m_lines[s][k]);
                m_previousCopy[s][line] = previous;
                m_nextCopy[s][line] = k + 1 < starts[id + 1] ? m_lines[s][k + 1] : m_lineCount[s];
                previous = static_cast<std::int32_t>(line);
            }
        }
    }
}

void CycleTracker::CountOutside(int side, LineRun run)
{
    if (m_outside.empty()) {
        m_outside.assign(m_texts.size(), 0);
        m_outsideStamp.assign(m_texts.size(), 0);
    }
    if (++m_outsideGeneration == 0) { // wrapped: old stamps could look current
        std::fill(m_outsideStamp.begin(), m_outsideStamp.end(), 0);
        m_outsideGeneration = 1;
    }
    m_outsideTexts.clear();
    const DiffLines &lines = *m_sides[Index(side)];
    const LineSet &unlinked = m_unlinked[Index(side)];
    const int count = LineCount(side);
    for (int line = unlinked.Next(0); line < count; line = unlinked.Next(line + 1)) {
        if (line == run.first) {
            line = run.last;
            continue;
        }
        const std::uint32_t id = lines[static_cast<std::size_t>(line)].textId;
        if (m_outsideStamp[id] != m_outsideGeneration) {
            m_outsideStamp[id] = m_outsideGeneration;
            m_outside[id] = 0;
            m_outsideTexts.push_back(id);
        }
        ++m_outside[id];
    }
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
