#include "folderscan/folderstate.h"

namespace lindo {

namespace {
constexpr std::string_view kStateTexts[kFolderStateCount] = {
    "The same",
    "Only in folder1",
    "Only in folder2",
    "Different - 1 is more recent",
    "Different - 2 is more recent",
    "Different - same time",
    "Not compared - 1 cannot be read",
    "Not compared - 2 cannot be read",
    "Not compared - a pipe",
    "Not compared - a device",
    "Not compared - a socket",
    "Not compared - 1 is a link not followed",
    "Not compared - 2 is a link not followed",
};
} // namespace

std::string_view FolderStateText(FolderState state)
{
    const int index = static_cast<int>(state);
    return index >= 0 && index < kFolderStateCount ? kStateTexts[index] : std::string_view();
}

} // namespace lindo
