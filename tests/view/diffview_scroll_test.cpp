// How the two panes scroll together: linked lines brought level, unmatched
// stretches moving both panes alike, the other pane staying put past the
// end, no scroll echoing back, and the whole range reachable by the thumb.

#include "panehost.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace lindo::test {
namespace {

int Half(const CDiffView &view)
{
    return view.viewport()->height() / 2;
}

// The side-1 pane's middle line and where it lies within that line.
std::pair<int, int> MiddleOf(const CDiffView &view)
{
    const int y = view.ScrollPosition().y() + Half(view);
    return {y / view.LineHeight(), y % view.LineHeight()};
}

TEST(DiffViewScroll, LinkedLineAtTheMiddleIsBroughtLevelHoweverFarApart)
{
    PaneHost host;
    // Right line k + 900 is left line k.
    host.Compare(Lines(Numbered("c", 0, 300)), Lines(Concat({Numbered("r", 0, 900), Numbered("c", 0, 300)})));
    CDiffView &left = host.Left();
    CDiffView &right = host.Right();
    const int lh = left.LineHeight();
    for (int position : {600, 605, 1203, 2400}) {
        left.verticalScrollBar()->setValue(position); // as the user drags
        EXPECT_EQ(left.ScrollPosition().y(), position) << "the coupling must not echo back";
        const auto [middle, offset] = MiddleOf(left);
        EXPECT_EQ(right.ScrollPosition().y(), (middle + 900) * lh - Half(left) + offset) << "left at " << position;
        EXPECT_EQ(MiddleOf(right), std::make_pair(middle + 900, offset));
    }
}

TEST(DiffViewScroll, UnmatchedLinesMoveTheOtherPaneByTheSameAmount)
{
    PaneHost host;
    host.Compare(Lines(Concat({Numbered("c", 0, 50), Numbered("x", 0, 200), Numbered("c", 50, 50)})),
                 Lines(Numbered("c", 0, 100)));
    CDiffView &left = host.Left();
    CDiffView &right = host.Right();
    left.ScrollToPosition(QPoint(0, 100 * left.LineHeight()));
    right.ScrollToPosition(QPoint(0, 300));
    ASSERT_EQ(right.ScrollPosition().y(), 300) << "positioning one pane leaves the other";

    left.verticalScrollBar()->setValue(left.ScrollPosition().y() + 37);
    EXPECT_EQ(right.ScrollPosition().y(), 337);
    left.verticalScrollBar()->setValue(left.ScrollPosition().y() - 50);
    EXPECT_EQ(right.ScrollPosition().y(), 287);
}

TEST(DiffViewScroll, MiddlePastTheLastLineLeavesTheOtherPaneWhereItIs)
{
    PaneHost host;
    // The left file ends right above its pane's middle: the middle line is
    // the first one past its end.
    const int lines = MiddleOf(host.Left()).first;
    host.Compare(Lines(Numbered("c", 0, lines)), Lines(Numbered("c", 0, 200)));
    CDiffView &left = host.Left();
    CDiffView &right = host.Right();
    ASSERT_EQ(MiddleOf(left).first, lines);
    right.ScrollToPosition(QPoint(30, 500));

    left.horizontalScrollBar()->setValue(80);
    EXPECT_EQ(left.ScrollPosition().x(), 80);
    EXPECT_EQ(right.ScrollPosition(), QPoint(30, 500));

    EXPECT_EQ(left.SyncTarget(0, 24), QPoint(30, 500));
    left.OnScrollBy(0, 24);
    EXPECT_EQ(right.ScrollPosition(), QPoint(30, 500));
}

TEST(DiffViewScroll, SidewaysScrollTakesTheOtherPaneAlong)
{
    PaneHost host;
    host.Compare(Lines(Numbered("c", 0, 200)), Lines(Numbered("c", 0, 200)));
    CDiffView &left = host.Left();
    CDiffView &right = host.Right();
    left.ScrollToPosition(QPoint(0, 240));
    right.ScrollToPosition(QPoint(10, 240));

    left.horizontalScrollBar()->setValue(70);
    EXPECT_EQ(right.ScrollPosition(), QPoint(80, 240));
    right.horizontalScrollBar()->setValue(20);
    EXPECT_EQ(left.ScrollPosition(), QPoint(10, 240));
}

TEST(DiffViewScroll, WheelOnEitherPaneScrollsBoth)
{
    PaneHost host;
    host.Compare(Lines(Numbered("c", 0, 200)), Lines(Concat({Numbered("r", 0, 7), Numbered("c", 0, 200)})));
    CDiffView &left = host.Left();
    CDiffView &right = host.Right();
    right.ScrollToPosition(QPoint(0, 7 * right.LineHeight()));

    const QPoint at(50, 50);
    QWheelEvent wheel(at, right.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(right.viewport(), &wheel);
    ASSERT_GT(right.ScrollPosition().y(), 7 * right.LineHeight());
    // Right line k + 7 is left line k, so level means 7 lines apart.
    EXPECT_EQ(left.ScrollPosition().y(), right.ScrollPosition().y() - 7 * right.LineHeight());
}

TEST(DiffViewScroll, SiblingIsClampedToItsOwnRange)
{
    PaneHost host;
    // Left line 150 is right line 0: bringing it level would need a
    // negative position on the right.
    host.Compare(Lines(Concat({Numbered("x", 0, 150), Numbered("c", 0, 50)})), Lines(Numbered("c", 0, 50)));
    CDiffView &left = host.Left();
    host.Right().ScrollToPosition(QPoint(0, 200));
    left.verticalScrollBar()->setValue(150 * left.LineHeight() - Half(left) + 3);
    ASSERT_EQ(MiddleOf(left), std::make_pair(150, 3));
    EXPECT_EQ(host.Right().ScrollPosition().y(), 0);
}

QRect ThumbRect(QScrollBar &bar)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.subControls = QStyle::SC_All;
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar);
}

void SendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

TEST(DiffViewScroll, DraggingTheThumbReachesTheEndOfAHundredThousandLines)
{
    PaneHost host;
    const std::string text = Lines(Numbered("line ", 0, 100000));
    host.Compare(text, text);
    CDiffView &left = host.Left();
    QApplication::processEvents(); // lets the scroll bars show
    QScrollBar *bar = left.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    const int end = 100000 * left.LineHeight() + 5 - left.viewport()->height();
    ASSERT_EQ(bar->maximum(), end);

    const QRect thumb = ThumbRect(*bar);
    ASSERT_TRUE(thumb.isValid());
    const QPoint grab = thumb.center();
    const QPoint below(grab.x(), bar->height() + 40);
    SendMouse(bar, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    SendMouse(bar, QEvent::MouseMove, QPoint(grab.x(), bar->height() / 2), Qt::LeftButton);
    EXPECT_GT(left.ScrollPosition().y(), end / 4) << "the view follows while the thumb moves";
    SendMouse(bar, QEvent::MouseMove, below, Qt::LeftButton);
    SendMouse(bar, QEvent::MouseButtonRelease, below, Qt::NoButton);

    EXPECT_EQ(left.ScrollPosition().y(), end);
    EXPECT_EQ(left.HitTest(0, 99999 * left.LineHeight() - end + 1), left.SectionOfLine(99999));
    EXPECT_EQ(host.Right().ScrollPosition().y(), end) << "identical files scroll level";
}

} // namespace
} // namespace lindo::test
