#pragma once

// The Three-way Merge window: FILE1, BASE and FILE2 side by side, read-only,
// over the editable result of their merge. The result starts as the merge
// takes it, every conflict between git's markers; a conflict is open while
// its markers are in the result, so an undo that brings them back opens it
// again. Every choice and edit is one step of the result's undo.
//
// The window runs on its own (the window program's three-file form); its
// exit status is ExitStatus() once it has closed.

#include "merge/mergededitctrl.h"
#include "threeway/resultmap.h"
#include "threeway/threewaytext.h"

#include <QDialog>
#include <QToolBar>

#include <array>
#include <string>
#include <vector>

class QLabel;

namespace lindo {

class CThreeWayPane;
class DiffEngine;

class CThreeWayDialog : public QDialog {
    Q_OBJECT

public:
    // `outPath`: where Save writes; empty: Save asks, as Save As does.
    CThreeWayDialog(ThreeWayText text, std::string outPath);
    ~CThreeWayDialog() override;

    // 0 when the last save wrote a result with no conflict left, 1 otherwise.
    int ExitStatus() const { return m_savedClean ? 0 : 1; }
    int ConflictsLeft() const;
    int TotalConflicts() const { return static_cast<int>(m_text.Merge().conflicts); }
    // The stretch the caret is in (-1: none), and whether it is an open conflict.
    int CurrentStretch() const;
    bool IsOpenConflict(int stretch) const;
    // What the result's stretch shows, for its colour.
    QColor StretchColour(int stretch) const;

    // The commands, as their buttons and keys give them.
    void TakeForCurrent(Take take);
    void GoToConflict(bool forward);
    bool Save();
    bool SaveAs();
    // Before the window goes: asks about unsaved edits. True when it may go.
    bool OfferToSaveEdits();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Building.
    void CreateToolBar();
    void CreateLayout();
    void FillPanes();
    void FillPane(int file, const DiffEngine &settings);
    void LoadResult();

    // Commands.
    // The first open conflict past `stretch` (before it, going back).
    void GoToConflictAfter(int stretch, bool forward);
    void ReplaceStretch(int stretch, Take take);
    void OnLinesChanged(const LinesChange &change);
    bool WriteResult(const std::string &path);
    bool MaySaveWithConflicts();
    void UpdateStatus();

    // Scrolling together, stretch by stretch: view 0-2 a pane, 3 the result.
    int ViewFirstLine(int view, int stretch) const;
    int ViewLineCount(int view, int stretch) const;
    int StretchAtViewLine(int view, int line) const;
    void OnScrolled(int view, int top);
    void PaintResultColours();

    ThreeWayText m_text;
    std::string m_outPath;
    std::string m_savedPath; // the file the last save wrote
    bool m_savedClean = false;
    ResultMap m_map;
    int m_replacing = -1; // the stretch a choice is replacing, while it does
    int m_replacingLineCount = 0; // and the lines it puts there
    // The stretch each edit step made a choice for, by steps done; -1: an
    // edit by hand.
    std::vector<int> m_choiceAt;
    bool m_syncing = false;
    QToolBar m_toolBar;
    CMergedEditCtrl m_result;
    std::array<CThreeWayPane *, 3> m_panes{}; // children
    QLabel *m_resultHeading = nullptr; // a child
    QLabel *m_status = nullptr; // a child
};

} // namespace lindo
