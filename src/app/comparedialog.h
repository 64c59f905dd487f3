#pragma once

// The main window: two path boxes, a toolbar of eight commands, the two
// comparison panes with their change gutters, and a status line. It owns the
// comparison engine and the two companion windows (Merged, Folder Comparison).

#include "app/filewatch.h"
#include "engine/diffengine.h"
#include "folderwindow/folderwindowhost.h"
#include "merge/mergedwindowhost.h"
#include "settingssheet/settingscommandhost.h"
#include "settingsstore/freshsetting.h"
#include "settingsstore/settingsnames.h"
#include "view/diffviewhost.h"

#include <QDialog>
#include <QIcon>
#include <QRect>

#include <memory>

class QAction;
class QLabel;
class QPushButton;
class QToolBar;

namespace lindo {

class CDiffView;
class CFolderCompareDialog;
class CMergedDialog;
class CPaneFinder;
class CPathComboBox;

class CCompareDialog : public QDialog,
                       public DiffViewHost,
                       public MergedWindowHost,
                       public SettingsCommandHost,
                       public FolderWindowHost,
                       private FileErrorReporter {
    Q_OBJECT
public:
    explicit CCompareDialog(QWidget *parent = nullptr);
    ~CCompareDialog() override;

    // DiffViewHost
    CDiffView *GetView(int side) override;

    // Services the companion windows and the settings call back into.
    void CompareFiles(const std::string &path1, const std::string &path2) override;
    bool CloseFolderDialog() override;
    void CloseMergedWindow() override;
    QString GetMergeDirectory() override;
    QString MakeMergeTarget(const QString &directory);
    std::string DefaultMergeTarget();
    std::string MergeTargetFor(const std::string &firstFile) override;
    std::vector<std::string> ComparedFiles() override { return m_comparedFiles; }
    void EnsureMergeFolder(const QString &folder) override;
    int ReadFoldersShowSame() override;
    DiffEngine &Engine() override { return m_engine; }
    QWidget *Window() override { return this; }
    void RepaintPanes() override;
    void CompareAgain() override;

    // Ending the program without the usual close: a session that ends, or
    // SIGTERM/SIGHUP/SIGINT. The first asks about unsaved merged text as closing
    // does (false: the user wants to stay); the second keeps such text in the
    // recovery file without asking (false: there was some and it could not
    // be kept).
    bool MayEndSession();
    bool KeepUnsavedMergedText();

    void SetStatusText(const QString &text);
    QString StatusText() const;
    void LayoutControls();
    // A pane's rectangle in client pixels, from the window's outer size.
    QRect GetPaneRect(int side) const;

    // Commands.
    void OnCompare();
    void OnCompareFolders();
    void OnMergeToScreen();
    void OnMergeToFile();
    void OnPrevChange();
    void OnNextChange();
    void OnSettings();
    void OnAbout();

    // The toolbar button of a command, for its enabled and checked states.
    QAction *CommandAction(int command) const;
    // Recomputes every command's enabled and checked state from what it depends on.
    void UpdateCommandStates();

    CPathComboBox *FirstPathBox() const { return m_comboFirst; }
    CPathComboBox *SecondPathBox() const { return m_comboSecond; }
    QToolBar *ToolBar() const { return m_toolBar; }
    CPaneFinder *Finder() const { return m_finder; }
    CMergedDialog *MergedDialog() const { return m_pMergedDialog.get(); }
    CFolderCompareDialog *FolderDialog() const { return m_pFolderDialog.get(); }
    // The line under the toolbar that tells of compared files changed on disk; hidden otherwise.
    QLabel *ChangedNotice() const { return m_changedNotice; }
    // Opens the Folder Comparison window (when it is not open) and runs it on two folders.
    void CompareFolders(const QString &folder1, const QString &folder2);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Escape: ends the program at once, but not over unsaved merged text.
    void reject() override;

private:
    void OnInitDialog();
    void CreateControls();
    void InsertToolBar();
    // Runs a checkable command's handler whenever its state changes.
    void BindToggle(int command, void (CCompareDialog::*handler)());
    // Whether the companion window of a checkable command exists.
    bool CompanionOpen(int command) const;
    void CreatePanes();
    void LoadSettings();
    void SaveSettings();
    void OnBrowse(CPathComboBox *box);
    // The merge folder's bytes.
    std::string MergeDirectoryPath();
    // The first file of the comparison on screen; empty when there is none.
    std::string ShownFirstFile() const;
    // Draws the gutter's marks that fall in `area`.
    void DrawChangeGutter(QPainter &painter, int side, const QRect &area);
    void DrawSeparatorMark(QPainter &painter);
    void DrawToolBarEtch(QPainter &painter);
    bool GutterClick(int side, QPoint point);
    QRect PaneRectInClient(const CDiffView *pane) const;
    QRect OuterRectInClient() const;
    void ReportFileError(const std::string &message) override;
    // Watches the files of a comparison that has just loaded, in place of those before, and hides the notice.
    void WatchComparedFiles(std::vector<WatchedFile> files);
    void ShowChangedNotice(bool shown);
    // How far the notice, while shown, moves the path boxes and panes down.
    int NoticeRoom() const;

    CPathComboBox *m_comboSecond = nullptr;
    CPathComboBox *m_comboFirst = nullptr;
    QIcon m_hIcon;
    CDiffView *m_pViewLeft = nullptr;  // child window
    CDiffView *m_pViewRight = nullptr; // child window
    DiffEngine m_engine;
    QToolBar *m_toolBar = nullptr;
    QPushButton *m_browseFirst = nullptr;
    QPushButton *m_browseSecond = nullptr;
    QLabel *m_status = nullptr;
    CPaneFinder *m_finder = nullptr; // Ctrl+F and Ctrl+G over the panes; a child
    // Companions: top-level windows of their own, destroyed only by the two close operations.
    std::unique_ptr<CFolderCompareDialog> m_pFolderDialog;
    std::unique_ptr<CMergedDialog> m_pMergedDialog;
    // The paths (bytes) of the last comparison that loaded; kept when a later load fails.
    std::vector<std::string> m_comparedFiles;
    FileWatch m_fileWatch;
    QLabel *m_changedNotice = nullptr;
    // Read at every identical pair of a folder scan: afresh whenever the file changed.
    FreshSettingNumber m_foldersShowSame{QString::fromLatin1(settings::kFoldersShowSame),
                                         settings::kDefaultFoldersShowSame};
};

} // namespace lindo
