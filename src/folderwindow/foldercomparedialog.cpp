#include "folderwindow/foldercomparedialog.h"

#include "folderscan/casespelling.h"
#include "folderwindow/folderchooser.h"
#include "folderwindow/foldercomparedialogids.h"
#include "folderwindow/folderlistctrl.h"
#include "folderwindow/folderpathcombobox.h"
#include "folderwindow/folderwindowhost.h"
#include "settingsstore/settingsnames.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/templatecontrols.h"
#include "uikit/windowplacement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace lindo {

using namespace folderwindow;

namespace {

// "1 Object." for one row, "<n> Objects." otherwise.
QString ObjectCountText(int rows)
{
    return QStringLiteral("%1 Object%2").arg(rows).arg(rows == 1 ? QStringLiteral(".") : QStringLiteral("s."));
}

} // namespace

CFolderCompareDialog::CFolderCompareDialog(FolderWindowHost &owner)
    : QDialog(nullptr)
    , m_pOwner(&owner)
    , m_scan(*this)
    , m_hIcon(kWindowIcon)
{
    OnInitDialog();
}

CFolderCompareDialog::~CFolderCompareDialog() = default;

void CFolderCompareDialog::OnInitDialog()
{
    ApplyDialogFont(this);
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setWindowIcon(m_hIcon);
    resize(DluSize(kTemplateWidth, kTemplateHeight));
    CreateControls();
    RegisterAnchors();
    RestoreWindowRect(this, QString::fromLatin1(settings::kFoldersWindowPos));
    // A hidden window gets its resize event only when shown; the controls
    // move now, so the list's width below is that of the restored window.
    m_layout.Apply();
    InitResultList();
    m_comboFolder1->LoadHistory(QString::fromLatin1(settings::kFolderPath1));
    m_comboFolder2->LoadHistory(QString::fromLatin1(settings::kFolderPath2));
    m_bInitialised = true;
}

void CFolderCompareDialog::CreateControls()
{
    // Created in the template's order, which is also the tab order; the
    // rectangles come from the control rules below.
    m_comboFolder1 = new CFolderPathComboBox(this);
    SetControlId(m_comboFolder1, kIdFolder1);
    m_comboFolder1->setAccessibleName(QStringLiteral("First folder"));
    m_btnBrowse1 = AddButton(this, kIdBrowse1, kBrowseCaption, QRect());
    m_comboFolder2 = new CFolderPathComboBox(this);
    SetControlId(m_comboFolder2, kIdFolder2);
    m_comboFolder2->setAccessibleName(QStringLiteral("Second folder"));
    m_btnBrowse2 = AddButton(this, kIdBrowse2, kBrowseCaption, QRect());
    m_btnBrowse1->setAccessibleName(QStringLiteral("Browse for the first folder"));
    m_btnBrowse2->setAccessibleName(QStringLiteral("Browse for the second folder"));
    m_btnGo = AddDefaultButton(this, kIdGo, kGoCaption, QRect());
    m_wndResults = new CFolderListCtrl(m_pOwner->Engine(), this);
    SetControlId(m_wndResults, kIdResults);
    m_wndResults->setAccessibleName(QStringLiteral("Results"));
    m_wndStatus = new QLabel(QString::fromLatin1(kStatusReady.data(), kStatusReady.size()), this);
    SetControlId(m_wndStatus, kIdStatus);
    m_wndCount = new QLabel(kCountInitial, this);
    SetControlId(m_wndCount, kIdCount);

    for (const ControlRule &rule : kControlRules)
        FindControl(this, rule.id)->setGeometry(DluRect(rule.x, rule.y, rule.width, rule.height));

    connect(m_btnBrowse1, &QPushButton::clicked, this, [this] { OnBrowse(1); });
    connect(m_btnBrowse2, &QPushButton::clicked, this, [this] { OnBrowse(2); });
    connect(m_btnGo, &QPushButton::clicked, this, &CFolderCompareDialog::OnGo);
    connect(m_wndResults, &CFolderListCtrl::DoubleClicked, this, &CFolderCompareDialog::OnDoubleClick);
}

void CFolderCompareDialog::RegisterAnchors()
{
    for (const ControlRule &rule : kControlRules)
        m_layout.Add(FindControl(this, rule.id), this, rule.left, rule.right, rule.top, rule.bottom);
}

void CFolderCompareDialog::InitResultList()
{
    const double width = m_wndResults->width();
    m_wndResults->setHeaderLabels({kColumnRelativePath, kColumnState});
    const int pathWidth = static_cast<int>(width * kPathColumnShare);
    const int stateWidth = static_cast<int>(width * kStateColumnShare - kStateColumnTrim);
    // The share of the list cut "Different - 1 is more recent" short: the
    // State column is never narrower than its longest text, and the path
    // column gives up what it takes, so the two still fit the list.
    const int widened = std::max(stateWidth, m_wndResults->StateColumnWidthNeeded());
    m_wndResults->setColumnWidth(0, std::max(pathWidth - (widened - stateWidth), 0));
    m_wndResults->setColumnWidth(1, widened);
}

CFolderPathComboBox *CFolderCompareDialog::FolderBox(int side) const
{
    return side == 1 ? m_comboFolder1 : m_comboFolder2;
}

QString CFolderCompareDialog::StatusText() const
{
    return m_wndStatus->text();
}

QString CFolderCompareDialog::CountText() const
{
    return m_wndCount->text();
}

