#include "engine/lineinterner.h"

#include "engine/tagtable.h"
#include "engine/texthash.h"
#include "engine/textreader.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <vector>

namespace lindo {

namespace {

constexpr std::size_t kBatch = 16; // lines whose slots are fetched ahead of their lookup

// Numbers the line keys of both sides; each key is referred to by the
// first line that had it, which is read again when a tag matches.
class InternTable {
public:
    // Lines are named by side (0 or 1, the top bit) and index: half the room
    // of a pointer per key. The table starts with at least `slots` slots and
    // grows when more than half of them hold keys.
    InternTable(std::size_t slots, const DiffLines &side1, const DiffLines &side2, const LineKeyOptions &keys)
        : m_table(slots), m_sides{&side1, &side2}, m_keys(keys), m_keyed(keys.Any()), m_tagger(keys)
    {
    }

    void Prefetch(std::uint32_t tag) const { m_table.Prefetch(tag); }

    // The id of the line's key, whose tag its textId holds; ref names the line.
    std::uint32_t Intern(const DiffLine &line, std::uint32_t ref)
    {
        return m_table.Intern(line.textId, ref, [&](std::uint32_t first) {
            const std::string_view text = Line(first).text;
            return m_keyed ? SameLineKey(text, line.text, m_keys) : SameText(text, line.text);
        });
    }

    // Sets the tag of a line that was cut without one.
    void Tag(DiffLine &line)
    {
        line.textId = m_keyed ? m_tagger(line.text) : TextTag(line.text);
    }

    // Whether lines of one id can differ in their texts.
    bool Keyed() const { return m_keyed; }

    std::uint32_t Count() const { return m_table.Count(); }
    const DiffLine &First(std::uint32_t id) const { return Line(m_table.FirstRef(id)); }

    // Index of the first line with the text of id when it is on side 1, else -1.
    std::ptrdiff_t FirstOnSide1(std::uint32_t id) const
    {
        const std::uint32_t ref = m_table.FirstRef(id);
        return (ref >> 31) == 0 ? static_cast<std::ptrdiff_t>(ref) : -1;
    }

private:
    static constexpr std::uint32_t kIndexBits = 0x7FFFFFFFu;

    const DiffLine &Line(std::uint32_t ref) const { return (*m_sides[ref >> 31])[ref & kIndexBits]; }

