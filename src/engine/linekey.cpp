#include "engine/linekey.h"

#include "engine/runboth.h"
#include "engine/tagtable.h"
#include "engine/texthash.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <new>
#include <vector>

namespace lindo {

namespace {

// Every ASCII capital of word made small, eight bytes at a time.
std::uint64_t FoldedWord(std::uint64_t word)
{
    const std::uint64_t low = word & ~kHighBits;
    const std::uint64_t atLeastA = low + kEveryByte * (0x80 - 'A');
    const std::uint64_t aboveZ = low + kEveryByte * (0x80 - 'Z' - 1);
    return word | (((atLeastA & ~aboveZ & ~word) & kHighBits) >> 2);
}

void FoldCase(std::string &text)
{
    char *const bytes = text.data();
    const std::size_t size = text.size();
    std::size_t at = 0;
    for (; size - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        word = FoldedWord(word);
        std::memcpy(bytes + at, &word, 8);
    }
    for (; at < size; ++at)
        bytes[at] = FoldedAscii(bytes[at]);
}

// Hands the key of text, but for its case folding, to sink(bytes, count) a
// run at a time, until sink returns false. Whole runs of other bytes go
// out at once; a run of blanks leaves one blank behind only when more text
// follows it and runs are not dropped altogether.
template <typename Sink>
void ForEachKeyRun(std::string_view text, const LineKeyOptions &options, Sink &&sink)
{
    if (!options.ignoreAllSpace && !options.ignoreSpaceChange) {
        sink(text.data(), text.size());
        return;
    }
    const std::size_t size = text.size();
    bool blankBefore = false;
    for (std::size_t at = 0; at < size;) {
        if (IsBlank(text[at])) {
            blankBefore = true;
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        while (end < size && !IsBlank(text[end]))
            ++end;
        if (blankBefore && !options.ignoreAllSpace && !sink(" ", 1))
            return;
        if (!sink(text.data() + at, end - at))
            return;
        blankBefore = false;
        at = end;
    }
}

constexpr std::uint32_t kLookAhead = 16;       // keys whose slots are fetched ahead of their lookup
constexpr std::uint32_t kThreadFrom = 1u << 14; // distinct texts worth a second thread

} // namespace

void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key)
{
    key.clear();
    ForEachKeyRun(text, options, [&key](const char *bytes, std::size_t count) {
        key.append(bytes, count);
        return true;
    });
    if (options.ignoreCase)
        FoldCase(key);
}

namespace {

// Reads the key of a text a byte at a time without making it.
class KeyReader {
public:
    static constexpr int kEnd = -1;

    KeyReader(std::string_view text, const LineKeyOptions &options) : m_text(text), m_options(options) {}

    int Next()
    {
        if (m_options.ignoreAllSpace || m_options.ignoreSpaceChange) {
            while (m_at < m_text.size() && IsBlank(m_text[m_at])) {
                m_blankBefore = !m_options.ignoreAllSpace;
                ++m_at;
            }
        }
        if (m_at == m_text.size())
            return kEnd;
        if (m_blankBefore) {
            m_blankBefore = false;
            return ' ';
        }
        const char c = m_text[m_at++];
        return static_cast<unsigned char>(m_options.ignoreCase ? FoldedAscii(c) : c);
    }

private:
    std::string_view m_text;
    const LineKeyOptions &m_options;
    std::size_t m_at = 0;
    bool m_blankBefore = false;
};

} // namespace

bool SameLineKey(std::string_view text1, std::string_view text2, const LineKeyOptions &options)
{
    if (SameText(text1, text2))
        return true;
    if (!options.ignoreAllSpace && !options.ignoreSpaceChange && text1.size() != text2.size())
        return false;
    KeyReader reader1(text1, options);
    KeyReader reader2(text2, options);
    for (;;) {
        const int c = reader1.Next();
        if (c != reader2.Next())
            return false;
        if (c == KeyReader::kEnd)
            return true;
    }
}

std::uint32_t RekeyLines(DiffLines &lines1, DiffLines &lines2, std::uint32_t idCount, const LineKeyOptions &options)
{
    // Ids count up in the order their texts first occur, so one sequential
    // pass finds each text's first line; then every key's tag is known
    // before any is looked up, and the table's slots are fetched ahead.
    std::vector<const DiffLine *> firsts; // by text id
    firsts.reserve(idCount);
    for (const DiffLines *lines : {&lines1, &lines2})
        for (const DiffLine &line : *lines)
            if (line.textId == firsts.size())
                firsts.push_back(&line);
    if (firsts.size() != idCount)
        throw std::logic_error("line ids are not numbered in the order their texts occur");
    // The keys' tags, half of them on a second thread when there are many.
    std::vector<std::uint32_t> keyIds(idCount);
    const auto tagKeys = [&](std::uint32_t from, std::uint32_t to) {
        std::string key;
        for (std::uint32_t id = from; id < to; ++id) {
            MakeLineKey(firsts[id]->text, options, key);
            keyIds[id] = TextTag(key);
        }
    };
    if (idCount < kThreadFrom) {
        tagKeys(0, idCount);
    } else {
        const std::uint32_t half = idCount / 2;
        bool outOfMemory[2] = {};
        RunBoth([&](std::size_t n) {
            try {
                n == 0 ? tagKeys(0, half) : tagKeys(half, idCount);
            } catch (const std::bad_alloc &) {
                outOfMemory[n] = true;
            }
        });
        if (outOfMemory[0] || outOfMemory[1])
            throw std::bad_alloc();
    }
    // Twice as many slots as there can be keys: the table never grows.
    TagTable table(std::size_t{idCount} * 2);
    for (std::uint32_t id = 0; id < idCount; ++id) {
        if (id + kLookAhead < idCount)
            table.Prefetch(keyIds[id + kLookAhead]);
        keyIds[id] = table.Intern(keyIds[id], id, [&](std::uint32_t first) {
            return SameLineKey(firsts[first]->text, firsts[id]->text, options);
        });
    }
    const auto rekey = [&keyIds](DiffLines &lines) {
        for (DiffLine &line : lines)
            line.textId = keyIds[line.textId];
    };
    if (idCount < kThreadFrom) {
        rekey(lines1);
        rekey(lines2);
    } else {
        RunBoth([&](std::size_t n) { rekey(n == 0 ? lines1 : lines2); });
    }
    return table.Count();
}

} // namespace lindo
