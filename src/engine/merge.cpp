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

// Feeds the merge output in large chunks to a sink; returns false as soon as
// the sink does. Lines are copied into a plain array: most are short, and a
// string's append costs more than the copy itself.
template <typename Sink>
bool EmitMerge(const std::vector<DiffSection> &mergeList, Sink &&sink)
{
    const std::unique_ptr<char[]> chunk(new char[kOutputChunk]);
    std::size_t used = 0;
    for (const DiffSection &section : mergeList) {
        const DiffLines &lines = *section.file;
        for (int line = section.first; line <= section.last; ++line) {
            const std::string_view text = lines[static_cast<std::size_t>(line)].text;
            if (used + text.size() + 2 > kOutputChunk) {
                if (used > 0 && !sink(std::string_view(chunk.get(), used)))
                    return false;
                used = 0;
                if (text.size() + 2 > kOutputChunk) {
                    if (!sink(text))
                        return false;
                    chunk[used++] = '\r';
                    chunk[used++] = '\n';
                    continue;
                }
            }
            CopyText(chunk.get() + used, text.data(), text.size());
            used += text.size();
            chunk[used++] = '\r';
            chunk[used++] = '\n';
        }
    }
    return used == 0 || sink(std::string_view(chunk.get(), used));
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

void DiffEngine::WriteMergeText(std::ostream &stream) const
{
    EmitMerge(m_mergeList, [&stream](std::string_view bytes) {
        stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(stream);
    });
}

bool DiffEngine::WriteMergeFile(const std::string &path)
{
    SafeFileWriter writer(path);
    std::optional<FileErrorCause> failure = writer.Open();
    if (!failure) {
        EmitMerge(m_mergeList, [&writer, &failure](std::string_view bytes) {
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
