#include "engine/merge3diff.h"

#include "engine/merge3myers.h"
#include "engine/texthash.h"

#include <algorithm>
#include <bit>

namespace lindo {

namespace {

// A line with at least this many matches on the other side (or the rough
// square root of its file's length, when that is less) counts as common,
// and is set aside when it stands among lines with no match.
constexpr std::int32_t kCommonLineMatches = 1024;
// How far around a common line the search for unmatched neighbours looks.
constexpr std::int32_t kCommonLineWindow = 100;
// A common line is set aside when the common lines of its run are fewer
// than one in this many.
constexpr std::int32_t kCommonLineShare = 4;

enum Disposition : std::uint8_t { kNoMatch = 0, kMatched = 1, kCommon = 2 };

// One file of a diff: its line numbers, and a changed flag per line with a
// clear flag on either side of the file, so that group walks need no bounds.
struct DiffFile {
    const std::uint32_t *ids = nullptr;
    const Merge3Lines *lines = nullptr;
    std::int32_t size = 0;
    std::vector<std::uint8_t> changedStore;
    std::uint8_t *changed = nullptr;
    // The ids of the lines the search sees (the unchanged lines between the
    // common head and tail once KeepLines is done), and which it changes.
    std::vector<std::uint32_t> kept;
    std::vector<std::uint8_t> keptChanged;

    DiffFile(const Merge3Ids &lineIds, const Merge3Lines &texts)
        : ids(lineIds.data()), lines(&texts), size(static_cast<std::int32_t>(lineIds.size())),
          changedStore(lineIds.size() + 2, 0), changed(changedStore.data() + 1)
    {
    }

