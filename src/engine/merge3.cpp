#include "engine/merge3.h"

#include "engine/merge3diff.h"
#include "engine/textreader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

namespace lindo {

namespace {

constexpr std::size_t kMarkerSize = 7;

// Where the walk over the base stands: the base line, and how far each
// side's line numbers run ahead of the base's (negative: behind).
struct WalkPosition {
    std::int32_t base = 0;
    std::array<std::int32_t, 3> shift{};
};

Merge3Stretch UnchangedUpTo(const WalkPosition &at, std::int32_t end)
{
    Merge3Stretch stretch;
    for (std::size_t f = 0; f < 3; ++f) {
        stretch.first[f] = at.base + at.shift[f];
        stretch.count[f] = end - at.base;
    }
    return stretch;
}

bool SameLines(const Merge3Text &a, std::int32_t firstA, const Merge3Text &b, std::int32_t firstB, std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i) {
        if (a.lines[static_cast<std::size_t>(firstA + i)] != b.lines[static_cast<std::size_t>(firstB + i)])
            return false;
    }
    return true;
}

// Walks the two sides' hunks along the base. Hunks of the two sides that
// overlap or touch (no unchanged base line between) make one stretch,
// growing as long as another hunk of either side touches it.
class MergeWalk {
public:
    MergeWalk(const std::array<const Merge3Text *, 3> &texts, const std::vector<Merge3Hunk> &first,
              const std::vector<Merge3Hunk> &second)
        : m_texts(texts), m_hunks{&first, nullptr, &second}
    {
    }

    Merge3Result Run()
    {
        while (m_next[0] < m_hunks[0]->size() || m_next[2] < m_hunks[2]->size())
            TakeChangedStretch();
        const std::int32_t baseEnd = static_cast<std::int32_t>(m_texts[kMerge3Base]->lines.size());
        if (m_at.base < baseEnd)
            m_result.stretches.push_back(UnchangedUpTo(m_at, baseEnd));
        return std::move(m_result);
    }

private:
    const Merge3Hunk *Next(int side) const
    {
        const std::vector<Merge3Hunk> &hunks = *m_hunks[static_cast<std::size_t>(side)];
        const std::size_t next = m_next[static_cast<std::size_t>(side)];
        return next < hunks.size() ? &hunks[next] : nullptr;
    }

    void TakeChangedStretch()
    {
        const Merge3Hunk *first = Next(kMerge3First);
        const Merge3Hunk *second = Next(kMerge3Second);
        constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::max();
        const std::int32_t start = std::min(first ? first->baseFirst : kNone, second ? second->baseFirst : kNone);
        if (start > m_at.base)
            m_result.stretches.push_back(UnchangedUpTo(m_at, start));
        m_at.base = start;
        Merge3Stretch stretch = UnchangedUpTo(m_at, start);
        std::int32_t end = start;
        std::array<bool, 3> changed{};
        for (bool grew = true; grew;) {
            grew = false;
            for (const int side : {kMerge3First, kMerge3Second}) {
                const Merge3Hunk *hunk = Next(side);
                if (hunk && hunk->baseFirst <= end) {
                    const std::size_t s = static_cast<std::size_t>(side);
                    end = std::max(end, hunk->baseFirst + hunk->baseCount);
                    m_at.shift[s] += hunk->sideCount - hunk->baseCount;
                    changed[s] = grew = true;
                    ++m_next[s];
                }
            }
        }
        for (std::size_t f = 0; f < 3; ++f)
            stretch.count[f] = end + m_at.shift[f] - stretch.first[f];
        stretch.kind = KindOf(stretch, changed);
        m_result.conflicts += stretch.kind == Merge3Kind::Conflict ? 1 : 0;
        m_result.stretches.push_back(stretch);
        m_at.base = end;
    }

    Merge3Kind KindOf(const Merge3Stretch &stretch, const std::array<bool, 3> &changed) const
    {
        if (!changed[kMerge3Second])
            return Merge3Kind::FirstOnly;
        if (!changed[kMerge3First])
            return Merge3Kind::SecondOnly;
        const bool alike = stretch.count[kMerge3First] == stretch.count[kMerge3Second] &&
                           SameLines(*m_texts[kMerge3First], stretch.first[kMerge3First], *m_texts[kMerge3Second],
                                     stretch.first[kMerge3Second], stretch.count[kMerge3First]);
        return alike ? Merge3Kind::BothAlike : Merge3Kind::Conflict;
    }

