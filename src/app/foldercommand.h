#pragma once

#include <string>

namespace lindo {

// `lindo --folders DIR1 DIR2`: the folder comparison without a window. Every
// admitted row is printed in list order as its state text, a tab and its
// relative path. The show-same option, the exception strings and their switch
// come from the settings store as the window takes them. Returns the exit
// status: 0, or 2 after a message when a folder cannot be read at all.
int RunFolderCommand(const std::string &folder1, const std::string &folder2);

} // namespace lindo
