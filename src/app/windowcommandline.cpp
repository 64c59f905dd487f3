#include "app/windowcommandline.h"

#include "app/compareapp.h"
#include "app/guardedapplication.h"
#include "cli/usage.h"
#include "threeway/threewaydialog.h"
#include "uikit/prompt.h"

#include <QEventLoop>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <array>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
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

// FILE1 BASE FILE2 [-o OUT]: the Three-way Merge window alone. Its exit
// status is the window's: 0 once a result with no conflict left was saved.
int RunThreeWay(int argc, char **argv)
{
    ThreeWayText text;
    if (const std::string message = text.Read({argv[1], argv[2], argv[3]}); !message.empty()) {
        std::cerr << message << '\n';
        return kExitFailure;
    }
    CGuardedApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lindo.png")));
    CThreeWayDialog dialog(std::move(text), argc == 6 ? argv[5] : std::string());
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    loop.exec();
    return dialog.ExitStatus();
}

} // namespace

int RunWindowCommandLine(int argc, char **argv)
{
    if (argc == 1)
        return CCompareApp::Run(argc, argv);
    if (argc == 4 || (argc == 6 && std::strcmp(argv[4], kOutputOption) == 0))
        return RunThreeWay(argc, argv);
    if (argc != 3)
        return UsageError();
    const QStringList paths{QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])};
    const bool folders = IsFolder(argv[1]) && IsFolder(argv[2]);
    return CCompareApp::Run(argc, argv, folders ? CCompareApp::Start::CompareFolders : CCompareApp::Start::CompareFiles,
                            paths);
}

} // namespace lindo
