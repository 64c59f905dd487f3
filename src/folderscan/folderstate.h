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
    // Not compared: both sides hold the path, but one side (1 or 2) would
    // not let it be read.
    FolderUnreadable1 = 6,
    FolderUnreadable2 = 7,
    // Not compared: both sides hold the path and one of them is not a
    // regular file but a pipe, a device or a socket (side 1's kind first).
    FolderPipe = 8,
    FolderDevice = 9,
    FolderSocket = 10,
    // Not compared: side 1 or 2 holds a link to a folder that was not
    // followed (it leads back up, or to a folder read by another way), and
    // the other side holds a folder at that path.
    FolderNotFollowed1 = 11,
    FolderNotFollowed2 = 12,
};

inline constexpr int kFolderStateCount = 13;

// Whether the row says that its path could not be compared.
inline bool IsNotCompared(FolderState state)
{
    return state >= FolderUnreadable1;
}

// The text of the "State" column.
std::string_view FolderStateText(FolderState state);

} // namespace lindo
