#pragma once

// What the Settings command needs of the main window: its engine, the merge
// directory services, the folder option read, the repaint of both panes and
// a fresh comparison of the files on screen.

#include <QString>

class QWidget;

namespace lindo {

class DiffEngine;

class SettingsCommandHost {
public:
    virtual ~SettingsCommandHost() = default;
    virtual QWidget *Window() = 0; // the sheet's parent
    virtual DiffEngine &Engine() = 0;
    virtual QString GetMergeDirectory() = 0;
    virtual void EnsureMergeFolder(const QString &folder) = 0;
    virtual int ReadFoldersShowSame() = 0;
    // Invalidates both panes so they redraw in the new colours and options.
    virtual void RepaintPanes() = 0;
    // Compares the files on screen again as the Compare command does, so that
    // changed matching options take effect; nothing when none are compared.
    virtual void CompareAgain() = 0;
};

} // namespace lindo
