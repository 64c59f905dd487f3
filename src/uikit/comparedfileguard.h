#pragma once

// Writing merge output over a file replaces what it held: over one of the two
// files it was made from, an input the user may still need; over any other
// existing file, something the user may have edited by hand. Every merge
// write asks first, and both questions default to No, so Enter keeps the file.

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace lindo {

inline const QString kReplaceComparedFileFormat = QStringLiteral("Replace the compared file %1 with the merge?");
inline const QString kReplaceExistingFileFormat = QStringLiteral("Replace the existing file %1?");

// True when target names the same file as one of compared (through any
// spelling: relative, with "..", or by another link to it). Paths are bytes,
// as the file system has them, so names that are not valid text compare too.
bool IsComparedFile(const std::string &target, const std::vector<std::string> &compared);

// True when target may be written: the user answered Yes to replacing it, or
// there was nothing to ask (it does not exist, or it is `ownFile`, the file
// the caller itself last wrote). A compared file gets the compared-file
// question, any other existing file the replace question.
bool MayWriteMergeTo(QWidget *parent, const std::string &target, const std::vector<std::string> &compared,
                     const std::string &ownFile = {});

} // namespace lindo
