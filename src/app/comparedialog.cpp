#include "app/comparedialog.h"

#include "app/comparedialogids.h"
#include "app/panefinder.h"
#include "folderwindow/foldercomparedialog.h"
#include "merge/mergeddialog.h"
#include "settingssheet/sharedengine.h"
#include "settingsstore/enginesettings.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/filechoosers.h"
#include "uikit/findbar.h"
#include "uikit/pathcombobox.h"
#include "uikit/prompt.h"
#include "uikit/templatecontrols.h"
#include "uikit/windowplacement.h"
#include "view/diffview.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>

namespace lindo {

using namespace mainwindow;

namespace {

struct ToolButton {
    int command;
    const char *image;
    const char *text; // the string-table entry: name, newline, tooltip
    QKeySequence shortcut;
};

const ToolButton kToolButtons[] = {
    {kCmdCompare, ":/toolbar/compare.png", "Compare\nCompare/re-compare", QKeySequence(Qt::Key_F5)},
    {kCmdCompareFolders, ":/toolbar/compare-folders.png", "Compare Folders\nCompare Folders", {}},
    {0, nullptr, nullptr, {}},
    {kCmdMergeToScreen, ":/toolbar/merge-screen.png", "Merge files\nMerge(to screen)", {}},
    {kCmdMergeToFile, ":/toolbar/merge-file.png", "Merge to file\nMerge(to file)", {}},
    {0, nullptr, nullptr, {}},
    {kCmdPrevChange, ":/toolbar/previous-change.png", "Previous Change\nPrevious Change",
     QKeySequence(Qt::ALT | Qt::Key_Up)},
    {kCmdNextChange, ":/toolbar/next-change.png", "Next change\nNext Change", QKeySequence(Qt::ALT | Qt::Key_Down)},
    {0, nullptr, nullptr, {}},
    {kCmdSettings, ":/toolbar/settings.png", "Settings\nSettings", {}},
    {kCmdAbout, ":/toolbar/about.png", "About\nAbout", {}},
};

constexpr char kCommandProperty[] = "lindoCommand";

// The tooltip is the text after the first newline, cut to 80 characters;
// a keyboard shortcut, where there is one, is named after it.
QString ToolTipOf(const ToolButton &button)
{
    const QString text = QString::fromLatin1(button.text);
    QString tip = text.mid(text.indexOf('\n') + 1).left(80);
    if (!button.shortcut.isEmpty())
        tip += QStringLiteral(" (%1)").arg(button.shortcut.toString(QKeySequence::NativeText));
    return tip;
}

// Browse buttons and path boxes keep the template's sizes until laid out.
constexpr int kBrowseButtonWidthDlu = 14;
constexpr int kStatusWidthDlu = 300;
constexpr int kStatusHeightDlu = 8;

} // namespace

CCompareDialog::CCompareDialog(QWidget *parent) : QDialog(parent), m_hIcon(QStringLiteral(":/icons/lindo.png"))
{
    m_engine.SetReporter(this);
    OnInitDialog();
}

CCompareDialog::~CCompareDialog() = default;

void CCompareDialog::OnInitDialog()
{
    ApplyDialogFont(this);
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    resize(DluSize(kTemplateWidth, kTemplateHeight));
    CreateControls();
    setWindowIcon(m_hIcon);
    InsertToolBar();
    CreatePanes();
    m_finder = new CPaneFinder(this, m_pViewLeft, m_pViewRight);
    connect(m_finder, &CPaneFinder::LayoutChanged, this, [this] {
        QResizeEvent unchanged(size(), size());
        resizeEvent(&unchanged);
    });
    LoadSettings();
    SetSharedEngine(&m_engine);
    LayoutControls();
    UpdateCommandStates();
}

void CCompareDialog::CreateControls()
{
    m_comboFirst = new CPathComboBox(this);
    SetControlId(m_comboFirst, kIdFirstPath);
    m_comboSecond = new CPathComboBox(this);
    SetControlId(m_comboSecond, kIdSecondPath);

    // Moved into place by the layout.
    const QRect browseRect(0, 0, DluToPixelsX(kBrowseButtonWidthDlu), kPathBottom - kPathTop);
    m_browseFirst = AddButton(this, kIdBrowseFirst, QStringLiteral("..."), browseRect);
    m_browseSecond = AddButton(this, kIdBrowseSecond, QStringLiteral("..."), browseRect);
    // Names a screen reader announces; the boxes have no label of their own.
    m_comboFirst->setAccessibleName(QStringLiteral("First file"));
    m_comboSecond->setAccessibleName(QStringLiteral("Second file"));
    m_browseFirst->setAccessibleName(QStringLiteral("Browse for the first file"));
    m_browseSecond->setAccessibleName(QStringLiteral("Browse for the second file"));
    connect(m_browseFirst, &QPushButton::clicked, this, [this] { OnBrowse(m_comboFirst); });
    connect(m_browseSecond, &QPushButton::clicked, this, [this] { OnBrowse(m_comboSecond); });

    m_status = new QLabel(kStatusInitial, this);
    SetControlId(m_status, kIdStatus);
    m_status->resize(DluSize(kStatusWidthDlu, kStatusHeightDlu));

    // The hidden default button takes the Enter key, so Enter does nothing.
    auto *absorbEnter = new QPushButton(QStringLiteral("Default"), this);
    SetControlId(absorbEnter, kIdDefaultButton);
    absorbEnter->setDefault(true);
    absorbEnter->hide();
    const std::pair<int, const char *> hiddenButtons[] = {{kIdOk, "OK"}, {kIdCancel, "Cancel"}};
    for (const auto &[id, text] : hiddenButtons) {
        auto *button = new QPushButton(QString::fromLatin1(text), this);
        SetControlId(button, id);
        button->setAutoDefault(false);
        button->hide();
    }
    for (int id : {kIdHiddenEdit1, kIdHiddenEdit2}) {
        auto *edit = new QLineEdit(this);
        SetControlId(edit, id);
        edit->hide();
    }

    // A line to read, not a box to answer: the user goes on with the
    // comparison on screen and compares again when it suits.
    m_changedNotice = new QLabel(this);
    m_changedNotice->setObjectName(QStringLiteral("changedOnDisk"));
    m_changedNotice->setFrameShape(QFrame::Box);
    m_changedNotice->setBackgroundRole(QPalette::ToolTipBase);
    m_changedNotice->setForegroundRole(QPalette::ToolTipText);
    m_changedNotice->setAutoFillBackground(true);
    m_changedNotice->setIndent(4);
    m_changedNotice->hide();
    connect(&m_fileWatch, &FileWatch::Changed, this, [this] {
        m_changedNotice->setText(ChangedOnDiskText(m_fileWatch.ChangedFiles(), m_fileWatch.Files()));
        ShowChangedNotice(true);
    });
}

void CCompareDialog::InsertToolBar()
{
    m_toolBar = new QToolBar(this);
    SetControlId(m_toolBar, kToolBarId);
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolButton &button : kToolButtons) {
        if (button.command == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction *action = m_toolBar->addAction(QIcon(QString::fromLatin1(button.image)),
                                               QString::fromLatin1(button.text).section('\n', 0, 0));
        action->setProperty(kCommandProperty, button.command);
        action->setToolTip(ToolTipOf(button));
        action->setStatusTip(ToolTipOf(button));
        if (!button.shortcut.isEmpty())
            action->setShortcut(button.shortcut);
        action->setCheckable(button.command == kCmdCompareFolders || button.command == kCmdMergeToScreen);
    }
    const auto run = [this](int command) {
        switch (command) {
        case kCmdCompare:
            return OnCompare();
        case kCmdCompareFolders:
            return OnCompareFolders();
        case kCmdMergeToScreen:
            return OnMergeToScreen();
        case kCmdMergeToFile:
            return OnMergeToFile();
        case kCmdPrevChange:
            return OnPrevChange();
        case kCmdNextChange:
            return OnNextChange();
        case kCmdSettings:
            return OnSettings();
        case kCmdAbout:
            return OnAbout();
        default:
            return;
        }
    };
    connect(m_toolBar, &QToolBar::actionTriggered, this, [this, run](QAction *action) {
        // A toggle's command follows its state change, wherever that came from.
        if (!action->isCheckable())
            run(action->property(kCommandProperty).toInt());
        UpdateCommandStates();
    });
    BindToggle(kCmdMergeToScreen, &CCompareDialog::OnMergeToScreen);
    BindToggle(kCmdCompareFolders, &CCompareDialog::OnCompareFolders);

    // Make room for the bar: everything moves down by its height and the
    // window grows by as much, so the template's controls keep their room.
    const int barHeight = m_toolBar->sizeHint().height();
    m_toolBar->setGeometry(0, 0, width(), barHeight);
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != m_toolBar)
            child->move(child->pos() + QPoint(0, barHeight));
    }
    resize(width(), height() + barHeight);
}

