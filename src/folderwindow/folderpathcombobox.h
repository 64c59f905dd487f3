#pragma once

// The path box of the Folder Comparison window: a dropped file stands for
// the folder that holds it.

#include "uikit/pathcombobox.h"

namespace lindo {

// True when the path names an existing folder (or a link to one).
bool IsExistingFolder(const QString &path);

// Leaves a path to an existing folder as it is; otherwise cuts it just before
// its last separator (the separator goes too), so a file becomes its folder
// and "/file" the empty path of the root. A path without a separator stays.
void TrimToFolder(QString &path);

class CFolderPathComboBox : public CPathComboBox {
    Q_OBJECT
public:
    explicit CFolderPathComboBox(QWidget *parent = nullptr);
    ~CFolderPathComboBox() override;

    void AdjustDroppedPath(QString &path) const override;
};

} // namespace lindo