    const std::array<const Merge3Text *, 3> &m_texts;
    std::array<const std::vector<Merge3Hunk> *, 3> m_hunks;
    std::array<std::size_t, 3> m_next{};
    WalkPosition m_at;
    Merge3Result m_result;
};

// Whether line ends in file text are CR LF, judged by line, as git judges
// them: a line before the last must end in LF; the last line, when it has
// no line end, goes by the line before it. -1 when it cannot tell.
int EndsInCrLf(const Merge3Text &text, std::int32_t line)
{
    const Merge3Lines &lines = text.lines;
    if (lines.empty())
        return -1;
    std::string_view text1 = lines[static_cast<std::size_t>(line)];
    if (static_cast<std::size_t>(line) + 1 == lines.size() && (text1.empty() || text1.back() != '\n')) {
        if (line == 0)
            return -1;
        text1 = lines[static_cast<std::size_t>(line) - 1];
    }
    return text1.size() > 1 && text1[text1.size() - 2] == '\r' ? 1 : 0;
}

// Whether a conflict's markers end in CR LF: when the lines before it on
// both sides (or the first lines) and the base's first line do, each
// consulted only while the ones before have not said no.
bool MarkersNeedCr(const std::array<const Merge3Text *, 3> &texts, const Merge3Stretch &conflict)
{
    const auto before = [&](int f) {
        const std::int32_t first = conflict.first[static_cast<std::size_t>(f)];
        return EndsInCrLf(*texts[static_cast<std::size_t>(f)], first > 0 ? first - 1 : 0);
    };
    int crLf = before(kMerge3First);
    if (crLf != 0)
        crLf = before(kMerge3Second);
    if (crLf != 0)
        crLf = EndsInCrLf(*texts[kMerge3Base], 0);
    return crLf > 0;
}

constexpr std::size_t kOutputChunk = 256 * 1024;

// The merge's bytes as they are made: kept in out, or, with a sink, handed
// to it whenever out holds a chunk, out then starting afresh.
class Merge3Output {
public:
    Merge3Output(std::string &out, const std::function<bool(std::string_view)> *sink) : m_out(out), m_sink(sink) {}

    void Append(std::string_view bytes)
    {
        m_out.append(bytes);
        if (m_sink && m_out.size() >= kOutputChunk)
            Flush();
    }
    void Append(std::size_t count, char byte) { m_out.append(count, byte); }
    char Last() const { return m_out.empty() ? m_last : m_out.back(); }

    bool Flush()
    {
        if (m_ok && !m_out.empty()) {
            m_last = m_out.back();
            m_ok = (*m_sink)(m_out);
        }
        m_out.clear();
        return m_ok;
    }
    bool Ok() const { return m_ok; }

private:
    std::string &m_out;
    const std::function<bool(std::string_view)> *m_sink;
    char m_last = '\n';
    bool m_ok = true;
};

void AppendLines(const Merge3Text &text, std::int32_t first, std::int32_t count, Merge3Output &out)
{
    for (std::int32_t i = first; i < first + count && out.Ok(); ++i)
        out.Append(text.lines[static_cast<std::size_t>(i)]);
}

// A conflict side's lines: when the last lacks a line end, the marker after
// it still starts a line.
void AppendConflictLines(const Merge3Text &text, std::int32_t first, std::int32_t count, std::string_view lineEnd,
                         Merge3Output &out)
{
    AppendLines(text, first, count, out);
    if (count > 0 && out.Last() != '\n')
        out.Append(lineEnd);
}

void AppendMarker(char mark, const std::string *label, std::string_view lineEnd, Merge3Output &out)
{
    out.Append(kMarkerSize, mark);
    if (label) {
        out.Append(" ");
        out.Append(*label);
    }
    out.Append(lineEnd);
}

void AppendConflict(const std::array<const Merge3Text *, 3> &texts, const Merge3Stretch &stretch,
                    const Merge3Labels &labels, bool diff3, Merge3Output &out)
{
    const std::string_view lineEnd = MarkersNeedCr(texts, stretch) ? "\r\n" : "\n";
    const auto side = [&](int f) {
        const std::size_t at = static_cast<std::size_t>(f);
        AppendConflictLines(*texts[at], stretch.first[at], stretch.count[at], lineEnd, out);
    };
    AppendMarker('<', &labels.first, lineEnd, out);
    side(kMerge3First);
    if (diff3) {
        AppendMarker('|', &labels.base, lineEnd, out);
        side(kMerge3Base);
    }
    AppendMarker('=', nullptr, lineEnd, out);
    side(kMerge3Second);
    AppendMarker('>', &labels.second, lineEnd, out);
}

void AppendMerge(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                 const Merge3Labels &labels, bool diff3, Merge3Output &out)
{
    for (const Merge3Stretch &stretch : result.stretches) {
        if (!out.Ok())
            return;
        // Unchanged and alike lines are the same bytes in both sides; they
        // are taken from FILE1, as git takes them.
        const int from = stretch.kind == Merge3Kind::SecondOnly ? kMerge3Second : kMerge3First;
        const std::size_t at = static_cast<std::size_t>(from);
        if (stretch.kind == Merge3Kind::Conflict)
            AppendConflict(texts, stretch, labels, diff3, out);
        else
            AppendLines(*texts[at], stretch.first[at], stretch.count[at], out);
    }
}

bool WriteTextChunks(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                     const Merge3Labels &labels, bool diff3, const std::function<bool(std::string_view)> &sink)
{
    std::string chunk;
    chunk.reserve(kOutputChunk + 4096);
    Merge3Output output(chunk, &sink);
    AppendMerge(texts, result, labels, diff3, output);
    return output.Flush();
}

// A chunk of the merge's text in encoding. A chunk ends only after a whole
// line or a whole piece of a marker's line, never within a character, so it
// encodes by itself. The encoding held all the files'
// non-ASCII text (see Merge3Encoding), but a label need not fit it: then
// each line is encoded alone, and one that does not fit is written as it is
// rather than dropped.
void EncodeMergeText(std::string_view text, const TextEncoding &encoding, std::string &out)
{
    if (EncodeText(text, encoding, out))
        return;
    while (!text.empty()) {
        const std::size_t lineFeed = text.find('\n');
        const std::string_view line = text.substr(0, lineFeed == std::string_view::npos ? text.size() : lineFeed + 1);
        if (!EncodeText(line, encoding, out))
            out.append(line);
        text.remove_prefix(line.size());
    }
}

} // namespace