void CCompareDialog::BindToggle(int command, void (CCompareDialog::*handler)())
{
    QAction *action = CommandAction(command);
    // An assistive tool's "toggle" flips the button; the action must follow it
    // (some Qt versions pass it on themselves, some do not).
    if (auto *button = qobject_cast<QAbstractButton *>(m_toolBar->widgetForAction(action)))
        connect(button, &QAbstractButton::toggled, action, [button, action] {
            // The button's state now, not the signal's: a handler run meanwhile may have set it back.
            action->setChecked(button->isChecked());
        });
    // However the state changes (click, Space, assistive tool, setChecked), the
    // window follows it, and the state then shows whether the window exists.
    connect(action, &QAction::toggled, this, [this, action, command, handler] {
        // The state now: a nested change may have moved it since the signal left.
        if (action->isEnabled() && action->isChecked() != CompanionOpen(command))
            (this->*handler)();
        UpdateCommandStates();
    });
}

bool CCompareDialog::CompanionOpen(int command) const
{
    return command == kCmdMergeToScreen ? m_pMergedDialog != nullptr : m_pFolderDialog != nullptr;
}

void CCompareDialog::CreatePanes()
{
    const std::pair<CDiffView **, int> panes[] = {{&m_pViewLeft, 1}, {&m_pViewRight, 2}};
    for (const auto &[pane, side] : panes) {
        auto *view = new CDiffView(this);
        view->setObjectName(side == 1 ? kLeftPaneName : kRightPaneName);
        SetControlId(view, side == 1 ? kIdLeftPane : kIdRightPane);
        view->setFrameShape(QFrame::Box);
        view->setFrameShadow(QFrame::Plain);
        view->SetScrollSizes(QSize(200, 200));
        view->setGeometry(GetPaneRect(side));
        view->Attach(side, m_engine);
        *pane = view;
    }
}

