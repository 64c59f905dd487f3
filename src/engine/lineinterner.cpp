#include "engine/lineinterner.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lindo {

namespace {

constexpr std::size_t kBatch = 16; // lines hashed and prefetched ahead of their lookup

std::uint64_t HashBytes(std::string_view text)
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const char *p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = 0x243F6A8885A308D3ull ^ (n * kMultiplier);
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = (h ^ word) * kMultiplier;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return h;
}

// Open addressing; a slot holds the upper 32 hash bits (its tag, which also
// places it) and id + 1 (0 = empty). Tables stay below 2^32 slots.
class InternTable {
public:
    explicit InternTable(std::size_t expected)
    {
        std::size_t capacity = 1024;
        while (capacity < expected * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
    }

    // Starts fetching the slot a hash lands on, so that the misses of a run
    // of lines overlap instead of waiting one after another.
    void Prefetch(std::uint64_t hash) const
    {
        __builtin_prefetch(&m_slots[static_cast<std::uint32_t>(hash >> 32) & (m_slots.size() - 1)]);
    }

    std::uint32_t Intern(const DiffLine &line, std::uint64_t hash)
    {
        const std::uint32_t tag = static_cast<std::uint32_t>(hash >> 32);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = tag & mask;; at = (at + 1) & mask) {
            const std::uint64_t slot = m_slots[at];
            if (slot == 0) {
                const auto id = static_cast<std::uint32_t>(m_texts.size());
                m_texts.push_back(line.text);
                m_slots[at] = (static_cast<std::uint64_t>(tag) << 32) | (id + 1u);
                if (m_texts.size() * 2 > m_slots.size())
                    Grow();
                return id;
            }
            if (static_cast<std::uint32_t>(slot >> 32) == tag) {
                const std::uint32_t id = static_cast<std::uint32_t>(slot) - 1u;
                if (m_texts[id] == line.text)
                    return id;
            }
        }
    }

    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_texts.size()); }

private:
    void Grow()
    {
        std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (std::uint64_t slot : old) {
            if (slot == 0)
                continue;
            // The slot is placed by its tag alone, so growing needs no rehashing.
            std::size_t at = static_cast<std::uint32_t>(slot >> 32) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    std::vector<std::uint64_t> m_slots;
    std::vector<std::string_view> m_texts; // first occurrence of each id
};

} // namespace

std::uint32_t InternLines(DiffLines &lines1, DiffLines &lines2)
{
    // Most lines of two versions of a file are shared, so the distinct count
    // is usually near one file's line count; the table grows if it is not.
    InternTable table(std::max(lines1.size(), lines2.size()));
    for (DiffLines *lines : {&lines1, &lines2}) {
        std::uint64_t hashes[kBatch];
        for (std::size_t start = 0; start < lines->size(); start += kBatch) {
            const std::size_t count = std::min(kBatch, lines->size() - start);
            for (std::size_t n = 0; n < count; ++n) {
                hashes[n] = HashBytes((*lines)[start + n].text);
                table.Prefetch(hashes[n]);
            }
            for (std::size_t n = 0; n < count; ++n)
                (*lines)[start + n].textId = table.Intern((*lines)[start + n], hashes[n]);
        }
    }
    return table.Count();
}

} // namespace lindo
