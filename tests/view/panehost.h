#pragma once

// Two comparison panes side by side over one engine, hosted the way the
// main window hosts them: each pane starts with a 200 x 200 scroll mapping,
// is attached to its side and finds its sibling through GetView.

#include "engine/diffengine.h"
#include "view/diffview.h"
#include "view/diffviewhost.h"

#include <QImage>
#include <QWidget>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace lindo::test {

class PaneHost : public QWidget, public DiffViewHost {
public:
    // Panes of the given outer size, the right one `gap` pixels right of the left one.
    explicit PaneHost(QSize leftSize = QSize(320, 240), QSize rightSize = QSize(320, 240), int gap = 23);

    CDiffView *GetView(int side) override;

    // Loads the two texts, compares them and updates both panes as the
    // comparison command does.
    void Compare(std::string_view text1, std::string_view text2);

    // Compares two identical texts of count lines, numbered fillers
    // ("<filler>0", ...) and then `last`, and scrolls the left pane to the
    // bottom; where the last line's band starts in its viewport.
    int CompareAndShowLast(std::string_view filler, int count, std::string_view last);

    CDiffView &Left() { return *m_left; }
    CDiffView &Right() { return *m_right; }
    CDiffView &Pane(int side) { return side == 1 ? *m_left : *m_right; }

    DiffEngine engine;

private:
    CDiffView *m_left;
    CDiffView *m_right;
};

// The lines joined with "\n" after each.
std::string Lines(const std::vector<std::string> &lines);

// "<prefix>0\n<prefix>1\n..." for count lines starting at `from`.
std::vector<std::string> Numbered(std::string_view prefix, int from, int count);

// The lists one after the other.
std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts);

// What the pane's viewport shows now.
QImage GrabViewport(CDiffView &view);

} // namespace lindo::test