CDiffView *CCompareDialog::GetView(int side)
{
    return side == 1 ? m_pViewLeft : side == 2 ? m_pViewRight : nullptr;
}

QRect CCompareDialog::GetPaneRect(int side) const
{
    const QRect outer = frameGeometry();
    const int half = outer.width() / 2;
    const int shift = side == 2 ? half : 0;
    // Right and bottom edges exclusive.
    const int left = kPaneLeft + shift;
    const int right = half - kPaneRightInset + shift;
    const int top = kPaneTop + NoticeRoom();
    // An open find bar takes its room from the panes.
    const int bottom = outer.height() - kPaneBottomInset - (m_finder ? m_finder->BarHeight() : 0);
    return QRect(left, top, right - left, bottom - top);
}

void CCompareDialog::LayoutControls()
{
    if (!m_pViewLeft || !m_pViewRight)
        return;
    const QRect left = PaneRectInClient(m_pViewLeft);
    const QRect right = PaneRectInClient(m_pViewRight);
    const int buttonWidth = m_browseFirst->width();
    const int leftEnd = left.x() + left.width(); // exclusive
    const int pathTop = kPathTop + NoticeRoom();
    const QRect firstBox(kPaneLeft, pathTop, leftEnd - buttonWidth - kPathButtonGap - kPaneLeft,
                         kPathBottom - kPathTop);
    const QRect firstButton(leftEnd - buttonWidth, pathTop, buttonWidth, kPathBottom - kPathTop);
    const int shift = right.x() - kPaneLeft;
    m_changedNotice->setGeometry(kPaneLeft, kPathTop, right.x() + right.width() - kPaneLeft, kNoticeHeight);
    m_comboFirst->setGeometry(firstBox);
    m_browseFirst->setGeometry(firstButton);
    m_comboSecond->setGeometry(firstBox.translated(shift, 0));
    m_browseSecond->setGeometry(firstButton.translated(shift, 0));
    const int barHeight = m_finder ? m_finder->BarHeight() : 0;
    if (barHeight > 0)
        m_finder->Bar()->setGeometry(kPaneLeft, right.y() + right.height() + kStatusGap / 2,
                                     right.x() + right.width() - kPaneLeft, barHeight);
    m_status->move(kPaneLeft, right.y() + right.height() + kStatusGap + barHeight);
}

