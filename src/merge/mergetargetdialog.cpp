#include "merge/mergetargetdialog.h"

#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/filechoosers.h"
#include "uikit/templatecontrols.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lindo {

using namespace mergetarget;

CMergeTargetDialog::CMergeTargetDialog(QWidget *parent) : QDialog(parent)
{
    ApplyDialogFont(this);
    setWindowTitle(kTitle);
    setFixedSize(DluSize(186, 66));

    auto *label = new QLabel(kPrompt, this);
    label->setGeometry(DluRect(7, 7, 59, 8));

    m_editPath = new QLineEdit(this);
    SetControlId(m_editPath, kIdPath);
    m_editPath->setGeometry(DluRect(21, 18, 132, 12));
    m_editPath->setAccessibleName(kPrompt);

    QPushButton *browse = AddButton(this, kIdBrowse, QStringLiteral("..."), DluRect(155, 18, 10, 12));
    browse->setAccessibleName(QStringLiteral("Browse"));
    connect(browse, &QPushButton::clicked, this, &CMergeTargetDialog::OnBrowse);
    QPushButton *ok = AddDefaultButton(this, kIdOk, QStringLiteral("OK"), DluRect(37, 45, 50, 14));
    connect(ok, &QPushButton::clicked, this, &CMergeTargetDialog::accept);
    QPushButton *cancel = AddButton(this, kIdCancel, QStringLiteral("Cancel"), DluRect(95, 45, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &CMergeTargetDialog::reject);
}

int CMergeTargetDialog::exec()
{
    DoDataExchange(false);
    m_editPath->setFocus();
    return QDialog::exec();
}

void CMergeTargetDialog::accept()
{
    DoDataExchange(true);
    QDialog::accept();
}

void CMergeTargetDialog::OnBrowse()
{
    // Starts from the path as last set, not from what was typed since; the
    // edit box shows m_strPath again afterwards, confirmed or not.
    ChooseMergeFile(m_strPath, parentWidget());
    DoDataExchange(false);
}

void CMergeTargetDialog::DoDataExchange(bool save)
{
    if (save)
        m_strPath = m_editPath->text();
    else
        m_editPath->setText(m_strPath);
}

} // namespace lindo
