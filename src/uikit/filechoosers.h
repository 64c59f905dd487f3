#pragma once

// The file choosers the program's dialogs share: open-mode choosers that
// start in the folder of a given path and offer "All Files" and "Text Files".

#include <QString>

class QWidget;

namespace lindo {

inline const QString kChooseFileDefaultTitle = QStringLiteral("Select a file");
inline const QString kChooseMergeFileTitle = QStringLiteral("Select merge (output) file:");

// On OK replaces path with the chosen file's full path and returns true;
// otherwise leaves path as it was. An empty title gives "Select a file".
bool ChooseFile(QString &path, const QString &title = QString(), QWidget *parent = nullptr);

// ChooseFile for a file about to be written: the button says "Save". No
// replace question is asked here; the caller asks its own.
bool ChooseFileToSave(QString &path, const QString &title, QWidget *parent = nullptr);

// ChooseFile for the merge target prompt's browse button.
void ChooseMergeFile(QString &path, QWidget *parent = nullptr);

} // namespace lindo
