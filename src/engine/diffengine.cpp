#include "engine/diffengine.h"

#include "engine/lineinterner.h"
#include "engine/matchscratch.h"
#include "engine/textreader.h"

#include <new>

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
    std::array<std::vector<char>, 2> buffers;
    const std::array<const std::string *, 2> paths{&path1, &path2};
    for (int n = 0; n < 2; ++n) {
        const int error = ReadFileBytes(*paths[static_cast<std::size_t>(n)], buffers[static_cast<std::size_t>(n)]);
        if (error != 0) {
            Report(FileErrorMessage(CauseFromErrno(error), *paths[static_cast<std::size_t>(n)]));
            return false;
        }
    }
    std::array<DiffLines, 2> lines;
    try {
        for (std::size_t n = 0; n < 2; ++n)
            ReadLines(std::string_view(buffers[n].data(), buffers[n].size()), lines[n]);
        m_textIdCount = InternLines(lines[0], lines[1]);
    } catch (const std::bad_alloc &) {
        Report(FileErrorMessage(FileErrorCause::OutOfMemory, path1));
        return false;
    }
    Adopt(buffers, lines);
    return true;
}

void DiffEngine::LoadTexts(std::string_view bytes1, std::string_view bytes2)
{
    std::array<std::vector<char>, 2> buffers{std::vector<char>(bytes1.begin(), bytes1.end()),
                                             std::vector<char>(bytes2.begin(), bytes2.end())};
    std::array<DiffLines, 2> lines;
    for (std::size_t n = 0; n < 2; ++n)
        ReadLines(std::string_view(buffers[n].data(), buffers[n].size()), lines[n]);
    m_textIdCount = InternLines(lines[0], lines[1]);
    Adopt(buffers, lines);
}

void DiffEngine::Adopt(std::array<std::vector<char>, 2> &buffers, std::array<DiffLines, 2> &lines)
{
    // Swapping keeps each buffer's storage where it is, so the fresh line
    // texts stay valid; the old lines go away with the old buffers.
    for (std::size_t n = 0; n < 2; ++n) {
        m_buffers[n].swap(buffers[n]);
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
