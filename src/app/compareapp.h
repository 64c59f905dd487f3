#pragma once

// The application: starts Qt's widget support, runs the main window as a
// modal dialog, and ends when that run ends.

#include <QStringList>

namespace lindo {

class CCompareApp {
public:
    // `files`: empty, or two paths to put into the path boxes and compare at once.
    static int Run(int argc, char **argv, const QStringList &files);
};

} // namespace lindo
