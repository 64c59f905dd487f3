#include "merge/mergeddialog.h"

#include "engine/diffengine.h"
#include "engine/safewrite.h"
#include "merge/mergedwindowhost.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "uikit/comparedfileguard.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/filechoosers.h"
#include "uikit/findbar.h"
#include "uikit/prompt.h"
#include "uikit/windowplacement.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include <optional>
#include <sstream>

namespace lindo {

using namespace merged;

namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                         | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// The text area overlaps the bar's bottom border by this much.
constexpr int kTextOverlapsBar = 2;

std::string EightBit(const QString &text)
{
    return text.toLocal8Bit().toStdString();
}

} // namespace

QString TooltipOf(const QString &buttonString)
{
    const qsizetype newline = buttonString.indexOf(u'\n');
    return newline < 0 ? QString() : buttonString.mid(newline + 1, kMaxTooltipLength);
}

CMergedDialog::CMergedDialog(MergedWindowHost &owner)
    : QDialog(nullptr, kWindowFlags)
    , m_hIcon(kIconPath)
    , m_wndText(this)
    , m_pOwner(&owner)
    , m_sourceFiles(owner.ComparedFiles())
    , m_wndToolBar(this)
{
    OnCreate();
    CreateTemplateControls();
    CreateFindBar();
    OnInitDialog();
}

void CMergedDialog::CreateFindBar()
{
    m_findBar = new CFindBar(this);
    connect(m_findBar, &CFindBar::Find, this, &CMergedDialog::OnFind);
    connect(m_findBar, &CFindBar::Opened, this, [this] {
        m_lastFound.reset(); // a search in a bar opened again starts afresh
        RepositionControls();
    });
    connect(m_findBar, &CFindBar::Closed, this, &CMergedDialog::RepositionControls);
    auto *find = new QAction(this);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, m_findBar, &CFindBar::Open);
    addAction(find);
}

void CMergedDialog::OnFind(bool forward, bool again)
{
    const QString text = m_findBar->Text();
    if (text.isEmpty()) {
        m_findBar->SetNotice(QString());
        return;
    }
    m_wndText.FinishStreamingIn(); // the selection may move with the end as the rest arrives
    const std::pair selection{m_wndText.SelectionFrom(), m_wndText.SelectionTo()};
    TextPos from;
    if (again) {
        // Steps past the match found already.
        from = forward ? selection.second : selection.first;
    } else {
        // Typing searches from where it began, so a text made longer keeps
        // its match and one made shorter goes back to its earlier match. A
        // selection that is not the last match found starts it afresh.
        if (m_lastFound != selection)
            m_typingFrom = selection.first;
        from = m_typingFrom;
    }
    const TextMatch match = m_wndText.FindText(text, m_findBar->MatchCase(), from, forward);
    m_findBar->ShowResult(match, forward);
    if (match.Found()) {
        m_lastFound = {m_wndText.SelectionFrom(), m_wndText.SelectionTo()};
        if (again)
            m_typingFrom = m_lastFound->first;
    }
    UpdateLineStatus();
}

CMergedDialog::~CMergedDialog() = default;

void CMergedDialog::OnCreate()
{
    setWindowTitle(kTitle);
    ApplyDialogFont(this);
    resize(DluSize(kTemplateWidth, kTemplateHeight));
    setWindowIcon(m_hIcon);

    SetControlId(&m_wndText, kIdText);
    m_wndText.setGeometry(10, 10, 90, 40); // the layout replaces it
    m_wndText.m_pOwner = this;

    CreateToolBar();
    LoadMergedText();
}

