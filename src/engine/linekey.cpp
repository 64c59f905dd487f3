#include "engine/linekey.h"

#include "engine/texthash.h"

#include <vector>

namespace lindo {

namespace {

char Folded(char c, bool ignoreCase)
{
    return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Interns keys: open addressing over slots holding a key's tag and id + 1
// (0 = empty), the keys themselves one after another in one string.
class KeyTable {
public:
    explicit KeyTable(std::size_t expected)
    {
        std::size_t capacity = 1024;
        while (capacity < expected * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
        m_ends.reserve(expected);
    }

    std::uint32_t Intern(std::string_view key)
    {
        const std::uint32_t tag = TextTag(key);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = tag & mask;; at = (at + 1) & mask) {
            const std::uint64_t slot = m_slots[at];
            if (slot == 0) {
                const auto id = static_cast<std::uint32_t>(m_ends.size());
                m_keys.append(key);
                m_ends.push_back(m_keys.size());
                m_slots[at] = (static_cast<std::uint64_t>(tag) << 32) | (id + 1u);
                if (m_ends.size() * 2 > m_slots.size())
                    Grow();
                return id;
            }
            const std::uint32_t id = static_cast<std::uint32_t>(slot) - 1u;
            if (static_cast<std::uint32_t>(slot >> 32) == tag && SameText(Key(id), key))
                return id;
        }
    }

    std::uint32_t Count() const { return static_cast<std::uint32_t>(m_ends.size()); }

private:
    std::string_view Key(std::uint32_t id) const
    {
        const std::size_t begin = id == 0 ? 0 : m_ends[id - 1];
        return std::string_view(m_keys).substr(begin, m_ends[id] - begin);
    }

    void Grow()
    {
        std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const std::uint64_t slot : old) {
            if (slot == 0)
                continue;
            std::size_t at = static_cast<std::uint32_t>(slot >> 32) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    std::vector<std::uint64_t> m_slots;
    std::string m_keys;
    std::vector<std::size_t> m_ends; // end of each key in m_keys
};

} // namespace

std::uint32_t RekeyLines(DiffLines &lines1, DiffLines &lines2, std::uint32_t idCount, const LineKeyOptions &options)
{
    // One text per id, from the first line that has it.
    std::vector<const DiffLine *> firsts(idCount, nullptr);
    for (const DiffLines *lines : {&lines1, &lines2})
        for (const DiffLine &line : *lines)
            if (firsts[line.textId] == nullptr)
                firsts[line.textId] = &line;
    KeyTable table(idCount);
    std::vector<std::uint32_t> keyIds(idCount);
    std::string key;
    for (std::uint32_t id = 0; id < idCount; ++id) {
        if (firsts[id] == nullptr)
            continue;
        MakeLineKey(firsts[id]->text, options, key);
        keyIds[id] = table.Intern(key);
    }
    for (DiffLines *lines : {&lines1, &lines2})
        for (DiffLine &line : *lines)
            line.textId = keyIds[line.textId];
    return table.Count();
}

bool HasLoneId(const DiffLines &lines, std::uint32_t idCount)
{
    std::vector<std::uint8_t> counts(idCount, 0);
    for (const DiffLine &line : lines)
        if (counts[line.textId] < 2)
            ++counts[line.textId];
    for (const std::uint8_t count : counts)
        if (count == 1)
            return true;
    return false;
}

void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key)
{
    key.clear();
    if (!options.ignoreAllSpace && !options.ignoreSpaceChange) {
        key.reserve(text.size());
        for (const char c : text)
            key.push_back(Folded(c, options.ignoreCase));
        return;
    }
    // A run of blanks leaves one blank behind only when more text follows it
    // and runs are not dropped altogether.
    bool pendingBlank = false;
    for (const char c : text) {
        if (IsBlank(c)) {
            pendingBlank = !options.ignoreAllSpace;
            continue;
        }
        if (pendingBlank)
            key.push_back(' ');
        pendingBlank = false;
        key.push_back(Folded(c, options.ignoreCase));
    }
}

} // namespace lindo
