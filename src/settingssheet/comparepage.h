#pragma once

// The Compare page: whether the panes mark the characters that differ within
// paired lines, which differences the line matching looks past, and the
// encoding of files that are neither UTF-8 nor start with a BOM. The four
// switches are off unless the user turns them on; the encoding is
// Windows-1252 unless the user picks or types another.

#include "settingssheet/propertypage.h"

#include <QString>

class QCheckBox;
class QComboBox;

namespace lindo {

namespace comparepage {
inline constexpr int kTemplateId = 143;
inline constexpr int kIdShowLineChanges = 1056;
inline constexpr int kIdIgnoreSpaceChange = 1057;
inline constexpr int kIdIgnoreAllSpace = 1058;
inline constexpr int kIdIgnoreCase = 1059;
inline constexpr int kIdFallbackEncoding = 1060;
inline const QString kCaption = QStringLiteral("Compare");
inline const QString kShowLineChangesText = QStringLiteral("Show changes &within lines");
inline const QString kGroupText = QStringLiteral("Comparison");
inline const QString kIgnoreSpaceChangeText =
    QStringLiteral("Ignore changes in the amount of &blank space");
inline const QString kIgnoreAllSpaceText = QStringLiteral("Ignore &all blank space");
inline const QString kIgnoreCaseText = QStringLiteral("Ignore &case");
inline const QString kFallbackEncodingText = QStringLiteral("&Other files are read as:");
} // namespace comparepage

class CComparePage : public CPropertyPage {
    Q_OBJECT

public:
    CComparePage();

    bool m_bShowLineChanges = false;   // tint what differs inside paired differing lines
    bool m_bIgnoreSpaceChange = false; // runs of blanks match runs of any length
    bool m_bIgnoreAllSpace = false;    // blanks do not count at all
    bool m_bIgnoreCase = false;        // letters match whatever their case
    QString m_strFallbackEncoding;     // as shown or typed, e.g. "Windows-1252"

protected:
    void DoDataExchange(bool save) override;

private:
    QCheckBox *m_checkShowLineChanges = nullptr;   // child of the page
    QCheckBox *m_checkIgnoreSpaceChange = nullptr; // child of the page
    QCheckBox *m_checkIgnoreAllSpace = nullptr;    // child of the page
    QCheckBox *m_checkIgnoreCase = nullptr;        // child of the page
    QComboBox *m_comboFallbackEncoding = nullptr;  // child of the page, editable
};

} // namespace lindo