void CMergedDialog::CreateToolBar()
{
    SetControlId(&m_wndToolBar, kToolBarControlId);
    m_wndToolBar.setMovable(false);
    m_wndToolBar.setFloatable(false);
    m_wndToolBar.setIconSize(kButtonImageSize);
    const auto addButton = [this](int id, const QString &buttonString, const QString &imagePath,
                                  void (CMergedDialog::*handler)()) {
        QAction *action = m_wndToolBar.addAction(QIcon(imagePath), buttonString.section(u'\n', 0, 0));
        action->setToolTip(TooltipOf(buttonString));
        SetControlId(m_wndToolBar.widgetForAction(action), id);
        connect(action, &QAction::triggered, this, handler);
    };
    addButton(kIdSave, kSaveString, kSaveImagePath, &CMergedDialog::OnSave);
    addButton(kIdSaveAs, kSaveAsString, kSaveAsImagePath, &CMergedDialog::OnSaveAs);
    auto *save = new QAction(this);
    save->setShortcut(QKeySequence::Save);
    save->setShortcutContext(Qt::WindowShortcut);
    connect(save, &QAction::triggered, this, &CMergedDialog::OnSave);
    addAction(save);

    // Make room for the bar: what exists moves down by its height and the
    // window grows by as much, so the template's area stays below the bar.
    const int barHeight = m_wndToolBar.sizeHint().height();
    m_wndToolBar.setGeometry(0, 0, width(), barHeight);
    m_wndText.move(m_wndText.pos() + QPoint(0, barHeight));
    resize(width(), height() + barHeight);
}

void CMergedDialog::CreateTemplateControls()
{
    m_wndText.setAccessibleName(QStringLiteral("Merged text"));
    m_editPlaceholder = new QLineEdit(this);
    SetControlId(m_editPlaceholder, kIdPlaceholder);
    m_editPlaceholder->setGeometry(DluRect(7, 227, 40, 12));
    m_editPlaceholder->hide();

    m_staticLineStatus = new QLabel(kLineStatusTemplateText, this);
    SetControlId(m_staticLineStatus, kIdLineStatus);
    m_staticLineStatus->setTextFormat(Qt::PlainText);
    m_staticLineStatus->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_staticLineStatus->setGeometry(DluRect(171, 231, 100, 8));
}

void CMergedDialog::OnInitDialog()
{
    RestoreWindowPos();
    RepositionControls();
    UpdateLineStatus();
    m_wndText.setFocus();
}

void CMergedDialog::DoDataExchange()
{
    m_staticLineStatus->setText(m_strLineStatus);
}

void CMergedDialog::LoadMergedText()
{
    DiffEngine &engine = m_pOwner->Engine();
    engine.BuildMergeList();
    std::ostringstream memory(std::ios::out | std::ios::binary);
    engine.WriteMergeTextAsUtf8(memory, true); // the text area breaks lines at CR LF
    m_encoding = engine.MergeEncoding();
    m_crLf = engine.MergeUsesCrLf();
    m_wndText.StreamIn(std::move(memory).str());
}

bool CMergedDialog::SaveMergedText(const QString &path)
{
    return WriteMergedText(EightBit(path));
}

bool CMergedDialog::WriteMergedText(const std::string &path)
{
    // The old file is replaced only once the new text is wholly written, so
    // a failure part way leaves it as it was.
    SafeFileWriter writer(path);
    if (writer.Open()) {
        Ask(this, kErrorCaption, kCouldNotCreate + QString::fromLocal8Bit(path), PromptIcon::Stop);
        return false;
    }
    std::optional<FileErrorCause> failure;
    const auto write = [&](std::string_view bytes) {
        failure = writer.Write(bytes);
        return !failure;
    };
    bool fellBack = false;
    if (m_crLf && m_encoding.IsPlainUtf8())
        m_wndText.StreamOut(write); // the text is the file's bytes
    else
        write(FileBytes(fellBack));
    if (!failure)
        failure = writer.Commit();
    if (failure) {
        Ask(this, kErrorCaption, QString::fromLocal8Bit(writer.FailureMessage(*failure)), PromptIcon::Stop);
        return false;
    }
    m_wndText.MarkSaved();
    m_savedPath = path;
    if (fellBack)
        Ask(this, ApplicationTitle(), kSavedAsUtf8.arg(QString::fromStdString(EncodingLabel(m_encoding))),
            PromptIcon::Information);
    return true;
}

bool CMergedDialog::StreamTextOut(const std::function<bool(std::string_view)> &sink)
{
    if (m_crLf && m_encoding.IsPlainUtf8())
        return m_wndText.StreamOut(sink);
    bool fellBack = false; // nobody to tell: the bytes are kept all the same
    return sink(FileBytes(fellBack));
}