    bool SameLines(std::int32_t i, std::int32_t j) const
    {
        if (ids[i] != kNoBaseText || ids[j] != kNoBaseText)
            return ids[i] == ids[j];
        return SameText((*lines)[static_cast<std::size_t>(i)], (*lines)[static_cast<std::size_t>(j)]);
    }
};

// Whether the common line i stands among runs of lines with no match, with
// few common ones between: then it would only mislead the search.
bool SetAsideCommon(const std::vector<std::uint8_t> &disposition, std::int32_t i, std::int32_t start, std::int32_t end)
{
    start = std::max(start, i - kCommonLineWindow);
    end = std::min(end, i + kCommonLineWindow);
    std::int32_t unmatchedBefore = 0;
    std::int32_t commonBefore = 1;
    for (std::int32_t j = i - 1; j >= start && disposition[j] != kMatched; --j)
        (disposition[j] == kNoMatch ? unmatchedBefore : commonBefore)++;
    if (unmatchedBefore == 0)
        return false;
    std::int32_t unmatchedAfter = 0;
    std::int32_t commonAfter = 1;
    for (std::int32_t j = i + 1; j <= end && disposition[j] != kMatched; ++j)
        (disposition[j] == kNoMatch ? unmatchedAfter : commonAfter)++;
    if (unmatchedAfter == 0)
        return false;
    const std::int32_t common = commonBefore + commonAfter;
    return common * kCommonLineShare < common + unmatchedBefore + unmatchedAfter;
}

// Sorts the lines between the common head and tail: a line with no match on
// the other side is changed at once, the rest go to the search.
void KeepLines(DiffFile &file, const std::vector<std::uint16_t> &matches, std::int32_t start, std::int32_t end)
{
    const std::int32_t limit = std::min(RoughSquareRoot(file.size), kCommonLineMatches);
    std::vector<std::uint8_t> disposition(static_cast<std::size_t>(std::max(end, start)), kNoMatch);
    for (std::int32_t i = start; i < end; ++i) {
        const std::uint32_t id = file.ids[i];
        const std::uint32_t count = id == kNoBaseText ? 0 : matches[id];
        disposition[i] = count == 0 ? kNoMatch : count >= static_cast<std::uint32_t>(limit) ? kCommon : kMatched;
    }
    file.kept.reserve(static_cast<std::size_t>(end - start));
    for (std::int32_t i = start; i < end; ++i) {
        if (disposition[i] == kMatched || (disposition[i] == kCommon && !SetAsideCommon(disposition, i, start, end - 1))) {
            file.kept.push_back(file.ids[i]);
        } else {
            file.changed[i] = 1;
        }
    }
}

// Marks the lines the search found changed; start and end as for KeepLines.
void MarkSearchChanges(DiffFile &file, std::int32_t start, std::int32_t end)
{
    std::size_t item = 0;
    for (std::int32_t i = start; i < end; ++i) {
        if (!file.changed[i] && file.keptChanged[item++])
            file.changed[i] = 1;
    }
    file.kept = {};
    file.keptChanged = {};
}

// A run of changed lines [start, end) of one file, as the sliding walks it.
struct Group {
    std::int32_t start = 0;
    std::int32_t end = 0;
};

Group FirstGroup(const DiffFile &file)
{
    Group group;
    while (file.changed[group.end])
        ++group.end;
    return group;
}

bool NextGroup(const DiffFile &file, Group &group)
{
    if (group.end == file.size)
        return false;
    group.start = group.end + 1;
    for (group.end = group.start; file.changed[group.end]; ++group.end) {
    }
    return true;
}

bool PreviousGroup(const DiffFile &file, Group &group)
{
    if (group.start == 0)
        return false;
    group.end = group.start - 1;
    for (group.start = group.end; file.changed[group.start - 1]; --group.start) {
    }
    return true;
}

bool SlideDown(DiffFile &file, Group &group)
{
    if (group.end >= file.size || !file.SameLines(group.start, group.end))
        return false;
    file.changed[group.start++] = 0;
    file.changed[group.end++] = 1;
    while (file.changed[group.end])
        ++group.end;
    return true;
}

bool SlideUp(DiffFile &file, Group &group)
{
    if (group.start <= 0 || !file.SameLines(group.start - 1, group.end - 1))
        return false;
    file.changed[--group.start] = 1;
    file.changed[--group.end] = 0;
    while (file.changed[group.start - 1])
        --group.start;
    return true;
}

// Slides every group of changed lines of file as far down as it goes, unless
// it can line up with a group of the other file: then it ends where the
// last one it passed ends. The groups of the two files walk in step: the
// n-th group of one faces the n-th of the other (either may be empty).
void SlideGroups(DiffFile &file, DiffFile &other)
{
    Group group = FirstGroup(file);
    Group facing = FirstGroup(other);
    for (;;) {
        if (group.end != group.start) {
            std::int32_t size = 0;
            std::int32_t earliestEnd = 0;
            std::int32_t endFacingChange = -1;
            do {
                size = group.end - group.start;
                endFacingChange = -1;
                while (SlideUp(file, group))
                    PreviousGroup(other, facing);
                earliestEnd = group.end;
                if (facing.end > facing.start)
                    endFacingChange = group.end;
                while (SlideDown(file, group)) {
                    NextGroup(other, facing);
                    if (facing.end > facing.start)
                        endFacingChange = group.end;
                }
            } while (size != group.end - group.start);
            if (group.end != earliestEnd && endFacingChange != -1) {
                while (facing.end == facing.start) {
                    SlideUp(file, group);
                    PreviousGroup(other, facing);
                }
            }
        }
        if (!NextGroup(file, group))
            break;
        NextGroup(other, facing);
    }
}

std::vector<Merge3Hunk> CollectHunks(const DiffFile &base, const DiffFile &side)
{
    std::vector<Merge3Hunk> hunks;
    std::int32_t i = 0;
    std::int32_t j = 0;
    while (i < base.size || j < side.size) {
        if (!base.changed[i] && !side.changed[j] && i < base.size && j < side.size) {
            ++i;
            ++j;
            continue;
        }
        Merge3Hunk hunk{i, 0, j, 0};
        while (i < base.size && base.changed[i])
            ++i;
        while (j < side.size && side.changed[j])
            ++j;
        hunk.baseCount = i - hunk.baseFirst;
        hunk.sideCount = j - hunk.sideFirst;
        hunks.push_back(hunk);
    }
    return hunks;
}

// How many times each base text occurs among ids, up to a limit above
// every one KeepLines tells counts apart by.
std::vector<std::uint16_t> CountTexts(const Merge3Ids &ids, std::uint32_t texts)
{
    static_assert(kCommonLineMatches < 0xFFFF);
    std::vector<std::uint16_t> counts(texts, 0);
    for (const std::uint32_t id : ids) {
        if (id != kNoBaseText && counts[id] != 0xFFFF)
            ++counts[id];
    }
    return counts;
}

// The base's distinct texts, found by their tags in an open-addressed table.
void Size(Merge3Ids &ids, std::size_t count)
{
    ids.reserve(count);
    ids.resize(count);
}

class BaseTexts {
public:
    explicit BaseTexts(const Merge3Lines &baseLines)
        : m_baseLines(baseLines), m_mask(std::bit_ceil(std::max<std::size_t>(16, baseLines.size() * 2)) - 1),
          m_slots(m_mask + 1)
    {
        m_firstLine.reserve(baseLines.size());
    }

    // Numbers every base line; a text seen before gets its number again.
    void NumberBase(Merge3Ids &ids)
    {
        Size(ids, m_baseLines.size());
        NumberLines(m_baseLines, ids, [this](std::string_view text, std::uint32_t tag, std::size_t line) {
            return Find(text, tag, line);
        });
    }

