#include "engine/diffengine.h"

#include "engine/lineinterner.h"
#include "engine/matchscratch.h"
#include "engine/runboth.h"
#include "engine/textreader.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

#include <sys/stat.h>

namespace lindo {

namespace {

// Two regular files of one size: worth comparing while the second is read.
bool SameSizedFiles(const std::string &path1, const std::string &path2)
{
    struct stat info1 {};
    struct stat info2 {};
    return ::stat(path1.c_str(), &info1) == 0 && ::stat(path2.c_str(), &info2) == 0 && S_ISREG(info1.st_mode)
           && S_ISREG(info2.st_mode) && info1.st_size == info2.st_size;
}

// Whether the two sides have the same key, line for line.
bool SameKeys(const DiffLines &lines1, const DiffLines &lines2)
{
    return std::equal(lines1.begin(), lines1.end(), lines2.begin(), lines2.end(),
                      [](const DiffLine &a, const DiffLine &b) { return a.textId == b.textId; });
}

// Sets the tags of side 1's lines, the keys' with options; half of them on a
// second thread from threadFrom lines on. Making the tags is much of a large
// comparison's work, and, done after both files are cut, it keeps both
// threads busy even when one file is cut much later than the other.
void TagFirstSide(DiffLines &lines, const LineKeyOptions &options, std::size_t threadFrom)
{
    const std::size_t count = lines.size();
    if (count < threadFrom) {
        TagLines(lines, 0, count, options);
        return;
    }
    RunBothPassingOn(
        [&](std::size_t n) { TagLines(lines, n == 0 ? 0 : count / 2, n == 0 ? count / 2 : count, options); });
}

// Decodes buffer to UTF-8 and looks at its line ends, before anything views its bytes.
TextForm ReadForm(ByteBuffer &buffer, const std::string &fallback)
{
    TextForm form;
    bool noCr = false;
    form.encoding = DecodeText(buffer, fallback, form.nonAscii, &noCr);
    // Most files are checked for CRs as they are checked for UTF-8: one
    // without any has LF line ends, or none.
    form.lineEnds = noCr ? LineEnds{false, buffer.View().find('\n') != std::string_view::npos}
                         : FindLineEnds(buffer.View());
    return form;
}

} // namespace

DiffEngine::DiffEngine() = default;
DiffEngine::~DiffEngine() = default;

void DiffEngine::Report(const std::string &message)
{
    if (m_reporter)
        m_reporter->ReportFileError(message);
}

bool DiffEngine::Load(const std::string &path1, const std::string &path2)
{
    std::array<ByteBuffer, 2> buffers;
    std::array<DiffLines, 2> lines;
    std::array<bool, 2> cut{};
    std::array<int, 2> errors{};
    std::array<TextForm, 2> forms;
    const std::string fallback = fallbackEncoding;
    bool sameBytes = false;
    const bool sameSized = SameSizedFiles(path1, path2);
    if (sameSized) {
        // Likely the same bytes: the second is compared with the first as it
        // is read, and kept only when it differs.
        errors[0] = ReadFileBytes(path1, buffers[0]);
        if (errors[0] == 0)
            errors[1] = ReadFileBytesComparing(path2, buffers[0].View(), buffers[1], sameBytes);
    } else {
        // Each file is read and cut on a thread of its own, which touches
        // only its own buffer and lines. A second file for the compacting
        // load is cut later, while it is interned. The lines are tagged
        // after both are cut, on both threads.
        RunBoth([&](std::size_t n) {
            errors[n] = ReadFileBytes(n == 0 ? path1 : path2, buffers[n]);
            if (errors[n] != 0)
                return;
            try {
                forms[n] = ReadForm(buffers[n], fallback);
                if (n == 1 && buffers[1].Size() >= compactSecondFrom)
                    return;
                ReadLines(buffers[n].View(), lines[n]);
                cut[n] = true;
            } catch (const std::bad_alloc &) {
                errors[n] = ENOMEM;
            }
        });
    }
    for (std::size_t n = 0; n < 2; ++n) {
        if (errors[n] != 0) {
            Report(FileErrorMessage(CauseFromErrno(errors[n]), n == 0 ? path1 : path2));
            return false;
        }
    }
    try {
        if (sameSized) {
            forms[0] = ReadForm(buffers[0], fallback);
            forms[1] = sameBytes ? forms[0] : ReadForm(buffers[1], fallback);
        }
        // Files that changed size after they were looked at, or that differ
        // only in their encoding, may still be the same text; then they are
        // cut again, the way the same bytes are.
        sameBytes = sameBytes || buffers[0].View() == buffers[1].View();
        if (sameBytes)
            cut = {};
        Prepare(buffers, sameBytes, lines, cut, forms, keyOptions);
    } catch (const std::bad_alloc &) {
        Report(FileErrorMessage(FileErrorCause::OutOfMemory, path1));
        return false;
    }
    return true;
}

void DiffEngine::LoadTexts(std::string_view bytes1, std::string_view bytes2)
{
    const bool sameBytes = bytes1 == bytes2;
    std::array<ByteBuffer, 2> buffers{ByteBuffer(bytes1), sameBytes ? ByteBuffer() : ByteBuffer(bytes2)};
    std::array<TextForm, 2> forms;
    forms[0] = ReadForm(buffers[0], fallbackEncoding);
    forms[1] = sameBytes ? forms[0] : ReadForm(buffers[1], fallbackEncoding);
    std::array<DiffLines, 2> lines;
    Prepare(buffers, sameBytes || buffers[0].View() == buffers[1].View(), lines, {}, forms, keyOptions);
}

void DiffEngine::Prepare(std::array<ByteBuffer, 2> &buffers, bool sameBytes, std::array<DiffLines, 2> &lines,
                         std::array<bool, 2> cut, const std::array<TextForm, 2> &forms,
                         const LineKeyOptions &options)
{
    const bool compact = !sameBytes && buffers[1].Size() >= compactSecondFrom;
    bool twinLines = false;
    if (sameBytes) {
        // One cut from side 1's bytes (side 2's copy is not needed) and a
        // copy of its lines for side 2. Twin lines are linked without any
        // lookup, so they need neither tags nor ids.
        buffers[1].Clear();
        ReadLines(buffers[0].View(), lines[0]);
        lines[1].assign(lines[0].begin(), lines[0].end());
        twinLines = true;
    } else if (compact) {
        if (!cut[0])
            ReadLines(buffers[0].View(), lines[0]); // side 2 is cut while it is interned, below
    } else if (!cut[0] || !cut[1]) {
        RunBothPassingOn([&](std::size_t n) {
            if (!cut[n])
                ReadLines(buffers[n].View(), lines[n]);
        });
    }
    // Side 2's lines are tagged only where they differ from side 1's, as
    // they are interned; with options, lines are tagged and interned by key.
    if (!twinLines)
        TagFirstSide(lines[0], options, tagThreadFrom);
    std::uint32_t idCount = 0;
    if (compact)
        idCount = InternCompacting(lines[0], buffers[1], lines[1], kInternChunk, options);
    else if (!twinLines)
        idCount = InternLines(lines[0], lines[1], options);
    if (options.Any() && !twinLines)
        twinLines = SameKeys(lines[0], lines[1]);
    // Nothing can fail from here on. Swapping keeps each buffer's bytes where
    // they are, so the fresh line texts stay valid; the old lines go away
    // with the old buffers.
    m_textIdCount = idCount;
    m_twinLines = twinLines;
    m_loadedKeyOptions = options;
    m_forms = forms;
    m_sameText = sameBytes;
    for (std::size_t n = 0; n < 2; ++n) {
        m_buffers[n].Swap(buffers[n]);
        m_files[n].lines.swap(lines[n]);
        m_files[n].sections.clear();
    }
    ++m_loadCount;
}

SurfaceDifference DiffEngine::LoadedDifference() const
{
    const DiffLines &lines1 = Lines(1);
    const DiffLines &lines2 = Lines(2);
    if (!std::equal(lines1.begin(), lines1.end(), lines2.begin(), lines2.end(),
                    [](const DiffLine &a, const DiffLine &b) { return a.text == b.text; }))
        return {};
    // The same lines of different decoded text: they end differently.
    return {m_forms[0].encoding != m_forms[1].encoding, !m_sameText};
}

void DiffEngine::SetExceptionStrings(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view piece = text.substr(0, comma);
        if (!piece.empty())
            exceptionStrings.emplace_back(piece);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
}

std::string DiffEngine::GetExceptionStringsText() const
{
    std::string text;
    for (const std::string &entry : exceptionStrings) {
        text += entry;
        text += ',';
    }
    return text;
}

} // namespace lindo
