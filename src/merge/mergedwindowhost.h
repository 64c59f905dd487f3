#pragma once

// What the Merged window needs of the window that owns it (the main window).

#include <QString>
#include <QStringList>

namespace lindo {

class DiffEngine;

class MergedWindowHost {
public:
    virtual ~MergedWindowHost() = default;
    virtual DiffEngine &Engine() = 0;
    // Where Save writes and Save As starts, computed afresh at each call.
    virtual QString DefaultMergeTarget() = 0;
    // The paths of the two files the shown comparison was read from.
    virtual QStringList ComparedFiles() = 0;
    // Destroys the Merged window, releases it and forgets it.
    virtual void CloseMergedWindow() = 0;
};

} // namespace lindo
