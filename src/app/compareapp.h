#pragma once

// The application: starts Qt's widget support, runs the main window as a
// modal dialog, and ends when that run ends.

#include <QStringList>

namespace lindo {

class CCompareApp {
public:
    enum class Start { Empty, CompareFiles, CompareFolders };
    // `paths`: nothing, or two files to compare at once, or two folders to
    // compare in the Folder Comparison window.
    static int Run(int argc, char **argv, Start start = Start::Empty, const QStringList &paths = {});
};

} // namespace lindo
