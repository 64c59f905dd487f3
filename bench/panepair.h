#pragma once

// Two comparison panes side by side over one engine, set up the way the main
// window sets them up; shared by the programs under bench/ that drive panes.

#include "engine/diffengine.h"
#include "view/diffview.h"
#include "view/diffviewhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <string_view>

namespace lindo::bench {

class PanePair : public QWidget, public DiffViewHost {
public:
    explicit PanePair(QSize paneSize, int gap = 23)
        : m_left(new CDiffView(this))
        , m_right(new CDiffView(this))
    {
        engine.colorIdentical = DiffEngine::defaultColorIdentical;
        engine.colorDifferent = DiffEngine::defaultColorDifferent;
        engine.colorInserted = DiffEngine::defaultColorInserted;
        m_left->setGeometry(QRect(QPoint(8, 8), paneSize));
        m_right->setGeometry(QRect(QPoint(8 + paneSize.width() + gap, 8), paneSize));
        resize(16 + 2 * paneSize.width() + gap, 16 + paneSize.height());
        for (int side = 1; side <= 2; ++side) {
            Pane(side).setFrameStyle(QFrame::Box | QFrame::Plain);
            Pane(side).SetScrollSizes(QSize(200, 200));
            Pane(side).Attach(side, engine);
        }
    }

    // Shows the window and waits (a few seconds at most) until it can be painted.
    void ShowAndWait()
    {
        show();
        QElapsedTimer clock;
        clock.start();
        while (!(windowHandle() && windowHandle()->isExposed()) && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        QApplication::processEvents();
    }

    CDiffView *GetView(int side) override { return side == 1 ? m_left : side == 2 ? m_right : nullptr; }
    CDiffView &Pane(int side) { return side == 1 ? *m_left : *m_right; }

    void Compare(std::string_view text1, std::string_view text2)
    {
        engine.LoadTexts(text1, text2);
        engine.Compare();
        for (int side = 1; side <= 2; ++side) {
            Pane(side).UpdateScrollSizes();
            Pane(side).viewport()->update();
        }
    }

    DiffEngine engine;

private:
    CDiffView *m_left;
    CDiffView *m_right;
};

} // namespace lindo::bench
