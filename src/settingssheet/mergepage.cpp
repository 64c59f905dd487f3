#include "settingssheet/mergepage.h"

#include "uikit/choosers.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/templatecontrols.h"

#include <QLineEdit>
#include <QPushButton>

namespace lindo {

using namespace mergepage;

CMergePage::CMergePage() : CPropertyPage(kCaption)
{
    AddStatic(this, kOutputPathText, DluRect(15, 18, 73, 10));

    m_editPath = new QLineEdit(this);
    SetControlId(m_editPath, kIdPath);
    m_editPath->setGeometry(DluRect(36, 28, 113, 12));
    m_editPath->setAccessibleName(kOutputPathText);

    QPushButton *browse = AddButton(this, kIdBrowse, kBrowseText, DluRect(151, 28, 10, 12));
    browse->setAccessibleName(QStringLiteral("Browse"));
    connect(browse, &QPushButton::clicked, this, &CMergePage::OnBrowse);
}

void CMergePage::DoDataExchange(bool save)
{
    if (save)
        m_strPath = m_editPath->text();
    else
        m_editPath->setText(m_strPath);
}

void CMergePage::OnBrowse()
{
    // The chooser starts from the path as last taken from the edit box, and
    // the box shows that field afterwards whatever the user chose: text typed
    // since the page was last left is dropped.
    const std::optional<QString> folder =
        Choosers::Current().ChooseFolder({window(), kChooserTitle, m_strPath});
    if (folder)
        m_strPath = *folder;
    UpdateData(false);
}

} // namespace lindo
