#include "settingssheet/comparepage.h"

#include "engine/textencoding.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/templatecontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace lindo {

using namespace comparepage;

CComparePage::CComparePage() : CPropertyPage(kCaption)
{
    m_checkShowLineChanges =
        AddCheckBox(this, kIdShowLineChanges, kShowLineChangesText, DluRect(15, 15, 165, 10));

    // The check boxes are made after the group box so that they lie above it
    // and take the clicks.
    auto *group = new QGroupBox(kGroupText, this);
    group->setGeometry(DluRect(7, 34, 181, 62));
    m_checkIgnoreSpaceChange = AddCheckBox(this, kIdIgnoreSpaceChange, kIgnoreSpaceChangeText,
                                           DluRect(15, 49, 170, 10));
    m_checkIgnoreAllSpace =
        AddCheckBox(this, kIdIgnoreAllSpace, kIgnoreAllSpaceText, DluRect(15, 64, 170, 10));
    m_checkIgnoreCase = AddCheckBox(this, kIdIgnoreCase, kIgnoreCaseText, DluRect(15, 79, 170, 10));

    auto *label = new QLabel(kFallbackEncodingText, this); // its mnemonic focuses the box
    label->setGeometry(DluRect(7, 106, 90, 8));
    m_comboFallbackEncoding = new QComboBox(this);
    SetControlId(m_comboFallbackEncoding, kIdFallbackEncoding);
    m_comboFallbackEncoding->setEditable(true);
    m_comboFallbackEncoding->setInsertPolicy(QComboBox::NoInsert);
    for (const char *name : kCommonFallbackEncodings)
        m_comboFallbackEncoding->addItem(QString::fromStdString(EncodingLabel({name, false})));
    m_comboFallbackEncoding->setGeometry(DluRect(98, 104, 90, 12));
    label->setBuddy(m_comboFallbackEncoding);
}

void CComparePage::DoDataExchange(bool save)
{
    ExchangeCheck(save, m_checkShowLineChanges, m_bShowLineChanges);
    ExchangeCheck(save, m_checkIgnoreSpaceChange, m_bIgnoreSpaceChange);
    ExchangeCheck(save, m_checkIgnoreAllSpace, m_bIgnoreAllSpace);
    ExchangeCheck(save, m_checkIgnoreCase, m_bIgnoreCase);
    if (save)
        m_strFallbackEncoding = m_comboFallbackEncoding->currentText().trimmed();
    else
        m_comboFallbackEncoding->setCurrentText(m_strFallbackEncoding);
}

} // namespace lindo
