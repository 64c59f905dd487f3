#include "engine/linekey.h"

#include "engine/runboth.h"
#include "engine/tagtable.h"
#include "engine/texthash.h"

#include <algorithm>
#include <bit>
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

// The high bit of every byte of word that is blank space, nothing else: the
// bytes of tab to carriage return, and the blank.
std::uint64_t BlankBytes(std::uint64_t word)
{
    const std::uint64_t low = word & ~kHighBits;
    const std::uint64_t atLeastTab = low + kEveryByte * (0x80 - '\t');
    const std::uint64_t aboveCr = low + kEveryByte * (0x80 - '\r' - 1);
    return (atLeastTab & ~aboveCr & ~word & kHighBits) | BytesEqualTo(word, ' ');
}

// The number of bytes of word, in memory order, before the first one whose
// high bit mask marks; mask is not 0.
std::size_t BytesBeforeMark(std::uint64_t mask)
{
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<std::size_t>(std::countr_zero(mask)) / 8;
    else
        return static_cast<std::size_t>(std::countl_zero(mask)) / 8;
}

// The index of the first byte of text from `at` on that is (blank true) or
// is not (blank false) blank space; the text's size when there is none.
// Eight bytes at a time: indentation and words are both long runs.
std::size_t RunEnd(std::string_view text, std::size_t at, bool blank)
{
    const std::size_t size = text.size();
    for (; size - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        const std::uint64_t marked = blank ? BlankBytes(word) : BlankBytes(word) ^ kHighBits;
        if (marked != 0)
            return at + BytesBeforeMark(marked);
    }
    while (at < size && IsBlank(text[at]) != blank)
        ++at;
    return at;
}

// Writes the key of text, but for its case folding, to out (room for
// text.size() bytes) and returns its length. A run of blank space leaves one
// blank behind only when more text follows it and runs are not dropped
// altogether.
std::size_t SqueezeBlanks(std::string_view text, bool dropAll, char *out)
{
    std::size_t length = 0;
    for (std::size_t at = RunEnd(text, 0, false); at < text.size();) {
        if (at > 0 && !dropAll)
            out[length++] = ' ';
        const std::size_t end = RunEnd(text, at, true);
        std::memcpy(out + length, text.data() + at, end - at);
        length += end - at;
        at = RunEnd(text, end, false);
    }
    return length;
}

// Whether SqueezeBlanks would leave text as it is, as it does for most
// lines: then the text is hashed where it stands, without a copy. Eight
// bytes at a time; the last word may overlap the one before it, which can
// only make a text look as if it needed squeezing.
bool SqueezedIsText(std::string_view text, bool dropAll)
{
    const std::size_t size = text.size();
    if (size == 0)
        return true;
    if (IsBlank(text.front()) || IsBlank(text.back()))
        return false;
    if (size < 8) {
        char squeezed[8];
        return std::string_view(squeezed, SqueezeBlanks(text, dropAll, squeezed)) == text;
    }
    constexpr bool little = std::endian::native == std::endian::little;
    constexpr std::uint64_t firstByte = little ? 0x80 : 0x80ull << 56;
    constexpr std::uint64_t lastByte = little ? 0x80ull << 56 : 0x80;
    bool blankBefore = false;
    for (std::size_t at = 0;; at += 8) {
        at = std::min(at, size - 8);
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        const std::uint64_t marked = BlankBytes(word);
        // Only single blanks between other bytes stay.
        if (marked != 0
            && (dropAll || (marked & ~BytesEqualTo(word, ' ')) != 0 || (marked & (marked >> 8)) != 0
                || (blankBefore && (marked & firstByte) != 0)))
            return false;
        blankBefore = (marked & lastByte) != 0;
        if (at + 8 == size)
            return true;
    }
}

// Whether text holds an ASCII capital; eight bytes at a time.
bool HasCapital(std::string_view text)
{
    const std::size_t size = text.size();
    if (size < 8)
        return std::any_of(text.begin(), text.end(), [](char c) { return FoldedAscii(c) != c; });
    for (std::size_t at = 0;; at += 8) {
        at = std::min(at, size - 8);
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        if (FoldedWord(word) != word)
            return true;
        if (at + 8 == size)
            return false;
    }
}

constexpr std::uint32_t kLookAhead = 16;       // keys whose slots are fetched ahead of their lookup
constexpr std::uint32_t kThreadFrom = 1u << 14; // distinct texts worth a second thread

} // namespace

void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key)
{
    if (options.ignoreAllSpace || options.ignoreSpaceChange) {
        key.resize(text.size());
        key.resize(SqueezeBlanks(text, options.ignoreAllSpace, key.data()));
    } else {
        key.assign(text);
    }
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

namespace {

// Sets keyIds[id], for ids from `from` to `to`, to the tag of the key of
// the text firsts[id] views, where that key is not the text itself (whose
// tag keyIds holds already).
void TagKeys(const std::vector<const DiffLine *> &firsts, std::uint32_t from, std::uint32_t to,
             const LineKeyOptions &options, std::vector<std::uint32_t> &keyIds)
{
    // The case is folded as the tag reads the words, not in a copy.
    const auto folded = [&options](std::uint64_t word) { return options.ignoreCase ? FoldedWord(word) : word; };
    const bool blanks = options.ignoreAllSpace || options.ignoreSpaceChange;
    LineKeyOptions blanksOnly = options;
    blanksOnly.ignoreCase = false;
    std::string key;
    for (std::uint32_t id = from; id < to; ++id) {
        const std::string_view text = firsts[id]->text;
        const bool squeezed = !blanks || SqueezedIsText(text, options.ignoreAllSpace);
        if (squeezed && (!options.ignoreCase || !HasCapital(text)))
            continue;
        if (squeezed) {
            keyIds[id] = TextTag(text, folded);
        } else {
            MakeLineKey(text, blanksOnly, key);
            keyIds[id] = TextTag(key, folded);
        }
    }
}

} // namespace

std::uint32_t RekeyLines(DiffLines &lines1, DiffLines &lines2, std::vector<std::uint32_t> tags,
                         const LineKeyOptions &options)
{
    const auto idCount = static_cast<std::uint32_t>(tags.size());
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
    // A text that is its own key keeps its tag.
    std::vector<std::uint32_t> keyIds = std::move(tags);
    const auto tagKeys = [&](std::uint32_t from, std::uint32_t to) { TagKeys(firsts, from, to, options, keyIds); };
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
