#include "threeway/threewaydialog.h"

#include "engine/safewrite.h"
#include "merge/mergeddialog.h"
#include "threeway/threewayids.h"
#include "threeway/threewaypane.h"
#include "uikit/comparedfileguard.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/filechoosers.h"
#include "uikit/prompt.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace lindo {

using namespace threeway;

namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                         | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

QString FromBytes(const std::string &bytes)
{
    return QString::fromLocal8Bit(bytes);
}

} // namespace

CThreeWayDialog::CThreeWayDialog(ThreeWayText text, std::string outPath)
    : QDialog(nullptr, kWindowFlags)
    , m_text(std::move(text))
    , m_outPath(std::move(outPath))
    , m_toolBar(this)
    , m_result(this)
{
    setWindowTitle(m_outPath.empty() ? kTitle : kTitleFormat.arg(FromBytes(m_outPath)));
    ApplyDialogFont(this);
    resize(kWidth, kHeight);
    SetControlId(&m_result, kIdResult);
    m_result.setAccessibleName(kResultHeading);
    m_result.m_onLinesChanged = [this](const LinesChange &change) { OnLinesChanged(change); };
    m_result.installEventFilter(this);
    m_result.viewport()->installEventFilter(this);
    CreateToolBar();
    CreateLayout();
    FillPanes();
    LoadResult();
    m_result.setFocus();
}

CThreeWayDialog::~CThreeWayDialog()
{
    // The text area is a member: while it is taken down it still sends
    // events, and by then it is no text area any more.
    m_result.removeEventFilter(this);
    m_result.viewport()->removeEventFilter(this);
}

void CThreeWayDialog::CreateToolBar()
{
    m_toolBar.setMovable(false);
    m_toolBar.setFloatable(false);
    m_toolBar.setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto add = [this](int id, const QString &buttonString, const QString &imagePath, const QKeySequence &key,
                            const std::function<void()> &handler) {
        QAction *action = m_toolBar.addAction(QIcon(imagePath), buttonString.section(u'\n', 0, 0));
        action->setToolTip(TooltipOf(buttonString));
        SetControlId(m_toolBar.widgetForAction(action), id);
        connect(action, &QAction::triggered, this, handler);
        if (!key.isEmpty()) {
            action->setShortcut(key);
            action->setShortcutContext(Qt::WindowShortcut);
            addAction(action);
        }
    };
    add(kIdSave, kSaveString, merged::kSaveImagePath, QKeySequence::Save, [this] { Save(); });
    add(kIdSaveAs, kSaveAsString, merged::kSaveAsImagePath, {}, [this] { SaveAs(); });
    m_toolBar.addSeparator();
    add(kIdTakeFirst, kTakeFirstString, {}, kTakeFirstKey, [this] { TakeForCurrent(Take::First); });
    add(kIdTakeSecond, kTakeSecondString, {}, kTakeSecondKey, [this] { TakeForCurrent(Take::Second); });
    add(kIdTakeFirstThenSecond, kTakeFirstThenSecondString, {}, kTakeFirstThenSecondKey,
        [this] { TakeForCurrent(Take::FirstThenSecond); });
    add(kIdTakeSecondThenFirst, kTakeSecondThenFirstString, {}, kTakeSecondThenFirstKey,
        [this] { TakeForCurrent(Take::SecondThenFirst); });
    add(kIdTakeBase, kTakeBaseString, {}, kTakeBaseKey, [this] { TakeForCurrent(Take::Base); });
    m_toolBar.addSeparator();
    add(kIdPreviousConflict, kPreviousConflictString, QStringLiteral(":/toolbar/previous-change.png"),
        kPreviousConflictKey, [this] { GoToConflict(false); });
    add(kIdNextConflict, kNextConflictString, QStringLiteral(":/toolbar/next-change.png"), kNextConflictKey,
        [this] { GoToConflict(true); });
    add(kIdUndo, kUndoString, {}, {}, [this] { m_result.Undo(); });
}

