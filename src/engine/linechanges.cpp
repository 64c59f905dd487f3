#include "engine/linechanges.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace lindo {

namespace {

using LinePair = std::array<std::string_view, 2>;
using SpanPair = std::array<ByteSpan, 2>;

struct Word {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint64_t hash = 0;
};

using Words = std::vector<Word>;

// Long lines are walked byte by byte several times, so a byte's kind is one
// table look-up.
enum ByteKind : unsigned char { kWordByte = 1, kBlankByte = 2, kContinuationByte = 4 };

constexpr std::array<unsigned char, 256> kByteKinds = [] {
    std::array<unsigned char, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            kinds[c] = kWordByte;
        else if (IsBlank(static_cast<char>(c)))
            kinds[c] = kBlankByte;
        else if ((c & 0xC0) == 0x80)
            kinds[c] = kContinuationByte;
    }
    return kinds;
}();

unsigned char KindOf(char c)
{
    return kByteKinds[static_cast<unsigned char>(c)];
}

bool IsContinuation(char c)
{
    return KindOf(c) == kContinuationByte;
}

// The length of the well-formed UTF-8 character at pos (no overlong forms,
// no surrogates, nothing past U+10FFFF), or 1 when none starts there.
std::size_t CharLength(std::string_view text, std::size_t pos)
{
    const auto byteAt = [text](std::size_t i) -> unsigned { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
    const unsigned lead = byteAt(pos);
    if (lead < 0xC2 || lead > 0xF4)
        return 1;
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (byteAt(pos + 1) < low || byteAt(pos + 1) > high)
        return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if ((byteAt(pos + i) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

// The kinds of byte a word starting with `first` runs on over: letters and
// digits after a letter or digit, blanks after a blank when a run of them
// counts as one; none after anything else.
unsigned char RunKinds(char first, const LineKeyOptions &options)
{
    const unsigned char kind = KindOf(first);
    return kind == kWordByte || (kind == kBlankByte && options.ignoreSpaceChange) ? kind : 0;
}

bool RunsOn(char first, char next, const LineKeyOptions &options)
{
    return (KindOf(next) & RunKinds(first, options)) != 0;
}

// The end of the word starting at begin, which must be a word boundary.
std::size_t WordEnd(std::string_view text, std::size_t begin, const LineKeyOptions &options)
{
    const unsigned char runKinds = RunKinds(text[begin], options);
    if (runKinds == 0)
        return begin + CharLength(text, begin);
    std::size_t end = begin + 1;
    while (end < text.size() && (KindOf(text[end]) & runKinds) != 0)
        ++end;
    return end;
}

// The start of the word ending at end, which must be a word boundary. A
// character is at most four bytes, and every byte that is not a continuation
// byte starts a character or stands alone, so looking back three bytes for
// the lead is enough.
std::size_t WordBegin(std::string_view text, std::size_t end, const LineKeyOptions &options)
{
    const unsigned char runKinds = RunKinds(text[end - 1], options);
    if (runKinds != 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && (KindOf(text[begin - 1]) & runKinds) != 0)
            --begin;
        return begin;
    }
    std::size_t lead = end - 1;
    while (lead > 0 && end - lead < 4 && IsContinuation(text[lead]))
        --lead;
    return lead + CharLength(text, lead) == end ? lead : end - 1;
}

bool IsSkipped(char c, const LineKeyOptions &options)
{
    return options.ignoreAllSpace && IsBlank(c);
}

bool SameWord(std::string_view a, std::string_view b, const LineKeyOptions &options)
{
    if (options.ignoreSpaceChange && IsBlank(a.front()) && IsBlank(b.front()))
        return true;
    if (!options.ignoreCase || a.size() != b.size())
        return a == b;
    return std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldedAscii(x) == FoldedAscii(y); });
}

// Equal words hash alike under the options, so most unequal pairs are told
// apart without looking at their bytes. Only the ends of a long word are
// hashed, with its length: a hash is a quick filter, not the comparison, and
// a line may be one word of millions of bytes.
std::uint64_t WordHash(std::string_view word, const LineKeyOptions &options)
{
    constexpr std::size_t kHashedEnd = 32;
    if (options.ignoreSpaceChange && IsBlank(word.front()))
        word = " ";
    std::uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a
    const auto add = [&](std::string_view part) {
        for (const char c : part)
            hash = (hash ^ static_cast<unsigned char>(options.ignoreCase ? FoldedAscii(c) : c)) * 0x100000001B3ull;
    };
    if (word.size() <= 2 * kHashedEnd) {
        add(word);
        return hash;
    }
    add(word.substr(0, kHashedEnd));
    add(word.substr(word.size() - kHashedEnd));
    return (hash ^ word.size()) * 0x100000001B3ull;
}

// Blanks at the end are never marked when blanks are ignored in any way.
std::string_view WithoutTrailingBlanks(std::string_view line, const LineKeyOptions &options)
{
    if (options.ignoreSpaceChange || options.ignoreAllSpace) {
        while (!line.empty() && IsBlank(line.back()))
            line.remove_suffix(1);
    }
    return line;
}

bool EqualIgnoringBlanks(std::string_view a, std::string_view b, bool ignoreCase)
{
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        while (i < a.size() && IsBlank(a[i]))
            ++i;
        while (j < b.size() && IsBlank(b[j]))
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() && j == b.size();
        if (ignoreCase ? FoldedAscii(a[i]) != FoldedAscii(b[j]) : a[i] != b[j])
            return false;
        ++i;
        ++j;
    }
}

