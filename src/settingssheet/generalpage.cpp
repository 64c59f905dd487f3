#include "settingssheet/generalpage.h"

#include "uikit/dialogunits.h"
#include "uikit/multilinecheckbox.h"
#include "uikit/templatecontrols.h"

namespace lindo {

using namespace generalpage;

CGeneralPage::CGeneralPage() : CPropertyPage(kCaption)
{
    m_checkShowSelections =
        AddCheckBox(this, kIdShowSelections, kShowSelectionsText, DluRect(16, 14, 67, 10));
    m_checkAutoSelect =
        AddMultiLineCheckBox(this, kIdAutoSelect, kAutoSelectText, DluRect(16, 27, 172, 23));
}

void CGeneralPage::DoDataExchange(bool save)
{
    ExchangeCheck(save, m_checkAutoSelect, m_bAutoSelect);
    ExchangeCheck(save, m_checkShowSelections, m_bShowSelections);
}

} // namespace lindo
