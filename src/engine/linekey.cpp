#include "engine/linekey.h"

#include "engine/squeezeblanks.h"
#include "engine/texthash.h"

#include <algorithm>
#include <cstring>

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

// Whether two texts are the same once their case is folded.
bool SameFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    std::size_t at = 0;
    for (; a.size() - at >= 8; at += 8) {
        std::uint64_t wordA;
        std::uint64_t wordB;
        std::memcpy(&wordA, a.data() + at, 8);
        std::memcpy(&wordB, b.data() + at, 8);
        if (FoldedWord(wordA) != FoldedWord(wordB))
            return false;
    }
    for (; at < a.size(); ++at) {
        if (FoldedAscii(a[at]) != FoldedAscii(b[at]))
            return false;
    }
    return true;
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

// Where the key of text under -b, but for its case folding, is a piece of
// the text itself, narrows text to that piece and returns true: then the key
// is hashed where it stands, without a copy. So it is for most lines: the
// text less the blank space at its ends, but for the last byte of a run
// before it, when that byte is a blank (the run leaves one).
bool NarrowToKey(std::string_view &text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    if (begin > 0 && begin < end) {
        if (text[begin - 1] != ' ')
            return false;
        --begin;
    }
    const std::string_view piece = text.substr(begin, end - begin);
    if (!SqueezedAlready(piece, false))
        return false;
    text = piece;
    return true;
}

} // namespace

void MakeLineKey(std::string_view text, const LineKeyOptions &options, std::string &key)
{
    if (options.ignoreAllSpace || options.ignoreSpaceChange) {
        key.resize(text.size() + kSqueezeRoom);
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
    const bool blanks = options.ignoreAllSpace || options.ignoreSpaceChange;
    if (!blanks && text1.size() != text2.size())
        return false;
    // Most lines are short: their keys are made whole, many bytes at a time,
    // rather than read byte by byte.
    constexpr std::size_t kShort = 256;
    if (text1.size() <= kShort && text2.size() <= kShort) {
        char room1[kShort + kSqueezeRoom];
        char room2[kShort + kSqueezeRoom];
        if (blanks) {
            text1 = std::string_view(room1, SqueezeBlanks(text1, options.ignoreAllSpace, room1));
            text2 = std::string_view(room2, SqueezeBlanks(text2, options.ignoreAllSpace, room2));
        }
        return options.ignoreCase ? SameFolded(text1, text2) : SameText(text1, text2);
    }
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

std::uint32_t KeyTagger::Make(std::string_view text)
{
    // Under -b most keys are a piece of the text with at most its case
    // folded: hashed where the text stands, the case folded as the tag reads
    // the words. Under -w nearly every line holds a blank, which goes: the
    // text is squeezed at once rather than first looked through to tell
    // whether it needs to be (a fifth less time a line, on source code).
    if (m_options.ignoreAllSpace || (m_options.ignoreSpaceChange && !NarrowToKey(text))) {
        if (m_room.size() < text.size() + kSqueezeRoom)
            m_room.resize(text.size() + kSqueezeRoom);
        text = std::string_view(m_room.data(), SqueezeBlanks(text, m_options.ignoreAllSpace, m_room.data()));
    }
    if (m_options.ignoreCase)
        return TextTag(text, [](std::uint64_t word) { return FoldedWord(word); });
    return TextTag(text);
}

std::uint32_t KeyTagger::operator()(std::string_view text)
{
    // Folding case alone costs next to nothing beside the tag itself.
    if ((!m_options.ignoreAllSpace && !m_options.ignoreSpaceChange) || text.size() > kRememberedSize)
        return Make(text);
    if (!m_remembered)
        m_remembered = std::make_unique<Remembered[]>(kRememberedCount);
    // A text's place is picked by its size and its first and last words.
    const std::size_t edge = std::min<std::size_t>(text.size(), 8);
    const std::uint64_t mixed = (ShortWord(text.data(), edge) * 0x9E3779B97F4A7C15ull)
                                ^ (ShortWord(text.data() + text.size() - edge, edge) * 0xC2B2AE3D27D4EB4Full)
                                ^ text.size();
    Remembered &place = m_remembered[(mixed >> 32) % kRememberedCount];
    if (place.size == text.size() && SameText(std::string_view(place.bytes, place.size), text))
        return place.tag;
    place.tag = Make(text);
    std::memcpy(place.bytes, text.data(), text.size());
    place.size = static_cast<std::uint32_t>(text.size());
    return place.tag;
}

} // namespace lindo
