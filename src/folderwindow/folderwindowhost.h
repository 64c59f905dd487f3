#pragma once

// What the Folder Comparison window needs of the window that owns it (the
// main window).

#include <string>

class QWidget;

namespace lindo {

class DiffEngine;

class FolderWindowHost {
public:
    virtual ~FolderWindowHost() = default;
    // The exception strings and their switch live in the engine.
    virtual DiffEngine &Engine() = 0;
    // Puts both paths into the path boxes and compares them. The paths are
    // the file names' bytes, which need not be valid text.
    virtual void CompareFiles(const std::string &path1, const std::string &path2) = 0;
    // Destroys the Folder Comparison window unless a scan runs; then it only
    // asks the scan to stop and returns false.
    virtual bool CloseFolderDialog() = 0;
    virtual int ReadFoldersShowSame() = 0;
    // The main window, brought to the foreground before a pair is compared.
    virtual QWidget *Window() = 0;
};

} // namespace lindo