QRect CCompareDialog::PaneRectInClient(const CDiffView *pane) const
{
    return pane->geometry();
}

QRect CCompareDialog::OuterRectInClient() const
{
    const QRect frame = frameGeometry();
    return frame.translated(-geometry().topLeft());
}

void CCompareDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (!m_pViewLeft)
        return;
    m_pViewLeft->setGeometry(GetPaneRect(1));
    if (!m_pViewRight)
        return;
    m_pViewRight->setGeometry(GetPaneRect(2));
    if (m_toolBar)
        m_toolBar->setGeometry(0, 0, width(), m_toolBar->height());
    LayoutControls();
    update();
}

void CCompareDialog::SetStatusText(const QString &text)
{
    m_status->setText(text);
    // Painted at once: a comparison holds the event loop until it ends, and
    // "Comparing files..." must be on screen while it runs.
    m_status->repaint();
}

QString CCompareDialog::StatusText() const
{
    return m_status->text();
}

void CCompareDialog::OnBrowse(CPathComboBox *box)
{
    QString path = box->GetText();
    if (ChooseFile(path, kBrowseTitle, this))
        box->SetText(path);
}

void CCompareDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    DrawChangeGutter(painter, 1, event->rect());
    DrawChangeGutter(painter, 2, event->rect());
    if (m_pViewLeft)
        DrawSeparatorMark(painter);
    DrawToolBarEtch(painter);
}

void CCompareDialog::DrawChangeGutter(QPainter &painter, int side, const QRect &area)
{
    if (!m_engine.IsCompared() || !m_pViewLeft || !m_pViewRight)
        return;
    // Both gutters use the left pane's top and height.
    const QRect left = PaneRectInClient(m_pViewLeft);
    const int top = left.y() + kGutterInset;
    const int span = m_pViewLeft->viewport()->height() - 2 * kGutterInset;
    const QRect right = PaneRectInClient(m_pViewRight);
    const int x = side == 1 ? 2 : right.x() + right.width() + 3;
    const DiffLines &lines = m_engine.Lines(side);
    const auto count = static_cast<qint64>(lines.size());
    if (count <= 0)
        return;
    if (x > area.right() || x + 2 < area.left())
        return;
    const float perLine = static_cast<float>(span) / static_cast<float>(count);
    const int strokes = std::max(1, static_cast<int>(perLine));
    // Row of a line's stroke j; it never decreases from one line to the next.
    const auto row = [&](qint64 line, int j) {
        const float base = static_cast<float>((line * span) / count) - perLine * 0.5f;
        return static_cast<int>(static_cast<float>(j + top) + base);
    };
    // The first line from `from` on whose stroke j lies at or below y.
    const auto firstReaching = [&](qint64 from, int j, int y) {
        qint64 end = count;
        while (from < end) {
            const qint64 middle = from + (end - from) / 2;
            if (row(middle, j) < y)
                from = middle + 1;
            else
                end = middle;
        }
        return from;
    };
    // Only the rows of the painted area, each drawn once: on a tall file
    // thousands of lines share a row.
    int drawnTo = area.top() - 1;
    painter.setPen(QPen(Qt::black, 1));
    const qint64 end = firstReaching(0, 1, area.bottom() + 1);
    for (qint64 line = firstReaching(0, strokes + 1, area.top()); line < end; ++line) {
        if (lines[static_cast<std::size_t>(line)].link != -1)
            continue;
        for (int j = 1; j <= strokes + 1; ++j) {
            const int y = row(line, j);
            if (y <= drawnTo || y > area.bottom())
                continue;
            painter.drawLine(x, y, x + 2, y); // three pixels, the end point excluded
            drawnTo = y;
        }
        line = firstReaching(line + 1, strokes + 1, drawnTo + 1) - 1;
    }
}

