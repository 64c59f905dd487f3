#pragma once

// The Colours page: the text colours of identical, different and inserted
// lines, each shown as a painted swatch with a button that changes it.

#include "engine/difftypes.h"
#include "settingssheet/propertypage.h"

namespace lindo {

namespace colourspage {
inline constexpr int kTemplateId = 142;
inline constexpr int kIdChangeIdentical = 1049;
inline constexpr int kIdChangeDifferent = 1050;
inline constexpr int kIdChangeInserted = 1051;
inline constexpr int kIdSwatchIdentical = 1052;
inline constexpr int kIdSwatchDifferent = 1053;
inline constexpr int kIdSwatchInserted = 1054;
inline constexpr int kIdRestoreDefaults = 1055;
inline const QString kCaption = QStringLiteral("Colours");
inline const QString kGroupText = QStringLiteral("Text Colour");
inline const QString kIdenticalText = QStringLiteral("Identical:");
inline const QString kDifferentText = QStringLiteral("Different:");
inline const QString kInsertedText = QStringLiteral("Inserted:");
inline const QString kSwatchText = QStringLiteral("colour");
inline const QString kChangeText = QStringLiteral("Change");
inline const QString kRestoreDefaultsText = QStringLiteral("Restore Defaults");
} // namespace colourspage

class CColoursPage : public CPropertyPage {
    Q_OBJECT

public:
    CColoursPage();

    Colour m_crDifferent = 0; // lines of a paired section that differ
    Colour m_crIdentical = 0; // matched lines
    Colour m_crInserted = 0;  // lines present in one file only

protected:
    void DoDataExchange(bool save) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PaintSwatches();
    void OnChange(Colour &colour);
    void OnRestoreDefaults();

    // A see-through layer over the group box on which the swatches are
    // painted; the group box would tint them if they were painted beneath it.
    QWidget *m_swatchLayer = nullptr; // child of the page
};

} // namespace lindo
