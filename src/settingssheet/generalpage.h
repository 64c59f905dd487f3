#pragma once

// The General page: the two display and comparison options of this run.

#include "settingssheet/propertypage.h"

class QCheckBox;

namespace lindo {

class CMultiLineCheckBox;

namespace generalpage {
inline constexpr int kTemplateId = 134;
inline constexpr int kIdShowSelections = 1016;
inline constexpr int kIdAutoSelect = 1017;
inline const QString kCaption = QStringLiteral("General");
inline const QString kShowSelectionsText = QStringLiteral("Show selections");
inline const QString kAutoSelectText =
    QStringLiteral("Auto select\n(will only take effect on next compare)");
} // namespace generalpage

class CGeneralPage : public CPropertyPage {
    Q_OBJECT

public:
    CGeneralPage();

    bool m_bAutoSelect = false;     // select sections for the merge when comparing
    bool m_bShowSelections = false; // draw the merge-selection marks

protected:
    void DoDataExchange(bool save) override;

private:
    QCheckBox *m_checkShowSelections = nullptr;    // child of the page
    CMultiLineCheckBox *m_checkAutoSelect = nullptr; // child of the page
};

} // namespace lindo
