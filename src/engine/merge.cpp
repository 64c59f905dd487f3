// What sections mean for the merge: the default selection, the lock-step walk
// that orders the merge list, and the merge output itself.

#include "engine/diffengine.h"
#include "engine/safewrite.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>

namespace lindo {

namespace {

constexpr std::size_t kOutputChunk = 256 * 1024;

// Copies n bytes, sizeof(Word) <= n <= 2 * sizeof(Word), as two moves of one
// word each that overlap in the middle.
template <typename Word>
inline void CopyHeadAndTail(char *to, const char *from, std::size_t n)
{
    Word head;
    Word tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + n - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + n - sizeof tail, &tail, sizeof tail);
}

// Copies a line's text: most are short, and for them a few fixed-size
// overlapping moves beat a call to memcpy.
inline void CopyText(char *to, const char *from, std::size_t n)
{
    if (n >= 8 && n <= 16)
        CopyHeadAndTail<std::uint64_t>(to, from, n);
    else if (n >= 4 && n < 8)
        CopyHeadAndTail<std::uint32_t>(to, from, n);
    else if (n > 0)
        std::memcpy(to, from, n);
}

// Feeds the merge output in large chunks of whole lines to a sink, each line
// ended by CR LF (crlf) or LF; returns false as soon as the sink does. Lines
// are copied into a plain array: most are short, and a string's append costs
// more than the copy itself. Lines that follow one another in their file,
// each ended there by one LF, are already the output's bytes when it ends
// lines with LF: as many of them as the chunk holds go in with one copy.
template <typename Sink>
bool EmitMerge(const std::vector<DiffSection> &mergeList, bool crlf, Sink &&sink)
{
    const std::unique_ptr<char[]> chunk(new char[kOutputChunk]);
    std::size_t used = 0;
    for (const DiffSection &section : mergeList) {
        const DiffLines &lines = *section.file;
        for (int line = section.first; line <= section.last;) {
            const std::string_view text = lines[static_cast<std::size_t>(line)].text;
            if (used + text.size() + 2 > kOutputChunk) {
                if (used > 0 && !sink(std::string_view(chunk.get(), used)))
                    return false;
                used = 0;
                if (text.size() + 2 > kOutputChunk) {
                    if (!sink(text))
                        return false;
                    if (crlf)
                        chunk[used++] = '\r';
                    chunk[used++] = '\n';
                    ++line;
                    continue;
                }
            }
            std::size_t length = text.size();
            int next = line + 1;
            for (; !crlf && next <= section.last; ++next) {
                const std::string_view following = lines[static_cast<std::size_t>(next)].text;
                const char *const end = text.data() + length;
                // The next line starting right after this one's end is what
                // makes the byte there part of the file, and safe to read.
                if (following.data() != end + 1 || *end != '\n' || used + length + following.size() + 2 > kOutputChunk)
                    break;
                length += 1 + following.size();
            }
            CopyText(chunk.get() + used, text.data(), length);
            used += length;
            if (crlf)
                chunk[used++] = '\r';
            chunk[used++] = '\n';
            line = next;
        }
    }
    return used == 0 || sink(std::string_view(chunk.get(), used));
}

auto StreamSink(std::ostream &stream)
{
    return [&stream](std::string_view bytes) {
        stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(stream);
    };
}

// EmitMerge in encoding, its BOM first.
template <typename Sink>
bool EmitEncodedMerge(const std::vector<DiffSection> &mergeList, bool crlf, const TextEncoding &encoding,
                      Sink &&sink)
{
    const std::string_view bom = BomOf(encoding);
    if (!bom.empty() && !sink(bom))
        return false;
    if (encoding.name == kUtf8)
        return EmitMerge(mergeList, crlf, sink); // the text is the bytes, invalid sequences and all
    std::string encoded;
    return EmitMerge(mergeList, crlf, [&](std::string_view text) {
        encoded.clear();
        // Every character has a place: the merge is written in an encoding
        // that held all of its non-ASCII text (see MergeEncoding), and every
        // encoding a file can be read in holds ASCII. Were one to fail,
        // its text is written as it is rather than dropped.
        if (!EncodeText(text, encoding, encoded))
            encoded.assign(text);
        return sink(std::string_view(encoded));
    });
}

} // namespace