// Whether a word starts (or the text ends) at pos. A byte that is not a
// continuation byte always starts a character, and only ASCII runs join
// characters into longer words.
bool IsWordBoundary(std::string_view text, std::size_t pos, const LineKeyOptions &options)
{
    return pos == 0 || pos == text.size()
           || (!IsContinuation(text[pos]) && !RunsOn(text[pos - 1], text[pos], options));
}

// How many bytes from first on agree with those from other; forwards or
// backwards. Exact comparison keeps the library's fast path.
template <typename Iterator>
std::size_t AgreeingBytes(Iterator first, std::size_t count, Iterator other, bool ignoreCase)
{
    const auto folded = [](char a, char b) { return FoldedAscii(a) == FoldedAscii(b); };
    const Iterator end = first + static_cast<std::ptrdiff_t>(count);
    return static_cast<std::size_t>(
        (ignoreCase ? std::mismatch(first, end, other, folded) : std::mismatch(first, end, other)).first - first);
}

// Ends whose bytes agree (up to ASCII case when case is ignored) are set
// aside first at the speed of a plain scan, cut back to a word boundary of
// both lines: such bytes make equal words, and letters stay letters when
// folded, so both lines split them into words alike.
SpanPair EqualByteEnds(const LinePair &lines, const LineKeyOptions &options)
{
    const std::size_t shorter = std::min(lines[0].size(), lines[1].size());
    std::size_t head = AgreeingBytes(lines[0].begin(), shorter, lines[1].begin(), options.ignoreCase);
    // Back to the start of the word around the cut, a whole run in one step.
    while (!IsWordBoundary(lines[0], head, options) || !IsWordBoundary(lines[1], head, options)) {
        const unsigned char runKinds = RunKinds(lines[0][head - 1], options);
        --head;
        while (runKinds != 0 && head > 0 && (KindOf(lines[0][head - 1]) & runKinds) != 0)
            --head;
    }
    std::size_t tail = AgreeingBytes(lines[0].rbegin(), shorter - head, lines[1].rbegin(), options.ignoreCase);
    const auto tailByte = [&](std::size_t t) { return lines[0][lines[0].size() - t]; };
    while (!IsWordBoundary(lines[0], lines[0].size() - tail, options)
           || !IsWordBoundary(lines[1], lines[1].size() - tail, options)) {
        const unsigned char runKinds = RunKinds(tailByte(tail), options);
        --tail;
        while (runKinds != 0 && tail > 0 && (KindOf(tailByte(tail)) & runKinds) != 0)
            --tail;
    }
    return {ByteSpan{head, lines[0].size() - tail}, ByteSpan{head, lines[1].size() - tail}};
}

// Narrows the middles from both ends while the next words agree under the
// options, stepping over the blanks the options drop. Without blank options
// the words at the ends of the equal byte ends' middles already differ.
void TrimEqualEnds(const LinePair &lines, const LineKeyOptions &options, SpanPair &middle)
{
    const auto skipBlanks = [&](bool fromHead) {
        for (int s = 0; s < 2; ++s) {
            ByteSpan &m = middle[s];
            while (m.begin < m.end && IsSkipped(lines[s][fromHead ? m.begin : m.end - 1], options))
                fromHead ? ++m.begin : --m.end;
        }
        return middle[0].begin < middle[0].end && middle[1].begin < middle[1].end;
    };
    while (skipBlanks(true)) {
        const std::size_t end0 = WordEnd(lines[0], middle[0].begin, options);
        const std::size_t end1 = WordEnd(lines[1], middle[1].begin, options);
        if (end0 > middle[0].end || end1 > middle[1].end
            || !SameWord(lines[0].substr(middle[0].begin, end0 - middle[0].begin),
                         lines[1].substr(middle[1].begin, end1 - middle[1].begin), options))
            break;
        middle[0].begin = end0;
        middle[1].begin = end1;
    }
    while (skipBlanks(false)) {
        const std::size_t begin0 = WordBegin(lines[0], middle[0].end, options);
        const std::size_t begin1 = WordBegin(lines[1], middle[1].end, options);
        if (begin0 < middle[0].begin || begin1 < middle[1].begin
            || !SameWord(lines[0].substr(begin0, middle[0].end - begin0),
                         lines[1].substr(begin1, middle[1].end - begin1), options))
            break;
        middle[0].end = begin0;
        middle[1].end = begin1;
    }
}

