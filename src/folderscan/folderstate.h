#pragma once

// The classification of one relative path, which is also the image index of
// its row in the result list.

#include <string_view>

namespace lindo {

enum FolderState {
    FolderSame = 0,
    FolderOnlyIn1 = 1,
    FolderOnlyIn2 = 2,
    FolderNewer1 = 3,
    FolderNewer2 = 4,
    FolderSameTime = 5, // contents differ, last-write times equal
};

inline constexpr int kFolderStateCount = 6;

// The text of the "State" column.
std::string_view FolderStateText(FolderState state);

} // namespace lindo
