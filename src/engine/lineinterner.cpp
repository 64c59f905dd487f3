#include "engine/lineinterner.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lindo {

namespace {

constexpr std::size_t kBatch = 16; // lines whose slots are fetched ahead of their lookup

// Open addressing; a slot holds a tag (which also places it) and id + 1
// (0 = empty). Texts are compared with the first line that had them.
class InternTable {
public:
    explicit InternTable(std::size_t expected)
    {
        std::size_t capacity = 1024;
        while (capacity < expected * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
    }

    // Starts fetching the slot a tag lands on, so that the cache misses of a
    // run of lines overlap instead of waiting one after another.
    void Prefetch(std::uint32_t tag) const { __builtin_prefetch(&m_slots[tag & (m_slots.size() - 1)]); }

    std::uint32_t Intern(const DiffLine &line)
    {
        const std::uint32_t tag = line.textId;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = tag & mask;; at = (at + 1) & mask) {
            const std::uint64_t slot = m_slots[at];
            if (slot == 0) {
                const auto id = static_cast<std::uint32_t>(m_firsts.size());
                m_firsts.push_back(&line);
                m_slots[at] = (static_cast<std::uint64_t>(tag) << 32) | (id + 1u);
                if (m_firsts.size() * 2 > m_slots.size())
                    Grow();
                return id;
            }
            if (static_cast<std::uint32_t>(slot >> 32) == tag) {
                const std::uint32_t id = static_cast<std::uint32_t>(slot) - 1u;
                if (m_firsts[id]->text == line.text)
                    return id;
            }
        }
    }

    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_firsts.size()); }

private:
    void Grow()
    {
        std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (std::uint64_t slot : old) {
            if (slot == 0)
                continue;
            // Placed by its tag alone, so growing needs no rehashing.
            std::size_t at = static_cast<std::uint32_t>(slot >> 32) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    std::vector<std::uint64_t> m_slots;
    std::vector<const DiffLine *> m_firsts; // the first line of each id; lines do not move meanwhile
};

void InternSide(InternTable &table, DiffLines &lines)
{
    const std::size_t count = lines.size();
    for (std::size_t n = 0; n < std::min(kBatch, count); ++n)
        table.Prefetch(lines[n].textId);
    for (std::size_t n = 0; n < count; ++n) {
        if (n + kBatch < count)
            table.Prefetch(lines[n + kBatch].textId);
        lines[n].textId = table.Intern(lines[n]);
    }
}

constexpr std::size_t kCandidateLines = 64;    // HasUniqueLine tries every (count / 64)th line
constexpr std::size_t kCandidateSlots = 1024; // sparse enough that most lookups end at once

} // namespace

bool HasUniqueLine(const DiffLines &lines)
{
    struct Candidate {
        const DiffLine *line = nullptr;
        std::uint32_t key = 0;
        std::uint32_t seen = 0;
    };
    std::vector<Candidate> slots(kCandidateSlots);
    constexpr std::size_t mask = kCandidateSlots - 1;
    // The slot of a line's text among the candidates, or the empty slot where
    // it would go. The key is the length and first bytes, which sets most
    // lines apart without reading all of their text.
    auto slotOf = [&slots](const DiffLine &line) -> Candidate & {
        std::uint64_t head = 0;
        std::memcpy(&head, line.text.data(), std::min<std::size_t>(line.text.size(), 8));
        const auto key = static_cast<std::uint32_t>(((head ^ line.text.size()) * 0x9E3779B97F4A7C15ull) >> 32);
        for (std::size_t at = key & mask;; at = (at + 1) & mask) {
            Candidate &slot = slots[at];
            if (!slot.line) {
                slot.key = key;
                return slot;
            }
            if (slot.key == key && slot.line->text == line.text)
                return slot;
        }
    };
    const std::size_t count = lines.size();
    const std::size_t step = std::max<std::size_t>(1, count / kCandidateLines);
    for (std::size_t n = 0; n < count; n += step)
        slotOf(lines[n]).line = &lines[n];
    for (const DiffLine &line : lines) {
        Candidate &slot = slotOf(line);
        if (slot.line)
            ++slot.seen;
    }
    return std::any_of(slots.begin(), slots.end(), [](const Candidate &slot) { return slot.seen == 1; });
}

std::uint32_t InternLines(DiffLines &lines1, DiffLines &lines2, bool sameBytes)
{
    // Most lines of two versions of a file are shared, so the distinct count
    // is usually near one file's line count; the table grows if it is not.
    InternTable table(std::max(lines1.size(), lines2.size()));
    InternSide(table, lines1);
    if (sameBytes && lines1.size() == lines2.size()) {
        for (std::size_t n = 0; n < lines1.size(); ++n)
            lines2[n].textId = lines1[n].textId;
    } else {
        InternSide(table, lines2);
    }
    return table.Count();
}

} // namespace lindo