std::string CMergedDialog::FileBytes(bool &fellBack)
{
    std::string text;
    m_wndText.StreamOut([&text](std::string_view bytes) {
        text += bytes;
        return true;
    });
    if (!m_crLf) {
        // The text area's line breaks are CR LF; each loses its CR. A CR
        // of a line's own stays: lines hold no LF, so it comes before a
        // break's CR, never right before an LF.
        std::size_t kept = 0;
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (!(text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n'))
                text[kept++] = text[at];
        }
        text.resize(kept);
    }
    std::string encoded(BomOf(m_encoding));
    fellBack = !EncodeText(text, m_encoding, encoded);
    return fellBack ? text : encoded;
}

bool CMergedDialog::OfferToSaveEdits()
{
    if (!m_wndText.IsEdited())
        return true;
    switch (Ask(this, ApplicationTitle(), kSaveChangesQuestion, PromptIcon::Question, PromptButtons::YesNoCancel)) {
    case PromptAnswer::Yes:
        return SaveMergeTo(DefaultMergeTarget());
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Ok:
    case PromptAnswer::Cancel:
        break;
    }
    return false;
}

void CMergedDialog::UpdateLineStatus()
{
    m_strLineStatus = kLineStatusFormat.arg(m_wndText.CaretLine());
    DoDataExchange();
}

void CMergedDialog::RepositionControls()
{
    const int barHeight = m_wndToolBar.height();
    const QSize status = m_staticLineStatus->size();
    // An open find bar sits between the text and the line status.
    const int findHeight = m_findBar && !m_findBar->isHidden() ? m_findBar->sizeHint().height() : 0;
    m_wndText.setGeometry(0, barHeight - kTextOverlapsBar, width(),
                          height() - status.height() - barHeight + 1 - findHeight);
    if (findHeight > 0)
        m_findBar->setGeometry(kLineStatusRightGap, m_wndText.geometry().bottom() + 1,
                               width() - 2 * kLineStatusRightGap, findHeight);
    m_staticLineStatus->move(width() - status.width() - kLineStatusRightGap, height() - status.height());
    for (QWidget *control : {static_cast<QWidget *>(&m_wndText), static_cast<QWidget *>(m_staticLineStatus)}) {
        control->show();
        control->raise();
    }
}

void CMergedDialog::RestoreWindowPos()
{
    // Placed before it is first shown, so showing brings it to the top.
    RestoreWindowRect(this, QString::fromLatin1(settings::kMergedWindowPos));
}

void CMergedDialog::SaveWindowPos()
{
    SaveWindowRect(this, QString::fromLatin1(settings::kMergedWindowPos));
}

std::string CMergedDialog::DefaultMergeTarget() const
{
    // Named after the comparison this text came from, whatever the main
    // window has compared since.
    return m_pOwner->MergeTargetFor(m_sourceFiles.empty() ? std::string() : m_sourceFiles.front());
}

void CMergedDialog::OnSave()
{
    SaveMergeTo(DefaultMergeTarget());
}

void CMergedDialog::OnSaveAs()
{
    QString path = QString::fromLocal8Bit(DefaultMergeTarget());
    if (ChooseFileToSave(path, kSaveAsTitle, this))
        SaveMergeTo(EightBit(path));
}

bool CMergedDialog::SaveMergeTo(const std::string &path)
{
    // With no merge folder the default target is the first file's own name,
    // relative to the working directory: often that very file. The files
    // checked are those this text came from, whatever the main window has
    // compared since.
    return MayWriteMergeTo(this, path, m_sourceFiles, m_savedPath) && WriteMergedText(path);
}

void CMergedDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_wndToolBar.setGeometry(0, 0, width(), m_wndToolBar.height());
    if (m_editPlaceholder)
        RepositionControls();
}

void CMergedDialog::reject()
{
    // Escape goes the way of the close box: hiding the window alone would
    // leave the owner's toggle checked over a window nobody can bring back.
    close();
}

void CMergedDialog::closeEvent(QCloseEvent *event)
{
    if (!OfferToSaveEdits()) {
        event->ignore();
        return;
    }
    SaveWindowPos();
    // Not QDialog's: it would call reject(), which closes.
    QWidget::closeEvent(event);
    // The owner deletes this window; it does so from the event loop, once the
    // close under way has let go of the window.
    MergedWindowHost *owner = m_pOwner;
    QMetaObject::invokeMethod(this, [owner] { owner->CloseMergedWindow(); }, Qt::QueuedConnection);
}

void CMergedDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        UpdateLineStatus();
    QDialog::mouseReleaseEvent(event);
}

} // namespace lindo