// The words of text's span, blanks the options drop left out; false when
// there are more than the search takes on.
bool SplitWords(std::string_view text, ByteSpan span, const LineKeyOptions &options, Words &words)
{
    for (std::size_t pos = span.begin; pos < span.end;) {
        const std::size_t end = WordEnd(text, pos, options);
        if (!IsSkipped(text[pos], options)) {
            if (words.size() == kMaxLineChangeWords)
                return false;
            words.push_back({pos, end, WordHash(text.substr(pos, end - pos), options)});
        }
        pos = end;
    }
    return true;
}

// Marks the fewest words to drop from both sides so that the rest agree: the
// greedy search of Myers' "An O(ND) Difference Algorithm", which keeps every
// round's furthest-reaching point on each diagonal and then walks the path
// back. Returns false, marking nothing, when the search passes its limits.
bool MarkDropped(const LinePair &lines, const std::array<Words, 2> &words, const LineKeyOptions &options,
                 std::array<std::vector<bool>, 2> &dropped)
{
    const Words &a = words[0];
    const Words &b = words[1];
    const int n = static_cast<int>(a.size());
    const int m = static_cast<int>(b.size());
    std::size_t comparisons = 0;
    const auto same = [&](int x, int y) {
        ++comparisons;
        return a[x].hash == b[y].hash
               && SameWord(lines[0].substr(a[x].begin, a[x].end - a[x].begin),
                           lines[1].substr(b[y].begin, b[y].end - b[y].begin), options);
    };
    const int maxEdits = std::min(n + m, static_cast<int>(kMaxLineChangeEdits));
    std::vector<int> furthest(static_cast<std::size_t>(2 * maxEdits + 3));
    const auto at = [&](int k) -> int & { return furthest[static_cast<std::size_t>(k + maxEdits + 1)]; };
    // Round d's points for diagonals -d, -d+2, ..., d, one round after another.
    std::vector<int> rounds;
    const auto roundAt = [&](int d, int k) { return rounds[static_cast<std::size_t>(d * (d + 1) / 2 + (k + d) / 2)]; };
    const auto fromAbove = [](int d, int k, auto point) { return k == -d || (k != d && point(k - 1) < point(k + 1)); };

    int edits = -1;
    for (int d = 0; d <= maxEdits && edits < 0; ++d) {
        for (int k = -d; k <= d; k += 2) {
            int x = fromAbove(d, k, at) ? at(k + 1) : at(k - 1) + 1;
            while (x < n && x - k < m && same(x, x - k))
                ++x;
            if (comparisons > kMaxLineChangeComparisons)
                return false;
            at(k) = x;
            rounds.push_back(x);
            if (x >= n && x - k >= m)
                edits = d;
        }
    }
    if (edits < 0)
        return false;

    dropped[0].assign(a.size(), false);
    dropped[1].assign(b.size(), false);
    int x = n;
    int y = m;
    for (int d = edits; d > 0; --d) {
        const int k = x - y;
        const auto previous = [&](int kk) { return roundAt(d - 1, kk); };
        const bool down = fromAbove(d, k, previous);
        const int previousK = down ? k + 1 : k - 1;
        x = previous(previousK);
        y = x - previousK;
        if (down)
            dropped[1][static_cast<std::size_t>(y)] = true;
        else
            dropped[0][static_cast<std::size_t>(x)] = true;
    }
    return true;
}

void AddSpan(std::vector<ByteSpan> &spans, std::size_t begin, std::size_t end)
{
    if (!spans.empty() && spans.back().end == begin)
        spans.back().end = end;
    else
        spans.push_back({begin, end});
}

std::vector<ByteSpan> &SpansOf(LineChanges &changes, int side)
{
    return side == 0 ? changes.first : changes.second;
}

} // namespace

LineChanges FindLineChanges(std::string_view line1, std::string_view line2, const LineKeyOptions &options)
{
    LineChanges changes;
    if (line1 == line2 || (options.ignoreAllSpace && EqualIgnoringBlanks(line1, line2, options.ignoreCase)))
        return changes;
    const LinePair lines{WithoutTrailingBlanks(line1, options), WithoutTrailingBlanks(line2, options)};
    SpanPair middle = EqualByteEnds(lines, options);
    if (options.ignoreSpaceChange || options.ignoreAllSpace)
        TrimEqualEnds(lines, options, middle);

    std::array<Words, 2> words;
    std::array<std::vector<bool>, 2> dropped;
    if (SplitWords(lines[0], middle[0], options, words[0]) && SplitWords(lines[1], middle[1], options, words[1])
        && MarkDropped(lines, words, options, dropped)) {
        for (int s = 0; s < 2; ++s) {
            for (std::size_t i = 0; i < words[s].size(); ++i) {
                if (dropped[s][i])
                    AddSpan(SpansOf(changes, s), words[s][i].begin, words[s][i].end);
            }
        }
        return changes;
    }
    for (int s = 0; s < 2; ++s) {
        if (middle[s].begin < middle[s].end)
            SpansOf(changes, s).push_back(middle[s]);
    }
    return changes;
}

} // namespace lindo