QString CFolderCompareDialog::GoCaption() const
{
    return m_btnGo->text();
}

void CFolderCompareDialog::StartComparison(const QString &folder1, const QString &folder2)
{
    if (IsRunning())
        return;
    m_comboFolder1->SetText(folder1);
    m_comboFolder2->SetText(folder2);
    OnGo();
}

void CFolderCompareDialog::OnGo()
{
    if (IsRunning()) {
        // The caption tells the end of the run that this stop is not a close.
        m_bAbort = true;
        m_btnGo->setText(kGoCaption);
        return;
    }
    m_btnGo->setText(kAbortCaption);
    if (RunComparison())
        m_btnGo->setText(kGoCaption);
}

bool CFolderCompareDialog::RunComparison()
{
    m_wndResults->DeleteAllItems();
    // The count follows the emptied list, or a run without rows would go on
    // showing the previous run's count.
    UpdateCount();
    m_pumpClock.invalidate();
    m_showRowsClock.invalidate();
    m_wndResults->HoldRows(true);
    m_scan.Run(m_comboFolder1->GetPath(), m_comboFolder2->GetPath());
    m_wndResults->HoldRows(false);
    UpdateCount();
    m_comboFolder1->AddToHistory();
    m_comboFolder2->AddToHistory();
    if (!m_bAbort)
        return true;
    m_bAbort = false;
    // Abort pressed: the caption already reads "Go". Still "Abort": the stop
    // stood for a close request.
    if (m_btnGo->text() == kGoCaption)
        return true;
    RunCloseSteps();
    return false;
}

void CFolderCompareDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (IsRunning()) {
        // The caption stays "Abort", so the run's end closes the window.
        m_bAbort = true;
        return;
    }
    RunCloseSteps();
}

void CFolderCompareDialog::RunCloseSteps()
{
    m_comboFolder1->SaveHistory(QString::fromLatin1(settings::kFolderPath1));
    m_comboFolder2->SaveHistory(QString::fromLatin1(settings::kFolderPath2));
    SaveWindowRect(this, QString::fromLatin1(settings::kFoldersWindowPos));
    hide();
    // The owner deletes this window; it is asked from the event loop, never
    // from inside one of this window's own handlers.
    FolderWindowHost *owner = m_pOwner;
    QTimer::singleShot(0, this, [owner] { owner->CloseFolderDialog(); });
}

void CFolderCompareDialog::OnBrowse(int side)
{
    FolderChooser chooser;
    chooser.m_strTitle = side == 1 ? kBrowseTitle1 : kBrowseTitle2;
    chooser.m_strInitial = FolderBox(side)->GetText();
    if (chooser.Browse())
        FolderBox(side)->SetText(chooser.m_strResult);
}

void CFolderCompareDialog::OnDoubleClick()
{
    const std::vector<int> rows = m_wndResults->SelectedRows();
    // A path that was not compared is a folder, a file that cannot be read,
    // or a device or pipe that must not be opened: nothing to show.
    if (rows.size() != 1 || IsNotCompared(m_wndResults->State(rows.front())))
        return;
    const std::string &relativePath = m_wndResults->RelativePath(rows.front());
    const std::string path1 = ExistingSpelling(FolderPath(1), relativePath);
    const std::string path2 = ExistingSpelling(FolderPath(2), relativePath);
    // The main window's comparison handles pending events, among them a close
    // of this window: it runs from the event loop, not inside this handler.
    QWidget *mainWindow = m_pOwner->Window();
    FolderWindowHost *owner = m_pOwner;
    QTimer::singleShot(0, mainWindow, [owner, mainWindow, path1, path2] {
        mainWindow->raise();
        mainWindow->activateWindow();
        owner->CompareFiles(path1, path2);
    });
}

void CFolderCompareDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_layout.Apply();
    if (m_bInitialised) {
        m_wndStatus->update();
        m_wndCount->update();
    }
}

void CFolderCompareDialog::UpdateCount()
{
    m_wndCount->setText(ObjectCountText(m_wndResults->GetItemCount()));
}

void CFolderCompareDialog::ShowFoundRows()
{
    m_wndResults->ShowHeldRows();
    UpdateCount();
}

bool CFolderCompareDialog::PumpMessages()
{
    // Handling events costs many times a pairing step; a hundred times a
    // second keeps the window as responsive and Abort as prompt. New rows
    // relay out and repaint the whole list, so they go in ten times a second.
    if (!m_pumpClock.isValid() || m_pumpClock.elapsed() >= m_pumpIntervalMs) {
        if (!m_showRowsClock.isValid() || m_showRowsClock.elapsed() >= m_showRowsIntervalMs) {
            ShowFoundRows();
            m_showRowsClock.start();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_pumpClock.start();
    }
    return m_bAbort;
}

std::string CFolderCompareDialog::FolderPath(int side)
{
    return FolderBox(side)->GetPath();
}

int CFolderCompareDialog::ReadFoldersShowSame()
{
    return m_pOwner->ReadFoldersShowSame();
}

void CFolderCompareDialog::OfferRow(const std::string &relativePath, FolderState state)
{
    // The list and the count take the row when the run next shows what it found.
    m_wndResults->AddRow(relativePath, state, false);
}

void CFolderCompareDialog::ShowStatus(std::string_view text)
{
    // "Done." comes with every row found.
    ShowFoundRows();
    m_wndStatus->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace lindo
