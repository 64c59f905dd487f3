#include "engine/diffengine.h"

#include "engine/lineinterner.h"
#include "engine/matchscratch.h"
#include "engine/textreader.h"

#include <new>
#include <string_view>

namespace lindo {

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
    const std::array<const std::string *, 2> paths{&path1, &path2};
    for (std::size_t n = 0; n < 2; ++n) {
        const int error = ReadFileBytes(*paths[n], buffers[n]);
        if (error != 0) {
            Report(FileErrorMessage(CauseFromErrno(error), *paths[n]));
            return false;
        }
    }
    try {
        Prepare(buffers);
    } catch (const std::bad_alloc &) {
        Report(FileErrorMessage(FileErrorCause::OutOfMemory, path1));
        return false;
    }
    return true;
}

void DiffEngine::LoadTexts(std::string_view bytes1, std::string_view bytes2)
{
    std::array<ByteBuffer, 2> buffers{ByteBuffer(bytes1), ByteBuffer(bytes2)};
    Prepare(buffers);
}

void DiffEngine::Prepare(std::array<ByteBuffer, 2> &buffers)
{
    std::array<DiffLines, 2> lines;
    for (std::size_t n = 0; n < 2; ++n)
        ReadLines(buffers[n].View(), lines[n]);
    m_textIdCount = InternLines(lines[0], lines[1], buffers[0].View() == buffers[1].View());
    // Nothing can fail from here on. Swapping keeps each buffer's bytes where
    // they are, so the fresh line texts stay valid; the old lines go away
    // with the old buffers.
    for (std::size_t n = 0; n < 2; ++n) {
        m_buffers[n].Swap(buffers[n]);
        m_files[n].lines.swap(lines[n]);
        m_files[n].sections.clear();
    }
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
