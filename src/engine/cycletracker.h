#pragma once

// What the matching cycles need to know about the links made so far, kept up
// to date link by link, so that a cycle can look only at what changed since
// the one before: which texts just came down to one unmatched copy on each
// side, which lines were linked since the sections were last cut, where each
// unmatched run begins and ends, and how often a text occurs within a run.
// Built only once a comparison has needed several cycles: ordinary pairs
// never pay for it.

#include "engine/difftypes.h"
#include "engine/lineset.h"

#include <array>
#include <cstdint>
#include <vector>

namespace lindo {

// A run of lines of one side, first..last inclusive.
struct LineRun {
    int first = 0;
    int last = -1;
    bool operator==(const LineRun &) const = default;
};

// An unmatched run of each side that the cycle matches against each other.
// `again`: the second side's run was matched against another run earlier in
// the same cycle, so it may hold links by now.
struct RunPair {
    LineRun run1;
    LineRun run2;
    bool again = false;
};

class CycleTracker {
public:
    // Takes the state of the links as they are now; from then on every link
    // must be reported through Linked.
    CycleTracker(const DiffLines &lines1, const DiffLines &lines2, std::uint32_t textCount);

    void Linked(int line1, int line2, std::uint32_t textId);

    // Texts that have come down to one unmatched copy on each side since the
    // last call (at the first call: all such texts); some may have lost
    // those copies since.
    const std::vector<std::uint32_t> &TakeNewlyUnique();
    bool UniqueOnBothSides(std::uint32_t textId) const
    {
        const TextState &text = m_texts[textId];
        return text.unmatched[0] == 1 && text.unmatched[1] == 1;
    }
    // The one unmatched line of the text on that side, where it has one.
    int UnmatchedCopy(int side, std::uint32_t textId) const
    {
        return static_cast<int>(m_texts[textId].unmatchedSum[Index(side)]);
    }

    // Lines linked since the last call, on that side.
    const std::vector<int> &TakeRecent(int side);

    bool IsLinked(int side, int line) const { return Set(side).Contains(line); }
    int LineCount(int side) const { return m_lineCount[Index(side)]; }
    // The unmatched run starting at an unmatched line.
    LineRun RunFrom(int side, int first) const { return {first, Set(side).Next(first) - 1}; }
    // The unmatched run ending at an unmatched line.
    LineRun RunTo(int side, int last) const { return {Set(side).Previous(last) + 1, last}; }

    // Whether no other line of the run has the line's text; LinkCopies first.
    void LinkCopies();
    bool UniqueIn(int side, int line, LineRun run) const
    {
        const auto n = static_cast<std::size_t>(line);
        return m_previousCopy[Index(side)][n] < run.first && m_nextCopy[Index(side)][n] > run.last;
    }
    int UnmatchedCopies(int side, std::uint32_t textId) const { return m_texts[textId].unmatched[Index(side)]; }
    int UnmatchedLines(int side) const { return m_unmatchedLines[Index(side)]; }
    // Counts the unmatched lines of each text outside the run, for CountedOutside.
    void CountOutside(int side, LineRun run);
    int CountedOutside(std::uint32_t textId) const
    {
        return m_outsideStamp[textId] == m_outsideGeneration ? m_outside[textId] : 0;
    }
    // The texts CountOutside counted.
    const std::vector<std::uint32_t> &OutsideTexts() const { return m_outsideTexts; }
    // The first line at or after `line` that is the only unmatched line of
    // its text on that side, or the line count.
    int NextLoneCopy(int side, int line) const { return m_lone[Index(side)].Next(line); }
    // The text's line within the run when it occurs there exactly once, else -1.
    int OnlyIn(int side, std::uint32_t textId, LineRun run) const;

    // The first side's leading run and its partner as last paired, so that
    // the same pair of untouched runs is not matched again.
    RunPair lastLeadingPair{{-1, -1}, {-1, -1}, false};
    // Working lists of a cycle, kept to spare an allocation per cycle.
    std::vector<std::pair<int, int>> anchors;
    std::vector<RunPair> pairs;

private:
    static std::size_t Index(int side) { return side == 1 ? 0 : 1; }
    const LineSet &Set(int side) const { return m_linked[Index(side)]; }
    // Lines of each text in line order: m_lines[side][m_starts[side][id] ..
    // m_starts[side][id + 1]).
    std::pair<const std::int32_t *, const std::int32_t *> Occurrences(int side, std::uint32_t textId) const;

    std::array<const DiffLines *, 2> m_sides;
    std::array<int, 2> m_lineCount;
    // Per text and side: how many of its lines are unmatched, and the sum of
    // their line numbers modulo 2^32 (which is the line itself when there is
    // one).
    struct TextState {
        std::array<std::int32_t, 2> unmatched{0, 0};
        std::array<std::uint32_t, 2> unmatchedSum{0, 0};
    };
    std::vector<TextState> m_texts;
    std::array<std::vector<std::uint32_t>, 2> m_starts;
    std::array<std::vector<std::int32_t>, 2> m_lines;
    std::array<LineSet, 2> m_linked;
    std::array<LineSet, 2> m_unlinked;
    std::array<LineSet, 2> m_lone;
    std::array<int, 2> m_unmatchedLines{0, 0};
    // Each line's nearest lines of the same text before and after it (-1 and
    // the line count where there is none); made when first needed, as are
    // the counts outside a run.
    std::array<std::vector<std::int32_t>, 2> m_previousCopy;
    std::array<std::vector<std::int32_t>, 2> m_nextCopy;
    std::vector<std::int32_t> m_outside;
    std::vector<std::uint32_t> m_outsideStamp;
    std::vector<std::uint32_t> m_outsideTexts;
    std::uint32_t m_outsideGeneration = 0;
    std::array<std::vector<int>, 2> m_recent;
    std::vector<std::uint32_t> m_newlyUnique;
    std::vector<std::uint32_t> m_takenTexts;
    std::array<std::vector<int>, 2> m_takenRecent;
};

} // namespace lindo
