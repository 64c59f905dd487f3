#pragma once

// The rows of the folder comparison's result list, and the test each offered
// row passes before it is shown. The window keeps one of these beside its
// list widget and shows exactly the rows admitted here, in this order.

#include "folderscan/folderstate.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace lindo {

class DiffEngine;

struct FolderRow {
    std::string relativePath;
    FolderState state = FolderSame;
};

// True when one of the exception strings occurs in the relative path, ignoring
// case. A backslash in an exception string stands for the path separator, so
// "\Debug\" leaves out every path through a folder named Debug. An empty
// exception string occurs in every path.
bool IsExcluded(std::string_view relativePath, const std::vector<std::string> &exceptionStrings);

class FolderRowList {
public:
    // The engine holds the exception strings and their switch; they are read
    // at each offer, as they stand then. Not owned.
    explicit FolderRowList(const DiffEngine &engine);

    // Appends the row unless the list already holds its relative path
    // (ignoring case) or the path is excluded while the exception strings
    // are switched on. The new row's index, or -1 when it was refused.
    int AddRow(const std::string &relativePath, FolderState state);

    void Clear();
    int Count() const { return static_cast<int>(m_rows.size()); }
    const FolderRow &Row(int index) const { return m_rows[static_cast<std::size_t>(index)]; }

private:
    const DiffEngine &m_engine;
    std::vector<FolderRow> m_rows;
    std::unordered_set<std::string> m_foldedPaths; // every row's path, lower case
};

} // namespace lindo
