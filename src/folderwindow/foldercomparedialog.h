#pragma once

// The Folder Comparison window: two folder boxes, Go, and a list that fills
// with one row per file of either tree and its state. A modeless top-level
// window that the main window creates and deletes.
//
// How the main window (the owner) drives it:
//   - create: std::make_unique<CFolderCompareDialog>(owner), then show();
//   - IsRunning(): a comparison is on the stack. While it is, the window must
//     not be deleted; RequestAbort() stops it at its next step instead, and the
//     window then runs its own close steps (see below) once it has stopped;
//   - StartComparison(folder1, folder2): the folder texts, then Go;
//   - the window's own close steps (its close box, or the end of a run that
//     was stopped to close) save both histories and its position, hide it,
//     and then call the owner's CloseFolderDialog() from the event loop; that
//     call is how the owner learns the window wants to go. Deleting the window
//     directly (not running) saves nothing.

#include "folderscan/folderscan.h"
#include "folderwindow/anchorlayout.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>

#include <memory>
#include <string>

class QLabel;
class QPushButton;

namespace lindo {

class CFolderListCtrl;
class CFolderPathComboBox;
class FolderWindowHost;

class CFolderCompareDialog : public QDialog, private FolderScanHost {
    Q_OBJECT
public:
    // A top-level window (no parent). The owner must outlive it.
    explicit CFolderCompareDialog(FolderWindowHost &owner);
    ~CFolderCompareDialog() override;

    bool IsRunning() const { return m_scan.IsRunning(); }
    bool IsAbortRequested() const { return m_bAbort; }
    // Asks a running comparison to stop at its next step. The caption stays
    // "Abort", so the window closes itself once the run has stopped.
    void RequestAbort() { m_bAbort = true; }

    // Puts the texts into the folder boxes and presses Go. Returns when the
    // run has ended; does nothing while a run is going on.
    void StartComparison(const QString &folder1, const QString &folder2);

    // The Go / Abort button.
    void OnGo();
    // The browse button of a side: a folder chooser for that box.
    void OnBrowse(int side);
    // A double-click on the list: the selected pair, if exactly one row is
    // selected, goes to the main window.
    void OnDoubleClick();

    // How often a run stops to handle pending events: at most once per
    // interval, and always at its first step.
    static constexpr int kPumpIntervalMs = 10;
    // How often the rows found meanwhile are put into the list (and the
    // count follows them): at the first of those stops after this interval,
    // and when the run ends.
    static constexpr int kShowRowsIntervalMs = 100;
    // Tests use 0 to have events handled, and rows shown, after every step.
    void SetPumpInterval(int milliseconds)
    {
        m_pumpIntervalMs = milliseconds;
        m_showRowsIntervalMs = milliseconds == 0 ? 0 : kShowRowsIntervalMs;
    }

    CFolderPathComboBox *FolderBox(int side) const;
    CFolderListCtrl *Results() const { return m_wndResults; }
    QString StatusText() const;
    QString CountText() const;
    QString GoCaption() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void OnInitDialog();
    void CreateControls();
    void RegisterAnchors();
    void InitResultList();
    // One run of the comparison; false when it ended by running the close steps.
    bool RunComparison();
    // Saves the histories and the position, hides the window and hands it
    // back to the owner.
    void RunCloseSteps();
    void UpdateCount();
    // Puts the rows found since the last time into the list, with the count.
    void ShowFoundRows();

    // FolderScanHost
    bool PumpMessages() override;
    std::string FolderPath(int side) override;
    int ReadFoldersShowSame() override;
    void OfferRow(const std::string &relativePath, FolderState state) override;
    void ShowStatus(std::string_view text) override;

    QLabel *m_wndCount = nullptr;
    QPushButton *m_btnBrowse1 = nullptr;
    QPushButton *m_btnBrowse2 = nullptr;
    QPushButton *m_btnGo = nullptr;
    QLabel *m_wndStatus = nullptr;
    CFolderListCtrl *m_wndResults = nullptr;
    CFolderPathComboBox *m_comboFolder2 = nullptr;
    CFolderPathComboBox *m_comboFolder1 = nullptr;
    bool m_bAbort = false;
    FolderWindowHost *m_pOwner; // not owned
    AnchorLayout m_layout;
    // The run itself; it keeps the trees of the last run until the next.
    FolderScan m_scan;
    bool m_bInitialised = false;
    QIcon m_hIcon;
    QElapsedTimer m_pumpClock; // since events were last handled; invalid before a run's first step
    int m_pumpIntervalMs = kPumpIntervalMs;
    QElapsedTimer m_showRowsClock; // since rows were last put into the list; invalid before a run's first step
    int m_showRowsIntervalMs = kShowRowsIntervalMs;
};

} // namespace lindo
