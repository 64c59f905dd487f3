// lindo-folders: `lindo --folders DIR1 DIR2` lands here. It needs the settings
// store (QtCore) but no windows, so it starts far faster than lindo-window.

#include "app/foldercommand.h"
#include "app/usage.h"

#include <iostream>
#include <string_view>

int main(int argc, char **argv)
{
    if (argc != 4 || argv[1] != std::string_view("--folders")) {
        std::cerr << lindo::kUsage;
        return lindo::kExitFailure;
    }
    return lindo::RunFolderCommand(argv[2], argv[3]);
}
