#include "settingssheet/propertysheet.h"

#include "settingssheet/propertypage.h"
#include "uikit/dialogunits.h"
#include "uikit/templatecontrols.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QTabWidget>

namespace lindo {

using namespace propertysheet;

namespace {

// Margins and spacing of the sheet's frame, in dialog units.
constexpr int kMarginDlu = 7;
constexpr int kButtonGapDlu = 4;
constexpr int kButtonWidthDlu = 50;
constexpr int kButtonHeightDlu = 14;

QPushButton *AddSheetButton(QWidget *parent, int id, const QString &text)
{
    const QSize size = DluSize(kButtonWidthDlu, kButtonHeightDlu);
    QPushButton *button = AddButton(parent, id, text, QRect(QPoint(), size));
    button->setFixedSize(size); // the sheet's layout places it
    return button;
}

} // namespace

CPropertySheet::CPropertySheet(const QString &caption, QWidget *parent, int startPage)
    : QDialog(parent), m_startPage(startPage)
{
    ApplyDialogFont(this);
    setWindowTitle(caption);

    m_tabs = new QTabWidget(this);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnCurrentChanged);

    QPushButton *ok = AddSheetButton(this, kIdOk, kOkText);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPropertySheet::accept);
    QPushButton *cancel = AddSheetButton(this, kIdCancel, kCancelText);
    connect(cancel, &QPushButton::clicked, this, &CPropertySheet::reject);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(DluToPixelsX(kButtonGapDlu));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(DluToPixelsX(kMarginDlu), DluToPixelsY(kMarginDlu),
                               DluToPixelsX(kMarginDlu), DluToPixelsY(kMarginDlu));
    layout->setSpacing(DluToPixelsY(kMarginDlu));
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CPropertySheet::~CPropertySheet()
{
    // The tab widget made the pages its children; give back those still alive
    // so that destroying the sheet does not destroy pages it does not own.
    for (const QPointer<CPropertyPage> &page : m_pages) {
        if (page)
            page->setParent(nullptr);
    }
}

void CPropertySheet::AddPage(CPropertyPage *page)
{
    m_pages.emplace_back(page);
    m_tabs->addTab(page, page->Caption());
}

CPropertyPage *CPropertySheet::GetPage(int index) const
{
    if (index < 0 || index >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<size_t>(index)];
}

int CPropertySheet::GetActiveIndex() const
{
    return m_tabs->currentIndex();
}

void CPropertySheet::SetActivePage(int index)
{
    m_tabs->setCurrentIndex(index);
}

void CPropertySheet::accept()
{
    if (m_active)
        m_active->OnKillActive();
    for (const QPointer<CPropertyPage> &page : m_pages) {
        if (page && page->IsInitialised())
            page->OnOK();
    }
    QDialog::accept();
}

void CPropertySheet::showEvent(QShowEvent *event)
{
    if (!m_started) {
        m_started = true;
        m_tabs->setCurrentIndex(m_startPage);
        if (!m_active)
            Activate(m_tabs->currentIndex());
    }
    QDialog::showEvent(event);
}

void CPropertySheet::OnCurrentChanged(int index)
{
    if (m_started)
        Activate(index);
}

void CPropertySheet::Activate(int index)
{
    if (m_active)
        m_active->OnKillActive();
    m_active = GetPage(index);
    if (m_active)
        m_active->OnSetActive();
}

} // namespace lindo
