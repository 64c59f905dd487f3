#pragma once

// Asks the user for a folder, starting at a preselected one. Used on the stack:
// set the title and the initial folder, Browse, then read the result.

#include <QString>

namespace lindo {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;

    // True and m_strResult set when the user picked a folder; false when the
    // chooser was cancelled (m_strResult unchanged).
    bool Browse();

    QString m_strResult;
    QString m_strInitial; // empty: the chooser's own starting place
    QString m_strTitle;   // empty: kDefaultTitle

    static inline const QString kDefaultTitle = QStringLiteral("Open");
};

} // namespace lindo
