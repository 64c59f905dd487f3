#include "uikit/filechoosers.h"

#include "engine/pathtext.h"
#include "uikit/choosers.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace lindo {

namespace {

// "All Files" must show every file: on POSIX a "*.*" pattern would hide
// names without a dot, so it is "*" here.
QStringList SharedFilters()
{
    return {QStringLiteral("All Files (*)"), QStringLiteral("Text Files (*.txt)")};
}

QWidget *MainWindowOr(QWidget *parent)
{
    return parent ? parent : QApplication::activeWindow();
}

bool RunFileChooser(QString &path, const QString &title, QWidget *parent, bool forSaving)
{
    FileChooserRequest request;
    request.parent = MainWindowOr(parent);
    request.title = title.isEmpty() ? kChooseFileDefaultTitle : title;
    const std::string folder = FolderPart(path.toLocal8Bit().toStdString());
    // A file right under the root has its folder before the separator: the root itself.
    request.initialDirectory = folder.empty() && LastSeparator(path.toLocal8Bit().toStdString()) == 0
                                   ? QString(QChar(kPathSeparator))
                                   : QString::fromLocal8Bit(folder);
    request.filters = SharedFilters();
    request.selectedFilter = 0;
    request.forSaving = forSaving;
    const std::optional<QString> chosen = Choosers::Current().ChooseFile(request);
    if (!chosen)
        return false;
    path = QDir::toNativeSeparators(QFileInfo(*chosen).absoluteFilePath());
    return true;
}

} // namespace

bool ChooseFile(QString &path, const QString &title, QWidget *parent)
{
    return RunFileChooser(path, title, parent, false);
}

bool ChooseFileToSave(QString &path, const QString &title, QWidget *parent)
{
    return RunFileChooser(path, title, parent, true);
}

void ChooseMergeFile(QString &path, QWidget *parent)
{
    ChooseFile(path, kChooseMergeFileTitle, parent);
}

} // namespace lindo
