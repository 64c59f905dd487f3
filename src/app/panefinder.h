#pragma once

// Finding text in the main window's panes: Ctrl+F opens a find bar under the
// panes that searches the pane that last had the focus (the left one until
// then), and Ctrl+G asks for a line number and brings that line to the middle
// of that pane. A found line is shown the way change navigation shows a
// change, so the other pane follows it.

#include "uikit/textsearch.h"

#include <QObject>

#include <cstddef>

class QWidget;

namespace lindo {

class CDiffView;
class CFindBar;

namespace panefinder {
inline const QString kGoToLineCaption = QStringLiteral("Go To Line");
inline const QString kGoToLineText = QStringLiteral("Line number (0 - %1):");
} // namespace panefinder

class CPaneFinder : public QObject {
    Q_OBJECT

public:
    // Adds the bar (hidden) and the two keys to `window`.
    CPaneFinder(QWidget *window, CDiffView *left, CDiffView *right);

    CFindBar *Bar() const { return m_bar; }
    // The bar's height while it is shown, 0 while it is not.
    int BarHeight() const;
    void OpenBar();
    void GoToLine();
    CDiffView *SearchPane() const;

signals:
    // The bar was shown or hidden: the window lays its panes out again.
    void LayoutChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnFind(bool forward, bool again);
    void ClearMarks();

    QWidget *m_window;
    CDiffView *m_panes[2];
    CFindBar *m_bar = nullptr;
    int m_lastSide = 1;
    // Where typing searches from: the middle line when the search began, then
    // the last match a step reached.
    int m_startLine = -1;
    std::size_t m_startByte = 0;
};

} // namespace lindo