void CCompareDialog::DrawSeparatorMark(QPainter &painter)
{
    const QRect left = PaneRectInClient(m_pViewLeft);
    const int y = left.y() + m_pViewLeft->viewport()->height() / 2;
    const int right = left.x() + left.width();
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawLine(right + 4, y, right + 18, y);
}

void CCompareDialog::DrawToolBarEtch(QPainter &painter)
{
    if (!m_toolBar)
        return;
    const QRect bar = m_toolBar->geometry();
    const int y = bar.y() + bar.height();
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.drawLine(bar.x(), y, bar.x() + bar.width() - 1, y);
    painter.setPen(QPen(palette().color(QPalette::Light), 1));
    painter.drawLine(bar.x(), y + 1, bar.x() + bar.width() - 1, y + 1);
}

void CCompareDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        if (!GutterClick(1, point))
            GutterClick(2, point);
    }
    QDialog::mousePressEvent(event);
}

bool CCompareDialog::GutterClick(int side, QPoint point)
{
    if (!m_engine.IsCompared() || !m_pViewLeft || !m_pViewRight)
        return false;
    const QRect left = PaneRectInClient(m_pViewLeft);
    const QRect right = PaneRectInClient(m_pViewRight);
    int hitLeft, hitTop, hitRight, hitBottom; // right and bottom exclusive
    if (side == 1) {
        hitLeft = 1;
        hitTop = left.y() + kGutterInset;
        hitRight = left.x();
        hitBottom = left.y() + left.height() - kGutterHitBottom;
    } else {
        const QRect outer = OuterRectInClient();
        hitLeft = right.x() + right.width() + 1;
        hitTop = right.y() + kGutterInset;
        hitRight = outer.x() + outer.width() - 1;
        hitBottom = right.y() + right.height() - kGutterHitBottom;
    }
    if (point.x() < hitLeft || point.x() >= hitRight || point.y() < hitTop || point.y() >= hitBottom)
        return false;
    const double count = static_cast<double>(m_engine.Lines(side).size());
    const int line = static_cast<int>((static_cast<double>(point.y() - hitTop) / (hitBottom - hitTop)) * count);
    GetView(side)->ScrollToLine(line, true);
    return true;
}

void CCompareDialog::LoadSettings()
{
    m_comboFirst->LoadHistory(QString::fromLatin1(settings::kFilePath1));
    m_comboSecond->LoadHistory(QString::fromLatin1(settings::kFilePath2));
    RestoreWindowRect(this, QString::fromLatin1(settings::kWindowPos));
    raise();
    // Stored choices are honoured from the start, not only once the settings have been opened.
    LoadEngineSettings(m_engine, SettingsStore());
}

void CCompareDialog::SaveSettings()
{
    m_comboFirst->SaveHistory(QString::fromLatin1(settings::kFilePath1));
    m_comboSecond->SaveHistory(QString::fromLatin1(settings::kFilePath2));
    SaveWindowRect(this, QString::fromLatin1(settings::kWindowPos));
    SaveEngineSettings(m_engine, SettingsStore());
}

void CCompareDialog::ReportFileError(const std::string &message)
{
    Ask(this, kErrorCaption, QString::fromLocal8Bit(message), PromptIcon::Stop, PromptButtons::Ok);
}

void CCompareDialog::WatchComparedFiles(std::vector<WatchedFile> files)
{
    ShowChangedNotice(false);
    m_fileWatch.Watch(std::move(files));
}

void CCompareDialog::ShowChangedNotice(bool shown)
{
    if (m_changedNotice->isHidden() != shown)
        return;
    m_changedNotice->setVisible(shown);
    // The panes give up the notice's room at their top and take it back after.
    m_pViewLeft->setGeometry(GetPaneRect(1));
    m_pViewRight->setGeometry(GetPaneRect(2));
    LayoutControls();
    update();
}

int CCompareDialog::NoticeRoom() const
{
    return m_changedNotice && !m_changedNotice->isHidden() ? kNoticeHeight + kNoticeGap : 0;
}

} // namespace lindo