void CutMerge3Lines(Merge3Text &text)
{
    text.lines.clear();
    const std::string_view bytes = text.bytes.View();
    text.lines.reserve(CountLines(bytes));
    std::size_t start = 0;
    while (start < bytes.size()) {
        const void *lineFeed = std::memchr(bytes.data() + start, '\n', bytes.size() - start);
        const std::size_t end =
            lineFeed ? static_cast<std::size_t>(static_cast<const char *>(lineFeed) - bytes.data()) + 1 : bytes.size();
        text.lines.push_back(bytes.substr(start, end - start));
        start = end;
    }
}

int ReadMerge3Text(const std::string &path, Merge3Text &text)
{
    return ReadMerge3Text(path, text, kDefaultFallbackEncoding);
}

int ReadMerge3Text(const std::string &path, Merge3Text &text, const std::string &fallback)
{
    text.lines.clear();
    const int error = ReadFileBytes(path, text.bytes);
    if (error != 0) {
        text.bytes.Clear();
        return error;
    }
    try {
        text.encoding = DecodeText(text.bytes, fallback, text.nonAscii);
        CutMerge3Lines(text);
    } catch (const std::bad_alloc &) {
        text.bytes.Clear();
        return ENOMEM;
    }
    return 0;
}

TextEncoding Merge3Encoding(const std::array<const Merge3Text *, 3> &texts)
{
    const TextEncoding &first = texts[kMerge3First]->encoding;
    if (texts[kMerge3Base]->encoding == first && texts[kMerge3Second]->encoding == first)
        return first;
    const TextEncoding *shared = nullptr;
    for (const Merge3Text *text : texts) {
        if (!text->nonAscii)
            continue;
        if (shared && !(*shared == text->encoding))
            return {};
        shared = &text->encoding;
    }
    return shared ? *shared : TextEncoding{};
}

Merge3Result Merge3(const std::array<const Merge3Text *, 3> &texts)
{
    Merge3LineIds lineIds;
    NumberMerge3Lines(texts, lineIds);
    std::array<std::vector<Merge3Hunk>, 2> hunks;
    RunBothPassingOn([&](std::size_t n) { hunks[n] = DiffMerge3Side(texts, lineIds, n == 0 ? kMerge3First : kMerge3Second); });
    return MergeWalk(texts, hunks[0], hunks[1]).Run();
}

void WriteMerge3(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                 const Merge3Labels &labels, bool diff3, std::string &out)
{
    Merge3Output output(out, nullptr);
    AppendMerge(texts, result, labels, diff3, output);
}

bool WriteMerge3Chunked(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                        const Merge3Labels &labels, bool diff3, const std::function<bool(std::string_view)> &sink)
{
    const TextEncoding encoding = Merge3Encoding(texts);
    const std::string_view bom = BomOf(encoding);
    if (!bom.empty() && !sink(bom))
        return false;
    if (encoding.name == kUtf8)
        return WriteTextChunks(texts, result, labels, diff3, sink); // the text is the bytes
    std::string encoded;
    return WriteTextChunks(texts, result, labels, diff3, [&](std::string_view text) {
        encoded.clear();
        EncodeMergeText(text, encoding, encoded);
        return sink(encoded);
    });
}

} // namespace lindo
