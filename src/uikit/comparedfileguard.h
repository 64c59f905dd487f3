#pragma once

// Writing merge output over one of the two files it was made from destroys
// an input the user may still need; every merge write asks first.

#include <QString>
#include <QStringList>

class QWidget;

namespace lindo {

inline const QString kReplaceComparedFileFormat = QStringLiteral("Replace the compared file %1 with the merge?");

// True when target names the same file as one of compared (through any
// spelling: relative, with "..", or by another link to it).
bool IsComparedFile(const QString &target, const QStringList &compared);

// True when target may be written: it is not a compared file, or the user
// answered Yes to replacing it.
bool MayWriteMergeTo(QWidget *parent, const QString &target, const QStringList &compared);

} // namespace lindo
