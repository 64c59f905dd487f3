#include "folderscan/folderrowlist.h"

#include "engine/diffengine.h"
#include "folderscan/folderpath.h"

#include <algorithm>

namespace lindo {

namespace {

// Exception strings are written with backslashes as separators; on this
// platform a backslash in a file name is rare, so both spellings are folded
// onto the separator before searching.
std::string Searchable(std::string_view text)
{
    std::string folded = LowerCase(text);
    std::replace(folded.begin(), folded.end(), '\\', kPathSeparator);
    return folded;
}

} // namespace

bool IsExcluded(std::string_view relativePath, const std::vector<std::string> &exceptionStrings)
{
    const std::string path = Searchable(relativePath);
    return std::any_of(exceptionStrings.begin(), exceptionStrings.end(), [&](const std::string &exception) {
        return path.find(Searchable(exception)) != std::string::npos;
    });
}

FolderRowList::FolderRowList(const DiffEngine &engine)
    : m_engine(engine)
{
}

int FolderRowList::AddRow(const std::string &relativePath, FolderState state)
{
    std::string folded = LowerCase(relativePath);
    if (m_foldedPaths.count(folded) != 0)
        return -1;
    if (m_engine.exceptionStringsEnabled != 0 && IsExcluded(relativePath, m_engine.exceptionStrings))
        return -1;
    m_foldedPaths.insert(std::move(folded));
    m_rows.push_back({relativePath, state});
    return Count() - 1;
}

void FolderRowList::Clear()
{
    m_rows.clear();
    m_foldedPaths.clear();
}

} // namespace lindo
