#include "settingssheet/propertypage.h"

#include "uikit/dialogunits.h"

#include <QAbstractButton>

namespace lindo {

CPropertyPage::CPropertyPage(const QString &caption) : m_caption(caption)
{
    setFixedSize(DluSize(kWidthDlu, kHeightDlu));
}

void CPropertyPage::OnSetActive()
{
    if (m_initialised)
        return;
    m_initialised = true;
    OnInitDialog();
}

void CPropertyPage::OnKillActive()
{
    UpdateData(true);
}

void CPropertyPage::ExchangeCheck(bool save, QAbstractButton *box, bool &field)
{
    if (save)
        field = box->isChecked();
    else
        box->setChecked(field);
}

void CPropertyPage::OnInitDialog()
{
    UpdateData(false);
}

} // namespace lindo