    // Numbers a side's lines. Most lines of a side are the base's lines in
    // the base's order: each is first compared with the base line after the
    // last one it matched, and only looked up when that fails.
    void NumberSide(const Merge3Lines &lines, const Merge3Ids &baseIds, Merge3Ids &ids) const
    {
        Size(ids, lines.size());
        std::size_t expected = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (expected < m_baseLines.size() && SameText(m_baseLines[expected], lines[i])) {
                ids[i] = baseIds[expected++];
                continue;
            }
            const std::uint32_t id = Lookup(lines[i], TextTag(lines[i]));
            ids[i] = id;
            if (id != kNoBaseText)
                expected = m_firstLine[id] + 1;
        }
    }

    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_firstLine.size()); }

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t idPlusOne = 0; // 0 for an empty slot
    };
    // How many lines ahead the table slot of a line is asked for.
    static constexpr std::size_t kLookAhead = 8;

    // The slot holding text, or the empty one where it would go.
    std::size_t SlotOf(std::string_view text, std::uint32_t tag) const
    {
        for (std::size_t at = tag & m_mask;; at = (at + 1) & m_mask) {
            const Slot &slot = m_slots[at];
            if (slot.idPlusOne == 0 ||
                (slot.tag == tag && SameText(m_baseLines[m_firstLine[slot.idPlusOne - 1]], text)))
                return at;
        }
    }

    std::uint32_t Lookup(std::string_view text, std::uint32_t tag) const
    {
        return m_slots[SlotOf(text, tag)].idPlusOne - 1; // kNoBaseText for an empty slot
    }

    std::uint32_t Find(std::string_view text, std::uint32_t tag, std::size_t line)
    {
        Slot &slot = m_slots[SlotOf(text, tag)];
        if (slot.idPlusOne == 0) {
            m_firstLine.push_back(static_cast<std::uint32_t>(line));
            slot = {tag, static_cast<std::uint32_t>(m_firstLine.size())};
        }
        return slot.idPlusOne - 1;
    }

    // Calls find for every line with its tag, having asked for the line's
    // slot kLookAhead lines before: the table is far larger than the caches.
    template <typename FindFn>
    void NumberLines(const Merge3Lines &lines, Merge3Ids &ids, FindFn &&find)
    {
        std::uint32_t tags[kLookAhead];
        const std::size_t count = lines.size();
        for (std::size_t i = 0; i < std::min(count, kLookAhead); ++i) {
            tags[i] = TextTag(lines[i]);
            __builtin_prefetch(&m_slots[tags[i] & m_mask]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t tag = tags[i % kLookAhead];
            if (i + kLookAhead < count) {
                const std::uint32_t ahead = TextTag(lines[i + kLookAhead]);
                tags[i % kLookAhead] = ahead;
                __builtin_prefetch(&m_slots[ahead & m_mask]);
            }
            ids[i] = find(lines[i], tag, i);
        }
    }

    const Merge3Lines &m_baseLines;
    std::size_t m_mask;
    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_firstLine; // of each text, by id
};

} // namespace

void NumberMerge3Lines(const std::array<const Merge3Text *, 3> &texts, Merge3LineIds &lineIds)
{
    BaseTexts baseTexts(texts[kMerge3Base]->lines);
    baseTexts.NumberBase(lineIds.ids[kMerge3Base]);
    RunBothPassingOn([&](std::size_t n) {
        const std::size_t side = n == 0 ? kMerge3First : kMerge3Second;
        baseTexts.NumberSide(texts[side]->lines, lineIds.ids[kMerge3Base], lineIds.ids[side]);
    });
    lineIds.texts = baseTexts.Count();
}

std::vector<Merge3Hunk> DiffMerge3Side(const std::array<const Merge3Text *, 3> &texts, const Merge3LineIds &lineIds,
                                       int side)
{
    DiffFile base(lineIds.ids[kMerge3Base], texts[kMerge3Base]->lines);
    DiffFile other(lineIds.ids[static_cast<std::size_t>(side)], texts[static_cast<std::size_t>(side)]->lines);
    std::int32_t head = 0;
    const std::int32_t shorter = std::min(base.size, other.size);
    while (head < shorter && base.ids[head] == other.ids[head])
        ++head;
    std::int32_t tail = 0;
    while (tail < shorter - head && base.ids[base.size - 1 - tail] == other.ids[other.size - 1 - tail])
        ++tail;
    KeepLines(base, CountTexts(lineIds.ids[static_cast<std::size_t>(side)], lineIds.texts), head, base.size - tail);
    KeepLines(other, CountTexts(lineIds.ids[kMerge3Base], lineIds.texts), head, other.size - tail);
    base.keptChanged.assign(base.kept.size(), 0);
    other.keptChanged.assign(other.kept.size(), 0);
    Merge3Myers(base.kept.data(), static_cast<std::int32_t>(base.kept.size()), base.keptChanged.data(),
                other.kept.data(), static_cast<std::int32_t>(other.kept.size()), other.keptChanged.data())
        .Run();
    MarkSearchChanges(base, head, base.size - tail);
    MarkSearchChanges(other, head, other.size - tail);
    SlideGroups(base, other);
    SlideGroups(other, base);
    return CollectHunks(base, other);
}

} // namespace lindo
