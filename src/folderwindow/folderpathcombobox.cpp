#include "folderwindow/folderpathcombobox.h"

#include "folderscan/folderpath.h"

#include <QFileInfo>

namespace lindo {

bool IsExistingFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void TrimToFolder(QString &path)
{
    if (IsExistingFolder(path))
        return;
    const qsizetype separator = path.lastIndexOf(QLatin1Char(kPathSeparator));
    if (separator >= 0)
        path.truncate(separator);
}

CFolderPathComboBox::CFolderPathComboBox(QWidget *parent) : CPathComboBox(parent) {}

CFolderPathComboBox::~CFolderPathComboBox() = default;

void CFolderPathComboBox::AdjustDroppedPath(QString &path) const
{
    TrimToFolder(path);
}

} // namespace lindo
