// lindo-folders: `lindo --folders DIR1 DIR2` lands here. It needs the settings
// store (QtCore) but no windows, so it starts far faster than lindo-window.

#include "cli/foldercommand.h"
#include "cli/usage.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char **argv)
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty() || args.front() != "--folders") {
        std::cerr << lindo::kUsage;
        return lindo::kExitFailure;
    }
    args.erase(args.begin());
    bool useExceptionStrings = true;
    const auto option = std::find(args.begin(), args.end(), std::string_view(lindo::kNoExceptionsOption));
    if (option != args.end()) {
        useExceptionStrings = false;
        args.erase(option);
    }
    if (args.size() != 2) {
        std::cerr << lindo::kUsage;
        return lindo::kExitFailure;
    }
    return lindo::RunFolderCommand(std::string(args[0]), std::string(args[1]), useExceptionStrings);
}