void CThreeWayDialog::CreateLayout()
{
    auto *panes = new QWidget;
    auto *grid = new QGridLayout(panes);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int file = 0; file < 3; ++file) {
        auto *heading = new QLabel(FromBytes(m_text.Label(file)));
        heading->setTextFormat(Qt::PlainText);
        SetControlId(heading, kIdFirstHeading + file);
        m_panes[static_cast<std::size_t>(file)] = new CThreeWayPane;
        SetControlId(m_panes[static_cast<std::size_t>(file)], kIdFirstPane + file);
        m_panes[static_cast<std::size_t>(file)]->setAccessibleName(heading->text());
        grid->addWidget(heading, 0, file);
        grid->addWidget(m_panes[static_cast<std::size_t>(file)], 1, file);
    }
    auto *lower = new QWidget;
    auto *resultBox = new QVBoxLayout(lower);
    resultBox->setContentsMargins(0, 0, 0, 0);
    m_resultHeading = new QLabel(m_outPath.empty() ? kResultHeading : kResultHeadingFormat.arg(FromBytes(m_outPath)));
    m_resultHeading->setTextFormat(Qt::PlainText);
    SetControlId(m_resultHeading, kIdResultHeading);
    resultBox->addWidget(m_resultHeading);
    resultBox->addWidget(&m_result);
    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(panes);
    splitter->addWidget(lower);
    m_status = new QLabel;
    SetControlId(m_status, kIdStatus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setMenuBar(&m_toolBar);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);

    for (int view = 0; view < 4; ++view) {
        QAbstractScrollArea *area = view < 3 ? static_cast<QAbstractScrollArea *>(m_panes[static_cast<std::size_t>(view)])
                                             : &m_result;
        connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this, view](int top) { OnScrolled(view, top); });
    }
}

void CThreeWayDialog::LoadResult()
{
    std::vector<int> lineCounts;
    m_result.StreamIn(m_text.MergedBytes(lineCounts));
    m_result.FinishStreamingIn();
    m_map.Reset(lineCounts);
    m_choiceAt.assign(1, -1);
    GoToConflictAfter(-1, true);
    UpdateStatus();
}

bool CThreeWayDialog::MaySaveWithConflicts()
{
    const int left = ConflictsLeft();
    if (left == 0)
        return true;
    const QString question = left == 1 ? kSaveWithMarkersOne : kSaveWithMarkersFormat.arg(left);
    return Ask(this, ApplicationTitle(), question, PromptIcon::Question, PromptButtons::YesNo) == PromptAnswer::Yes;
}

bool CThreeWayDialog::Save()
{
    // Without OUT, the file Save As chose last.
    const std::string &target = m_outPath.empty() ? m_savedPath : m_outPath;
    if (target.empty())
        return SaveAs();
    return MaySaveWithConflicts() && WriteResult(target);
}

bool CThreeWayDialog::SaveAs()
{
    QString path = FromBytes(m_savedPath.empty() ? m_outPath : m_savedPath);
    if (!ChooseFileToSave(path, kSaveAsTitle, this))
        return false;
    const std::string target = path.toLocal8Bit().toStdString();
    const std::vector<std::string> inputs{m_text.Label(0), m_text.Label(1), m_text.Label(2)};
    return MaySaveWithConflicts() && MayWriteMergeTo(this, target, inputs, m_savedPath) && WriteResult(target);
}

bool CThreeWayDialog::WriteResult(const std::string &path)
{
    // The old file is replaced only once the new text is wholly written.
    SafeFileWriter writer(path);
    if (writer.Open()) {
        Ask(this, kErrorCaption, kCouldNotCreate + FromBytes(path), PromptIcon::Stop);
        return false;
    }
    std::string shown;
    m_result.StreamOut([&shown](std::string_view bytes) {
        shown += bytes;
        return true;
    });
    bool fellBack = false;
    std::optional<FileErrorCause> failure = writer.Write(m_text.FileBytes(std::move(shown), &fellBack));
    if (!failure)
        failure = writer.Commit();
    if (failure) {
        Ask(this, kErrorCaption, FromBytes(writer.FailureMessage(*failure)), PromptIcon::Stop);
        return false;
    }
    m_result.MarkSaved();
    m_savedPath = path;
    if (fellBack)
        Ask(this, ApplicationTitle(), merged::kSavedAsUtf8.arg(QString::fromStdString(EncodingLabel(m_text.Encoding()))),
            PromptIcon::Information);
    // What git reads: whether OUT itself holds a result with no conflict left.
    m_savedClean = ConflictsLeft() == 0 && (m_outPath.empty() || path == m_outPath);
    return true;
}

bool CThreeWayDialog::OfferToSaveEdits()
{
    if (!m_result.IsEdited())
        return true;
    switch (Ask(this, ApplicationTitle(), merged::kSaveChangesQuestion, PromptIcon::Question,
                PromptButtons::YesNoCancel)) {
    case PromptAnswer::Yes:
        return Save();
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Ok:
    case PromptAnswer::Cancel:
        break;
    }
    return false;
}

void CThreeWayDialog::reject()
{
    close(); // Escape asks as the close box does
}

void CThreeWayDialog::closeEvent(QCloseEvent *event)
{
    if (!OfferToSaveEdits()) {
        event->ignore();
        return;
    }
    // Not QDialog's: it would call reject(), which closes.
    event->accept();
    done(ExitStatus());
}

} // namespace lindo
