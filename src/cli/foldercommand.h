#pragma once

#include <string>

namespace lindo {

// `lindo --folders DIR1 DIR2`: the folder comparison without a window. Every
// admitted row is printed in list order as its state text, a tab and its
// relative path (quoted when it would not stay one line). The show-same
// option, the exception strings and their switch come from the settings store
// as the window takes them; useExceptionStrings false switches the strings
// off for this run. Returns the exit status as `diff -rq` does: 0 when no
// listed row differs, 1 when one does, 2 after a message when a folder cannot
// be read or the listing cannot be written.
int RunFolderCommand(const std::string &folder1, const std::string &folder2, bool useExceptionStrings);

} // namespace lindo
