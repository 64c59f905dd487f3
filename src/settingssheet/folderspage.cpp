#include "settingssheet/folderspage.h"

#include "engine/diffengine.h"
#include "settingssheet/sharedengine.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/multilinecheckbox.h"
#include "uikit/templatecontrols.h"

#include <QHeaderView>
#include <QPushButton>

namespace lindo {

using namespace folderspage;

namespace {

QTreeWidgetItem *NewItem(const QString &label)
{
    auto *item = new QTreeWidgetItem(QStringList{label});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    return item;
}

} // namespace

CFoldersPage::CFoldersPage() : CPropertyPage(kCaption), m_wndExceptions(this)
{
    m_checkShowSame = AddCheckBox(this, kIdShowSame, kShowSameText, DluRect(15, 15, 107, 10));
    m_checkUseExceptions = AddMultiLineCheckBox(this, kIdUseExceptions, kUseExceptionsText,
                                                DluRect(15, 43, 164, 19));
    // The state change, not the click: Space and assistive tools change it too.
    connect(m_checkUseExceptions, &QCheckBox::toggled, this, &CFoldersPage::ApplyEnableRule);

    // Rows stay in the order they were put in: no sorting, no tree lines.
    SetControlId(&m_wndExceptions, kIdExceptions);
    m_wndExceptions.setGeometry(DluRect(7, 63, 140, 50));
    m_wndExceptions.setAccessibleName(kColumnText);
    m_wndExceptions.setRootIsDecorated(false);
    m_wndExceptions.setSortingEnabled(false);
    m_wndExceptions.setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_wndExceptions.setEditTriggers(QAbstractItemView::SelectedClicked
                                    | QAbstractItemView::EditKeyPressed);
    m_wndExceptions.setColumnCount(0);
    m_wndExceptions.header()->setStretchLastSection(false);

    m_buttonAdd = AddButton(this, kIdAdd, kAddText, DluRect(151, 76, 37, 14));
    connect(m_buttonAdd, &QPushButton::clicked, this, &CFoldersPage::OnAdd);
    m_buttonRemove = AddButton(this, kIdRemove, kRemoveText, DluRect(151, 93, 37, 14));
    connect(m_buttonRemove, &QPushButton::clicked, this, &CFoldersPage::OnRemove);
}

void CFoldersPage::DoDataExchange(bool save)
{
    ExchangeCheck(save, m_checkShowSame, m_bShowSame);
    ExchangeCheck(save, m_checkUseExceptions, m_bUseExceptions);
}

void CFoldersPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    m_wndExceptions.setColumnCount(1);
    m_wndExceptions.setHeaderLabels({kColumnText});
    m_wndExceptions.headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    m_wndExceptions.setColumnWidth(0, kColumnWidth);

    if (const DiffEngine *engine = SharedEngine()) {
        for (const std::string &text : engine->exceptionStrings)
            m_wndExceptions.addTopLevelItem(NewItem(QString::fromLocal8Bit(text)));
    }
    ApplyEnableRule();
}

void CFoldersPage::ApplyEnableRule()
{
    UpdateData(true);
    m_wndExceptions.setEnabled(m_bUseExceptions);
    m_buttonAdd->setEnabled(m_bUseExceptions);
    m_buttonRemove->setEnabled(m_bUseExceptions);
}

void CFoldersPage::OnAdd()
{
    // Items selected before stay selected.
    QTreeWidgetItem *item = NewItem(kNewItemText);
    m_wndExceptions.insertTopLevelItem(0, item);
    item->setSelected(true);
    m_wndExceptions.setFocus();
    m_wndExceptions.editItem(item, 0);
}

void CFoldersPage::OnRemove()
{
    const QList<QTreeWidgetItem *> selected = m_wndExceptions.selectedItems();
    if (selected.size() == 1)
        delete selected.front();
}

void CFoldersPage::OnOK()
{
    DiffEngine *engine = SharedEngine();
    if (!engine)
        return;
    engine->exceptionStrings.clear();
    for (int i = 0; i < m_wndExceptions.topLevelItemCount(); ++i) {
        const QString label = m_wndExceptions.topLevelItem(i)->text(0);
        engine->exceptionStrings.push_back(label.toLocal8Bit().toStdString());
    }
    CPropertyPage::OnOK();
}

} // namespace lindo
