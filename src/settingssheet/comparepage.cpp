#include "settingssheet/comparepage.h"

#include "uikit/dialogunits.h"
#include "uikit/templatecontrols.h"

#include <QCheckBox>
#include <QGroupBox>

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
}

void CComparePage::DoDataExchange(bool save)
{
    ExchangeCheck(save, m_checkShowLineChanges, m_bShowLineChanges);
    ExchangeCheck(save, m_checkIgnoreSpaceChange, m_bIgnoreSpaceChange);
    ExchangeCheck(save, m_checkIgnoreAllSpace, m_bIgnoreAllSpace);
    ExchangeCheck(save, m_checkIgnoreCase, m_bIgnoreCase);
}

} // namespace lindo
