#pragma once

// The Merge page: the folder merge output goes to.

#include "settingssheet/propertypage.h"

class QLineEdit;

namespace lindo {

namespace mergepage {
inline constexpr int kTemplateId = 135;
inline constexpr int kIdPath = 1020;
inline constexpr int kIdBrowse = 1021;
inline const QString kCaption = QStringLiteral("Merge");
inline const QString kOutputPathText = QStringLiteral("Output path:");
inline const QString kBrowseText = QStringLiteral("...");
inline const QString kChooserTitle = QStringLiteral("Choose merge directory:");
} // namespace mergepage

class CMergePage : public CPropertyPage {
    Q_OBJECT

public:
    CMergePage();

    QString m_strPath; // the merge directory; any text is accepted

protected:
    void DoDataExchange(bool save) override;

private:
    void OnBrowse();

    QLineEdit *m_editPath = nullptr; // child of the page
};

} // namespace lindo