int DiffEngine::SectionOfLine(int side, int line) const
{
    // Sections are disjoint and in line order, so a binary search finds the
    // same section as a scan from section 0.
    const auto &sections = Sections(side);
    const auto after = std::upper_bound(sections.begin(), sections.end(), line,
                                        [](int value, const DiffSection &s) { return value < s.first; });
    if (after == sections.begin())
        return -1;
    const auto found = after - 1;
    if (line < found->first || line > found->last)
        return -1;
    return static_cast<int>(found - sections.begin());
}

void DiffEngine::AutoSelect()
{
    for (DiffSection &section : File(2).sections)
        section.flags |= Selected;
    for (DiffSection &section : File(1).sections) {
        if ((section.flags & UnmatchedFirst) && section.partner == -1)
            section.flags |= Selected;
    }
}

void DiffEngine::BuildMergeList()
{
    m_mergeList.clear();
    const auto &list1 = File(1).sections;
    const auto &list2 = File(2).sections;
    const int count1 = static_cast<int>(list1.size());
    const int count2 = static_cast<int>(list2.size());
    int i = 0;
    int j = 0;
    do {
        if (i < count1)
            TakeSection(list1, i, 0);
        if (j < count2)
            TakeSection(list2, j, 1);
        ++i;
        ++j;
    } while (!(i >= count1 && j >= count2));
}

void DiffEngine::TakeSection(const std::vector<DiffSection> &list, int &x, int offset)
{
    const int count = static_cast<int>(list.size());
    if (list[static_cast<std::size_t>(x)].IsSelected())
        m_mergeList.push_back(list[static_cast<std::size_t>(x)]);
    const int k = x + offset;
    if (k >= count)
        return;
    const DiffSection &examined = list[static_cast<std::size_t>(k)];
    if (examined.IsMatched() || examined.partner >= 0)
        return;
    // Only in its file: handle the next section in the same step.
    ++x;
    if (x >= count)
        return;
    if (list[static_cast<std::size_t>(x)].IsSelected())
        m_mergeList.push_back(list[static_cast<std::size_t>(x)]);
}

std::string DiffEngine::SectionText(const DiffSection &section, bool crlf)
{
    std::string text;
    if (!section.file)
        return text;
    for (int line = section.first; line <= section.last; ++line) {
        text += (*section.file)[static_cast<std::size_t>(line)].text;
        text += crlf ? "\r\n" : "\n";
    }
    return text;
}

bool DiffEngine::MergeUsesCrLf() const
{
    return m_forms[0].lineEnds.crLf || m_forms[1].lineEnds.crLf;
}

TextEncoding DiffEngine::MergeEncoding() const
{
    const TextForm &first = m_forms[0];
    const TextForm &second = m_forms[1];
    if (first.encoding == second.encoding)
        return first.encoding;
    if (first.nonAscii && second.nonAscii)
        return {};
    return second.nonAscii ? second.encoding : first.encoding;
}

void DiffEngine::WriteMergeText(std::ostream &stream) const
{
    EmitEncodedMerge(m_mergeList, MergeUsesCrLf(), MergeEncoding(), StreamSink(stream));
}

void DiffEngine::WriteMergeTextAsUtf8(std::ostream &stream, bool crlf) const
{
    EmitMerge(m_mergeList, crlf, StreamSink(stream));
}

bool DiffEngine::WriteMergeFile(const std::string &path)
{
    SafeFileWriter writer(path);
    std::optional<FileErrorCause> failure = writer.Open();
    if (!failure) {
        EmitEncodedMerge(m_mergeList, MergeUsesCrLf(), MergeEncoding(), [&writer, &failure](std::string_view bytes) {
            failure = writer.Write(bytes);
            return !failure;
        });
    }
    if (!failure)
        failure = writer.Commit();
    if (failure) {
        Report(writer.FailureMessage(*failure));
        return false;
    }
    return true;
}

} // namespace lindo
