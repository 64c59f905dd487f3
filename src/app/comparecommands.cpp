// The main window's commands, its close sequence and the services the
// companion windows call back into.

#include "app/comparedialog.h"

#include "app/aboutdialog.h"
#include "app/comparedialogids.h"
#include "app/recoveryfile.h"
#include "engine/pathtext.h"
#include "folderwindow/foldercomparedialog.h"
#include "merge/mergeddialog.h"
#include "merge/mergetargetdialog.h"
#include "settingssheet/settingscommand.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "uikit/comparedfileguard.h"
#include "uikit/pathcombobox.h"
#include "uikit/prompt.h"
#include "view/diffview.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QToolBar>

#include <filesystem>

namespace lindo {

using namespace mainwindow;

namespace {

std::string Local8Bit(const QString &text)
{
    return text.toLocal8Bit().toStdString();
}

// Shows the wait cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// The merge target in a folder for a comparison whose first file was
// `firstFile`: always that file's name, whichever file the output mostly
// comes from. With no comparison, the folder itself.
std::string MergeTargetIn(const std::string &directory, const std::string &firstFile)
{
    if (firstFile.empty())
        return directory;
    std::string result = directory;
    if (!result.empty())
        result += kPathSeparator;
    result += NamePart(firstFile);
    return result;
}

// How a compared file's text is written, as its path box's tooltip tells it.
QString FormText(const TextForm &form)
{
    return kFileFormFormat.arg(QString::fromStdString(EncodingLabel(form.encoding)),
                               QString::fromLatin1(LineEndsLabel(form.lineEnds)));
}

// The status after a comparison: "Ready", unless the files hold the same
// lines in different bytes; then what differs.
QString ComparedStatus(const DiffEngine &engine)
{
    const SurfaceDifference difference = engine.LoadedDifference();
    if (difference.encoding && difference.lineEnds)
        return kStatusOnlyEncodingAndLineEnds;
    if (difference.encoding)
        return kStatusOnlyEncoding;
    return difference.lineEnds ? kStatusOnlyLineEnds : mainwindow::kStatusReady;
}

void CreateFolder(const std::string &path)
{
    std::error_code ignored; // it may exist already, or may not be creatable
    std::filesystem::create_directory(path, ignored);
}

} // namespace

QAction *CCompareDialog::CommandAction(int command) const
{
    for (QAction *action : m_toolBar->actions()) {
        if (action->property("lindoCommand").toInt() == command)
            return action;
    }
    return nullptr;
}

void CCompareDialog::UpdateCommandStates()
{
    const bool compared = m_engine.IsCompared();
    const struct {
        int command;
        bool enabled;
        bool checked;
    } states[] = {
        {kCmdCompare, true, false},
        {kCmdCompareFolders, true, m_pFolderDialog != nullptr},
        {kCmdMergeToScreen, compared, m_pMergedDialog != nullptr},
        {kCmdMergeToFile, compared, false},
        {kCmdPrevChange, compared, false},
        {kCmdNextChange, compared, false},
        {kCmdSettings, true, false},
        {kCmdAbout, true, false},
    };
    for (const auto &state : states) {
        if (QAction *action = CommandAction(state.command)) {
            action->setEnabled(state.enabled);
            if (action->isCheckable())
                action->setChecked(state.checked);
        }
    }
}

void CCompareDialog::OnCompare()
{
    WaitCursor wait;
    SetStatusText(mainwindow::kStatusComparing);
    const std::string first = m_comboFirst->GetPath();
    const std::string second = m_comboSecond->GetPath();
    std::vector<WatchedFile> looked =
        FileWatch::Look({QString::fromLocal8Bit(first), QString::fromLocal8Bit(second)});
    // A failed load has been reported by the engine already; the rest goes on.
    // The comparison on screen stays, and so does the watch over its files.
    const bool loaded = m_engine.Load(first, second);
    if (loaded) {
        m_engine.Compare();
        m_comparedFiles = {first, second};
        WatchComparedFiles(std::move(looked));
        m_comboFirst->setToolTip(FormText(m_engine.LoadedForm(1)));
        m_comboSecond->setToolTip(FormText(m_engine.LoadedForm(2)));
    }
    m_comboFirst->AddToHistory();
    m_comboSecond->AddToHistory();
    m_pViewLeft->UpdateScrollSizes();
    m_pViewRight->UpdateScrollSizes();
    RepaintPanes();
    update();
    UpdateCommandStates();
    // Paint requests for the new comparison, and input that arrived meanwhile.
    QCoreApplication::processEvents();
    m_pViewLeft->UpdateScrollSizes();
    m_pViewRight->UpdateScrollSizes();
    SetStatusText(loaded ? ComparedStatus(m_engine) : mainwindow::kStatusReady);
}

void CCompareDialog::CompareFiles(const std::string &path1, const std::string &path2)
{
    m_comboFirst->SetPath(path1);
    m_comboSecond->SetPath(path2);
    OnCompare();
}

void CCompareDialog::CompareAgain()
{
    // The files on screen, not what the path boxes show: other paths may have been typed since.
    if (m_comparedFiles.empty())
        return;
    CompareFiles(m_comparedFiles[0], m_comparedFiles[1]);
}

void CCompareDialog::RepaintPanes()
{
    m_pViewLeft->viewport()->update();
    m_pViewRight->viewport()->update();
}

void CCompareDialog::OnPrevChange()
{
    m_pViewLeft->GoPrevChange();
}

void CCompareDialog::OnNextChange()
{
    m_pViewLeft->GoNextChange();
}

void CCompareDialog::OnAbout()
{
    CAboutDialog about(this);
    about.exec();
}

void CCompareDialog::OnMergeToFile()
{
    CMergeTargetDialog prompt(this);
    prompt.m_strPath = MakeMergeTarget(GetMergeDirectory());
    if (prompt.exec() != QDialog::Accepted)
        return;
    const std::string path = Local8Bit(prompt.m_strPath);
    if (!MayWriteMergeTo(this, path, m_comparedFiles))
        return;
    EnsureMergeFolder(QString::fromLocal8Bit(FolderPart(path)));
    WaitCursor wait;
    m_engine.BuildMergeList();
    m_engine.WriteMergeFile(path); // failures are reported by the engine
}

QString CCompareDialog::GetMergeDirectory()
{
    if (!m_engine.mergeDirectory.empty())
        return QString::fromLocal8Bit(m_engine.mergeDirectory);
    return SettingsStore().ReadText(QString::fromLatin1(settings::kMergePath)).value_or(QString());
}

QString CCompareDialog::MakeMergeTarget(const QString &directory)
{
    return QString::fromLocal8Bit(MergeTargetIn(Local8Bit(directory), ShownFirstFile()));
}

std::string CCompareDialog::ShownFirstFile() const
{
    // The comparison on screen, not what the first path box says now.
    return m_engine.IsCompared() && !m_comparedFiles.empty() ? m_comparedFiles.front() : std::string();
}

std::string CCompareDialog::MergeDirectoryPath()
{
    // The folder's own bytes where there are some: a name that is not valid text survives.
    return m_engine.mergeDirectory.empty() ? Local8Bit(GetMergeDirectory()) : m_engine.mergeDirectory;
}

std::string CCompareDialog::DefaultMergeTarget()
{
    return MergeTargetFor(ShownFirstFile());
}

std::string CCompareDialog::MergeTargetFor(const std::string &firstFile)
{
    return MergeTargetIn(MergeDirectoryPath(), firstFile);
}

void CCompareDialog::EnsureMergeFolder(const QString &folderText)
{
    // Every ancestor below the root is created in turn, parent first, then
    // the folder itself; a failure (it exists, or cannot be made) is ignored.
    const std::string folder = Local8Bit(folderText);
    std::vector<std::string> parts;
    for (std::size_t at = 0; at < folder.size();) {
        while (at < folder.size() && IsPathSeparator(folder[at]))
            ++at;
        std::size_t end = at;
        while (end < folder.size() && !IsPathSeparator(folder[end]))
            ++end;
        if (end > at)
            parts.emplace_back(folder.substr(at, end - at));
        at = end;
    }
    std::string prefix = !folder.empty() && IsPathSeparator(folder.front()) ? std::string(1, kPathSeparator) : "";
    for (std::size_t n = 0; n + 1 < parts.size(); ++n) {
        if (!prefix.empty() && !IsPathSeparator(prefix.back()))
            prefix += kPathSeparator;
        prefix += parts[n];
        CreateFolder(prefix);
    }
    if (!folder.empty())
        CreateFolder(folder);
    m_engine.mergeDirectory = folder;
    SettingsStore().WriteText(QString::fromLatin1(settings::kMergePath), folderText);
}

int CCompareDialog::ReadFoldersShowSame()
{
    return m_foldersShowSame.Read();
}

void CCompareDialog::OnMergeToScreen()
{
    if (m_pMergedDialog) {
        if (m_pMergedDialog->OfferToSaveEdits())
            CloseMergedWindow();
        return;
    }
    // A top-level window of its own, not owned by this one; it takes its text now.
    m_pMergedDialog = std::make_unique<CMergedDialog>(*this);
    m_pMergedDialog->show();
    UpdateCommandStates();
}

void CCompareDialog::CloseMergedWindow()
{
    if (!m_pMergedDialog)
        return;
    m_pMergedDialog.reset();
    UpdateCommandStates();
}

bool CCompareDialog::MayEndSession()
{
    return !m_pMergedDialog || m_pMergedDialog->OfferToSaveEdits();
}

bool CCompareDialog::KeepUnsavedMergedText()
{
    if (!m_pMergedDialog || !m_pMergedDialog->HasUnsavedEdits())
        return true;
    return WriteRecoveryFile([this](const std::function<bool(std::string_view)> &sink) {
        return m_pMergedDialog->StreamTextOut(sink);
    });
}

void CCompareDialog::OnCompareFolders()
{
    if (m_pFolderDialog) {
        CloseFolderDialog(); // while a scan runs this only asks it to stop
        return;
    }
    // A top-level window of its own, not owned by this one.
    m_pFolderDialog = std::make_unique<CFolderCompareDialog>(*this);
    m_pFolderDialog->show();
    UpdateCommandStates();
}

void CCompareDialog::CompareFolders(const QString &folder1, const QString &folder2)
{
    if (!m_pFolderDialog)
        OnCompareFolders();
    // The run is synchronous and drains events: start it from the event loop.
    QTimer::singleShot(0, m_pFolderDialog.get(), [window = m_pFolderDialog.get(), folder1, folder2] {
        window->StartComparison(folder1, folder2);
    });
}

bool CCompareDialog::CloseFolderDialog()
{
    if (!m_pFolderDialog)
        return true;
    if (m_pFolderDialog->IsRunning()) {
        // It stops at its next step and then runs its own close steps.
        m_pFolderDialog->RequestAbort();
        return false;
    }
    m_pFolderDialog.reset();
    UpdateCommandStates(); // this call may come from the event loop, not from a toolbar button
    return true;
}

void CCompareDialog::OnSettings()
{
    RunSettingsCommand(*this);
}

void CCompareDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (m_pFolderDialog
        && Ask(this, ApplicationTitle(), kFolderDialogStillOpen, PromptIcon::None, PromptButtons::YesNo)
               == PromptAnswer::No)
        return;
    if (m_pMergedDialog && !m_pMergedDialog->OfferToSaveEdits())
        return;
    SaveSettings();
    if (!CloseFolderDialog())
        return; // a running scan was asked to stop; the user closes again
    CloseMergedWindow();
    done(QDialog::Rejected);
}

void CCompareDialog::reject()
{
    if (m_pMergedDialog && !m_pMergedDialog->OfferToSaveEdits())
        return;
    QDialog::reject();
}

} // namespace lindo
