// Matching cycles that cost what changed. A whole cycle links the lines
// unique among all unmatched lines of both files, then matches each
// unmatched run of the first file against its partner run of the second.
// Here the first step looks only at texts that came down to one unmatched
// copy per side since the cycle before (any text that was unique then got
// linked then), and the second only at runs next to a line linked since the
// runs were last cut: a pair of untouched runs was matched in an earlier
// cycle with the same lines, all unmatched, and linked nothing, so it would
// link nothing now. Anchors are taken in first-file order, as a whole cycle
// takes them, so every link comes out the same.

#include "engine/cycletracker.h"
#include "engine/diffengine.h"

#include <algorithm>

namespace lindo {

namespace {

using Anchors = std::vector<std::pair<int, int>>;

DiffSection SectionOf(const DiffLines &lines, const LineRun &run)
{
    DiffSection section;
    section.file = &lines;
    section.first = run.first;
    section.last = run.last;
    return section;
}

int Length(const LineRun &run)
{
    return run.last - run.first + 1;
}

// An anchor from line n of `side` and line m of the other side.
void AddAnchor(Anchors &anchors, int side, int n, int m)
{
    anchors.emplace_back(side == 1 ? n : m, side == 1 ? m : n);
}

// The texts once in `other` are its lines that are their text's only
// unmatched line, and texts whose unmatched lines all lie outside it but one
// (CountOutside counted those). Gives up, false, after `budget` lines.
bool AnchorsThroughOtherRun(const CycleTracker &tracker, const DiffLines &otherLines, int side, const LineRun &scan,
                            const LineRun &other, int budget, Anchors &anchors)
{
    const int otherSide = 3 - side;
    for (int m = tracker.NextLoneCopy(otherSide, other.first); m <= other.last;
         m = tracker.NextLoneCopy(otherSide, m + 1)) {
        if (--budget < 0)
            return false;
        const int n = tracker.OnlyIn(side, otherLines[static_cast<std::size_t>(m)].textId, scan);
        if (n >= 0)
            AddAnchor(anchors, side, n, m);
    }
    for (const std::uint32_t id : tracker.OutsideTexts()) {
        if (tracker.UnmatchedCopies(otherSide, id) - tracker.CountedOutside(id) != 1)
            continue;
        const int m = tracker.OnlyIn(otherSide, id, other);
        const int n = tracker.OnlyIn(side, id, scan);
        if (m >= 0 && n >= 0)
            AddAnchor(anchors, side, n, m);
    }
    return true;
}

} // namespace

bool DiffEngine::TrackedCycle()
{
    bool changed = LinkNewlyUnique();
    if (LinkChangedPairs())
        changed = true;
    return changed;
}

bool DiffEngine::LinkNewlyUnique()
{
    const CycleTracker &tracker = *m_tracker;
    Anchors &anchors = m_tracker->anchors;
    anchors.clear();
    for (const std::uint32_t id : m_tracker->TakeNewlyUnique()) {
        if (tracker.UniqueOnBothSides(id))
            anchors.emplace_back(tracker.UnmatchedCopy(1, id), tracker.UnmatchedCopy(2, id));
    }
    return ExtendAnchors(anchors);
}

bool DiffEngine::ExtendAnchors(std::vector<std::pair<int, int>> &anchors)
{
    std::sort(anchors.begin(), anchors.end());
    bool linked = false;
    for (const auto &[i, j] : anchors) {
        if (Lines1()[static_cast<std::size_t>(i)].link >= 0 || Lines2()[static_cast<std::size_t>(j)].link >= 0)
            continue;
        if (Extend(i, j))
            linked = true;
    }
    return linked;
}

// The first file's leading unmatched run pairs with the second file's run
// just above the partner of what follows it.
bool DiffEngine::LeadingPair(RunPair &pair) const
{
    const CycleTracker &tracker = *m_tracker;
    if (tracker.LineCount(1) == 0 || tracker.IsLinked(1, 0))
        return false;
    pair.run1 = tracker.RunFrom(1, 0);
    const int after = pair.run1.last + 1;
    if (after >= tracker.LineCount(1))
        return false;
    const int partner = m_files[0].lines[static_cast<std::size_t>(after)].link;
    if (partner <= 0 || tracker.IsLinked(2, partner - 1))
        return false;
    pair.run2 = tracker.RunTo(2, partner - 1);
    return true;
}

// Any other unmatched run of the first file pairs with the second file's run
// just below the partner of the line above it; a run is new when a line next
// to it was linked since the runs were last cut.
void DiffEngine::PairsBesideRecentLinks()
{
    const CycleTracker &tracker = *m_tracker;
    std::vector<RunPair> &pairs = m_tracker->pairs;
    pairs.clear();
    auto addPairOf = [&](int first1, const LineRun *run2) {
        if (first1 <= 0 || first1 >= tracker.LineCount(1) || tracker.IsLinked(1, first1))
            return;
        const int first2 = Lines1()[static_cast<std::size_t>(first1 - 1)].link + 1;
        if (run2 != nullptr) {
            pairs.push_back({tracker.RunFrom(1, first1), *run2, false});
        } else if (first2 < tracker.LineCount(2) && !tracker.IsLinked(2, first2)) {
            pairs.push_back({tracker.RunFrom(1, first1), tracker.RunFrom(2, first2), false});
        }
    };
    for (const int line : m_tracker->TakeRecent(1)) {
        if (line > 0 && !tracker.IsLinked(1, line - 1))
            addPairOf(tracker.RunTo(1, line - 1).first, nullptr);
        addPairOf(line + 1, nullptr);
    }
    auto addPairOfSecond = [&](const LineRun &run2) {
        if (run2.first > 0)
            addPairOf(Lines2()[static_cast<std::size_t>(run2.first - 1)].link + 1, &run2);
    };
    for (const int line : m_tracker->TakeRecent(2)) {
        if (line > 0 && !tracker.IsLinked(2, line - 1))
            addPairOfSecond(tracker.RunTo(2, line - 1));
        if (line + 1 < tracker.LineCount(2) && !tracker.IsLinked(2, line + 1))
            addPairOfSecond(tracker.RunFrom(2, line + 1));
    }
    std::sort(pairs.begin(), pairs.end(),
              [](const RunPair &a, const RunPair &b) { return a.run1.first < b.run1.first; });
    pairs.erase(std::unique(pairs.begin(), pairs.end(),
                            [](const RunPair &a, const RunPair &b) { return a.run1.first == b.run1.first; }),
                pairs.end());
}

bool DiffEngine::LinkChangedPairs()
{
    PairsBesideRecentLinks();
    std::vector<RunPair> &pairs = m_tracker->pairs;
    bool linked = false;
    RunPair leading;
    CycleTracker &tracker = *m_tracker;
    const bool leadingChanged = LeadingPair(leading) && !(leading.run1 == tracker.lastLeadingPair.run1
                                                          && leading.run2 == tracker.lastLeadingPair.run2);
    if (leadingChanged) {
        tracker.lastLeadingPair = leading;
        if (MatchRuns(leading.run1, leading.run2)) {
            linked = true;
            // The run that pairs with the same second-file run by the other
            // rule comes later in the cycle and must see these links.
            const int first1 = leading.run2.first > 0
                                   ? Lines2()[static_cast<std::size_t>(leading.run2.first - 1)].link + 1
                                   : tracker.LineCount(1);
            if (first1 < tracker.LineCount(1) && !tracker.IsLinked(1, first1)) {
                const RunPair again{tracker.RunFrom(1, first1), leading.run2, true};
                auto at = std::lower_bound(pairs.begin(), pairs.end(), first1,
                                           [](const RunPair &p, int first) { return p.run1.first < first; });
                if (at != pairs.end() && at->run1.first == first1)
                    *at = again;
                else
                    pairs.insert(at, again);
            }
        }
    }
    for (const RunPair &pair : pairs) {
        const bool made = pair.again ? MatchRange(SectionOf(Lines1(), pair.run1), SectionOf(Lines2(), pair.run2))
                                     : MatchRuns(pair.run1, pair.run2);
        if (made)
            linked = true;
    }
    return linked;
}

// Both runs hold only unmatched lines, so a text's lines in a run are all
// unmatched copies: the anchors are the texts found once in each. They are
// found from the shorter run's lines, or, where cheaper, from the longer
// run's texts that occur there once.
bool DiffEngine::MatchRuns(const LineRun &run1, const LineRun &run2)
{
    CycleTracker &tracker = *m_tracker;
    const bool scanFirst = Length(run1) <= Length(run2);
    const int side = scanFirst ? 1 : 2;
    const int otherSide = 3 - side;
    const LineRun &scan = scanFirst ? run1 : run2;
    const LineRun &other = scanFirst ? run2 : run1;
    // A text's copies in the other run are its unmatched copies less those
    // outside the run; when few unmatched lines lie outside, counting those
    // once costs less than searching each text's lines.
    const int outside = tracker.UnmatchedLines(otherSide) - Length(other);
    const bool countOutside = outside <= Length(scan);
    Anchors &anchors = tracker.anchors;
    anchors.clear();
    if (countOutside) {
        tracker.CountOutside(otherSide, other);
        if (AnchorsThroughOtherRun(tracker, File(otherSide).lines, side, scan, other, Length(scan) - outside,
                                   anchors))
            return ExtendAnchors(anchors);
        anchors.clear();
    }
    tracker.LinkCopies();
    const DiffLines &lines = File(side).lines;
    for (int n = scan.first; n <= scan.last; ++n) {
        if (!tracker.UniqueIn(side, n, scan))
            continue;
        const std::uint32_t id = lines[static_cast<std::size_t>(n)].textId;
        if (countOutside && tracker.UnmatchedCopies(otherSide, id) - tracker.CountedOutside(id) != 1)
            continue;
        const int m = tracker.OnlyIn(otherSide, id, other);
        if (m >= 0)
            AddAnchor(anchors, side, n, m);
    }
    return ExtendAnchors(anchors);
}

} // namespace lindo
