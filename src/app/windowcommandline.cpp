#include "app/windowcommandline.h"

#include "app/compareapp.h"
#include "cli/usage.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <iostream>
#include <string_view>

namespace lindo {

namespace {

int UsageError()
{
    std::cerr << kUsage;
    return kExitFailure;
}

bool IsFolder(const char *path)
{
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

} // namespace

int RunWindowCommandLine(int argc, char **argv)
{
    if (argc == 1)
        return CCompareApp::Run(argc, argv);
    if (argc != 3)
        return UsageError();
    const QStringList paths{QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])};
    const bool folders = IsFolder(argv[1]) && IsFolder(argv[2]);
    return CCompareApp::Run(argc, argv, folders ? CCompareApp::Start::CompareFolders : CCompareApp::Start::CompareFiles,
                            paths);
}

} // namespace lindo