    TagTable m_table;
    const DiffLines *m_sides[2];
    const LineKeyOptions &m_keys;
    const bool m_keyed;
    KeyTagger m_tagger;
};

// Interns lines[from..] of side (0 or 1); then(line, isNew) follows each line's interning.
template <typename Then>
void InternRange(InternTable &table, int side, DiffLines &lines, std::size_t from, Then &&then)
{
    const std::size_t count = lines.size();
    for (std::size_t n = from; n < std::min(from + kBatch, count); ++n)
        table.Prefetch(lines[n].textId);
    for (std::size_t n = from; n < count; ++n) {
        if (n + kBatch < count)
            table.Prefetch(lines[n + kBatch].textId);
        const std::uint32_t known = table.Count();
        const auto ref = static_cast<std::uint32_t>(n) | (static_cast<std::uint32_t>(side) << 31);
        lines[n].textId = table.Intern(lines[n], ref);
        then(lines[n], lines[n].textId == known);
    }
}

void InternSide(InternTable &table, int side, DiffLines &lines)
{
    InternRange(table, side, lines, 0, [](const DiffLine &, bool) {});
}

constexpr std::ptrdiff_t kResyncWindow = 1024; // lines a guess may jump after a miss

// Interns side 2's lines[from..], side 1 being interned already. Two versions
// of a file mostly run in step, so each line is first compared with the side-1
// line after the one the previous line matched: a sequential read instead of
// a table lookup that misses the cache. Only lines that differ there are
// tagged and looked up. then(line, sameText) follows each line, sameText
// being an earlier line with the same text, or null when none is known.
// guess carries over from one call to the next.
template <typename Then>
void InternSecond(InternTable &table, const DiffLines &lines1, DiffLines &lines2, std::size_t from,
                  std::ptrdiff_t &guess, Then &&then)
{
    const auto count1 = static_cast<std::ptrdiff_t>(lines1.size());
    for (std::size_t n = from; n < lines2.size(); ++n) {
        DiffLine &line = lines2[n];
        if (guess < count1) {
            const DiffLine &ahead = lines1[static_cast<std::size_t>(guess)];
            if (SameText(ahead.text, line.text)) {
                line.textId = ahead.textId;
                then(line, &ahead);
                ++guess;
                continue;
            }
        }
        table.Tag(line);
        const std::uint32_t count = table.Count();
        const std::uint32_t id = table.Intern(line, static_cast<std::uint32_t>(n) | (1u << 31));
        line.textId = id;
        const bool isNew = id == count;
        const DiffLine *sameKey = isNew ? nullptr : &table.First(id);
        then(line, sameKey && (!table.Keyed() || SameText(sameKey->text, line.text)) ? sameKey : nullptr);
        ++guess;
        // Realign after an insertion or deletion, but not on a far-off
        // first copy of some common text.
        const std::ptrdiff_t first = isNew ? -1 : table.FirstOnSide1(id);
        if (first >= 0 && first + 1 > guess - kResyncWindow && first + 1 < guess + kResyncWindow)
            guess = first + 1;
    }
}

constexpr std::uintptr_t kReleaseUnit = 4096; // pages are given back as soon as they are passed

} // namespace

std::uint32_t InternLines(DiffLines &lines1, DiffLines &lines2, const LineKeyOptions &keys)
{
    // Most lines of two versions of a file are shared, so the distinct count
    // is at most about one file's line count; the table grows if it is more.
    // Two slots for each line are made at once: the table stays at most a
    // quarter full, where a half-full one probes longer runs of taken slots
    // (a tenth of side 1's interning on edited-100k), and a file of distinct
    // lines does not double it midway. (The compacting load, for large
    // files, keeps to one slot per line for its peak.)
    InternTable table(2 * std::max(lines1.size(), lines2.size()), lines1, lines2, keys);
    InternSide(table, 0, lines1);
    std::ptrdiff_t guess = 0;
    InternSecond(table, lines1, lines2, 0, guess, [](const DiffLine &, const DiffLine *) {});
    return table.Count();
}

std::uint32_t InternCompacting(DiffLines &lines1, ByteBuffer &bytes2, DiffLines &lines2, std::size_t chunk,
                               const LineKeyOptions &keys)
{
    const std::size_t count2 = CountLines(bytes2.View());
    InternTable table(std::max(lines1.size(), count2), lines1, lines2, keys);
    InternSide(table, 0, lines1);

    lines2.clear();
    lines2.reserve(count2);
    char *const base = bytes2.Data();
    const char *const end = base + bytes2.Size();
    std::size_t kept = 0; // bytes2's front holds the texts side 1 does not have
    std::ptrdiff_t guess = 0;
    for (const char *p = base; p < end;) {
        // Chunks end right after a line feed, so no line is cut in two.
        const char *chunkEnd = end;
        if (static_cast<std::size_t>(end - p) > chunk) {
            chunkEnd = p + chunk;
            while (chunkEnd > p && chunkEnd[-1] != '\n')
                --chunkEnd;
            if (chunkEnd == p) {
                const void *lf = std::memchr(p + chunk, '\n', static_cast<std::size_t>(end - p) - chunk);
                chunkEnd = lf ? static_cast<const char *>(lf) + 1 : end;
            }
        }
        const std::size_t from = lines2.size();
        CutLines(std::string_view(p, static_cast<std::size_t>(chunkEnd - p)), lines2);
        InternSecond(table, lines1, lines2, from, guess, [&](DiffLine &line, const DiffLine *sameText) {
            if (sameText) {
                line.text = sameText->text;
                return;
            }
            // Moving down never overwrites a byte not yet cut: everything
            // kept so far came from before this line.
            std::memmove(base + kept, line.text.data(), line.text.size());
            line.text = std::string_view(base + kept, line.text.size());
            kept += line.text.size();
        });
        p = chunkEnd;
        // What lies between the kept front and the next uncut byte is not
        // viewed by any line any more: give its pages back.
        const auto releaseFrom = (reinterpret_cast<std::uintptr_t>(base + kept) + kReleaseUnit - 1) & ~(kReleaseUnit - 1);
        const auto releaseTo = reinterpret_cast<std::uintptr_t>(p) & ~(kReleaseUnit - 1);
        if (releaseTo > releaseFrom)
            ::madvise(reinterpret_cast<void *>(releaseFrom), releaseTo - releaseFrom, MADV_DONTNEED);
    }
    bytes2.SetSize(kept);
    return table.Count();
}

} // namespace lindo
