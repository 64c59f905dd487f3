// Compare: anchored matching on lines unique among the unmatched lines of a
// range, grown over equal neighbours, repeated file-wide and inside every
// pair of differing sections until a whole cycle links nothing. The order of
// the steps decides every outcome, so each step below is kept as it is; the
// speed comes from working on interned ids and stamped maps only.

#include "engine/diffengine.h"
#include "engine/cycletracker.h"
#include "engine/matchscratch.h"

#include <algorithm>
#include <memory>

namespace lindo {

namespace {

DiffSection WholeFileRange(const DiffLines &lines)
{
    DiffSection range;
    range.file = &lines;
    range.first = 0;
    range.last = static_cast<int>(lines.size()) - 1;
    return range;
}

int Count(const std::vector<DiffSection> &list)
{
    return static_cast<int>(list.size());
}

} // namespace

void DiffEngine::Compare()
{
    if (m_twinLines) {
        m_twinLines = false;
        LinkTwins();
        if (autoSelect)
            AutoSelect();
        m_compared = 1;
        return;
    }
    MatchScratch scratch(m_textIdCount);
    m_scratch = &scratch;
    std::unique_ptr<CycleTracker> tracker;
    std::vector<DiffSection> temp1;
    std::vector<DiffSection> temp2;
    for (int cycle = 1;; ++cycle) {
        bool changed = MatchRange(WholeFileRange(Lines1()), WholeFileRange(Lines2()));
        temp1.clear();
        temp2.clear();
        BuildSections(temp1, 1, Lines1());
        BuildSections(temp2, 2, Lines2());
        // A pair still linking after the first whole cycles may need one per line
        // (chains of lines that each become unique only once the one before
        // is linked): from here on a cycle costs only what changed in it.
        if (cycle >= wholeCycles && changed && !tracker) {
            tracker = std::make_unique<CycleTracker>(Lines1(), Lines2(), m_textIdCount);
            m_tracker = tracker.get();
        }
        if (LinkSections(temp1, temp2))
            changed = true;
        if (m_tracker) {
            while (TrackedCycle()) {
            }
            m_tracker = nullptr;
            tracker.reset();
            // One more whole cycle, which links nothing, cuts the final sections.
            continue;
        }
        if (!changed)
            break;
    }
    m_tracker = nullptr;
    m_scratch = nullptr;
    auto &sections1 = File(1).sections;
    auto &sections2 = File(2).sections;
    if (sections1.empty() && sections2.empty()) {
        sections1.swap(temp1);
        sections2.swap(temp2);
    } else {
        sections1.insert(sections1.end(), temp1.begin(), temp1.end());
        sections2.insert(sections2.end(), temp2.begin(), temp2.end());
    }
    if (autoSelect)
        AutoSelect();
    m_compared = 1;
}

// Two identical sides link every line to the line of the same number, and
// each side is one matched section, paired with the other. Where some line
// occurs once the matching gives just that (it anchors on the first such
// line and grows to both file ends); where none does, it would link nothing
// and show one file as wholly different from its copy.
void DiffEngine::LinkTwins()
{
    DiffLines &lines1 = Lines1();
    DiffLines &lines2 = Lines2();
    const int count = static_cast<int>(lines1.size());
    for (int n = 0; n < count; ++n) {
        lines1[static_cast<std::size_t>(n)].link = n;
        lines2[static_cast<std::size_t>(n)].link = n;
    }
    if (count == 0)
        return;
    for (int side = 1; side <= 2; ++side) {
        DiffSection section;
        section.file = &File(side).lines;
        section.first = 0;
        section.last = count - 1;
        section.partner = 0;
        section.flags = Matched;
        File(side).sections.push_back(section);
    }
}

bool DiffEngine::LinkLines(int i, int j)
{
    DiffLine &line1 = Lines1()[static_cast<std::size_t>(i)];
    DiffLine &line2 = Lines2()[static_cast<std::size_t>(j)];
    if (line1.textId != line2.textId)
        return false;
    line1.link = j;
    line2.link = i;
    if (m_tracker)
        m_tracker->Linked(i, j, line1.textId);
    return true;
}

bool DiffEngine::Extend(int i, int j)
{
    const DiffLines &lines1 = Lines1();
    const DiffLines &lines2 = Lines2();
    const int count1 = static_cast<int>(lines1.size());
    const int count2 = static_cast<int>(lines2.size());
    if (i >= count1)
        return false;

    int linked = 0;
    for (int k = 0;; ++k) {
        if (j + k >= count2 || lines1[static_cast<std::size_t>(i + k)].link != -1
            || lines2[static_cast<std::size_t>(j + k)].link != -1 || !LinkLines(i + k, j + k))
            break;
        ++linked;
        if (i + k + 1 >= count1)
            break;
    }
    if (linked == 0)
        return false;

    for (int m = 1; i - m >= 0 && j - m >= 0; ++m) {
        if (lines1[static_cast<std::size_t>(i - m)].link != -1
            || lines2[static_cast<std::size_t>(j - m)].link != -1 || !LinkLines(i - m, j - m))
            break;
    }
    return true;
}

bool DiffEngine::MatchRange(const DiffSection &range1, const DiffSection &range2)
{
    // Both maps are built before any linking of this call.
    UniqueLineIndex &unique1 = m_scratch->unique1;
    UniqueLineIndex &unique2 = m_scratch->unique2;
    unique1.Build(Lines1(), range1.first, range1.last);
    unique2.Build(Lines2(), range2.first, range2.last);

    const DiffLines &lines1 = Lines1();
    const DiffLines &lines2 = Lines2();
    bool linked = false;
    for (int i = range1.first; i <= range1.last; ++i) {
        const DiffLine &line = lines1[static_cast<std::size_t>(i)];
        if (line.link >= 0)
            continue;
        if (unique1.Lookup(line.textId) < 0)
            continue;
        const int j = unique2.Lookup(line.textId);
        if (j < 0)
            continue;
        if (lines2[static_cast<std::size_t>(j)].link >= 0)
            continue;
        if (Extend(i, j))
            linked = true;
    }
    return linked;
}

int DiffEngine::MatchedRunEnd(const DiffLines &lines, int a)
{
    const int count = static_cast<int>(lines.size());
    int v = lines[static_cast<std::size_t>(a)].link;
    while (a + 1 < count) {
        const int next = lines[static_cast<std::size_t>(a + 1)].link;
        if (next == -1 || next != v + 1)
            break;
        ++a;
        ++v;
    }
    return a;
}

int DiffEngine::UnmatchedRunEnd(const DiffLines &lines, int a)
{
    const int count = static_cast<int>(lines.size());
    while (a + 1 < count && lines[static_cast<std::size_t>(a + 1)].link < 0)
        ++a;
    return a;
}

void DiffEngine::BuildSections(std::vector<DiffSection> &list, int side, const DiffLines &lines)
{
    const int count = static_cast<int>(lines.size());
    for (int a = 0; a < count;) {
        const bool unmatched = lines[static_cast<std::size_t>(a)].link == -1;
        const int end = unmatched ? UnmatchedRunEnd(lines, a) : MatchedRunEnd(lines, a);
        DiffSection section;
        section.file = &lines;
        section.first = a;
        section.last = end;
        section.flags = !unmatched ? Matched : side == 1 ? UnmatchedFirst : UnmatchedSecond;
        list.push_back(section);
        a = end + 1;
    }
}

bool DiffEngine::LinkSections(std::vector<DiffSection> &list1, std::vector<DiffSection> &list2)
{
    const int count1 = Count(list1);
    const int count2 = Count(list2);

    // Phase 1: a matched section pairs with the side-2 section starting at the
    // link of its first line.
    LargeVector<std::int32_t> &sectionStarting = m_scratch->sectionStarting;
    sectionStarting.assign(Lines2().size(), -1);
    for (int t = 0; t < count2; ++t)
        sectionStarting[static_cast<std::size_t>(list2[static_cast<std::size_t>(t)].first)] = t;
    for (int s = 0; s < count1; ++s) {
        DiffSection &section = list1[static_cast<std::size_t>(s)];
        if (section.flags != Matched)
            continue;
        const int v = Lines1()[static_cast<std::size_t>(section.first)].link;
        const int found = sectionStarting[static_cast<std::size_t>(v)];
        if (found >= 0) {
            list2[static_cast<std::size_t>(found)].partner = s;
            section.partner = found;
        }
    }

    // Phase 2: unmatched sections of side 1 pair with, or stand above, the
    // side-2 section after the one paired with their predecessor.
    bool linked = false;
    for (int j = 0; j < count1; ++j) {
        DiffSection &section = list1[static_cast<std::size_t>(j)];
        if (section.flags & Matched)
            continue;
        int k;
        if (j > 0) {
            k = list1[static_cast<std::size_t>(j - 1)].partner + 1;
        } else {
            if (count1 == 1)
                break;
            k = list1[1].partner - 1;
            if (k == -1)
                k = 0;
        }
        if (k >= count2) {
            section.above = count2;
        } else if (list2[static_cast<std::size_t>(k)].flags & Matched) {
            section.above = k;
        } else {
            section.partner = k;
            list2[static_cast<std::size_t>(k)].partner = j;
            if (MatchRange(section, list2[static_cast<std::size_t>(k)]))
                linked = true;
        }
    }

    // Phase 3: place the unpaired sections of side 2.
    for (int l = 0; l < count2; ++l) {
        DiffSection &section = list2[static_cast<std::size_t>(l)];
        if (section.partner != -1 || section.above != -1)
            continue;
        if (l > 0) {
            section.above = list2[static_cast<std::size_t>(l - 1)].partner + 1;
        } else {
            if (count2 == 1)
                break;
            section.above = list2[1].partner - 1;
            if (section.above == -1)
                section.above = 0;
        }
    }
    return linked;
}

} // namespace lindo
