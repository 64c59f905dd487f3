// The pane's commands: stepping to the next or previous change, the section
// context menu with Copy and Properties, and the double-click that toggles a
// section in or out of the merge.

#include "exampletexts.h"
#include "panehost.h"
#include "support/modaldialog.h"
#include "support/scriptedprompter.h"

#include "uikit/controlid.h"
#include "uikit/prompt.h"
#include "view/sectionpropertiesdialog.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>

namespace lindo::test {
namespace {

// Collects the areas painted on a widget.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion painted;
};

class DiffViewCommands : public testing::Test {
protected:
    // A context menu request at a viewport point of the pane.
    static void RightClick(CDiffView &pane, QPoint at)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, pane.viewport()->mapToGlobal(at));
        QApplication::sendEvent(pane.viewport(), &event);
    }

    static QPoint OnLine(const CDiffView &pane, int line)
    {
        return QPoint(40, line * pane.LineHeight() - pane.ScrollPosition().y() + pane.LineHeight() / 2);
    }

    test::ScriptedPrompter prompter;
};

TEST_F(DiffViewCommands, HitTestFindsTheSectionUnderAPointAndNothingBelowTheLastLine)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    const int lh = left.LineHeight();
    EXPECT_EQ(left.HitTest(500, 0), 0);
    EXPECT_EQ(left.HitTest(0, 2 * lh + 3), 1);
    EXPECT_EQ(left.HitTest(0, 3 * lh), 2);
    EXPECT_EQ(left.HitTest(0, 5 * lh - 1), 3);
    EXPECT_EQ(left.HitTest(0, 5 * lh), -1);
    EXPECT_EQ(left.HitTest(0, 5 * lh + 1), -1);
    EXPECT_EQ(left.MiddleLine(), left.viewport()->height() / 2 / lh);
}

// Next/previous change from given middle lines of both panes; the result is
// the middle line each pane shows afterwards.
struct ChangeStepCase {
    const char *name;
    std::vector<std::string> left;
    std::vector<std::string> right;
    int leftStart; // line brought to the middle before the step, -1 for the top
    int rightStart;
    bool next;
    int leftMiddle;
    int rightMiddle;
};

void PrintTo(const ChangeStepCase &row, std::ostream *out)
{
    *out << row.name;
}

class DiffViewChangeSteps : public DiffViewCommands, public testing::WithParamInterface<ChangeStepCase> {};

TEST_P(DiffViewChangeSteps, NearerChangeWinsAndTheOtherPaneFollows)
{
    const ChangeStepCase &row = GetParam();
    PaneHost host;
    host.Compare(Lines(row.left), Lines(row.right));
    for (int side = 1; side <= 2; ++side) {
        const int start = side == 1 ? row.leftStart : row.rightStart;
        if (start >= 0)
            host.Pane(side).ScrollToLine(start, false);
    }
    if (row.next)
        host.Left().GoNextChange();
    else
        host.Left().GoPrevChange();
    EXPECT_TRUE(prompter.requests.empty());
    EXPECT_EQ(host.Left().MiddleLine(), row.leftMiddle);
    EXPECT_EQ(host.Right().MiddleLine(), row.rightMiddle);
}

// Left: c0..c39, X (only here), c40..c79. Right: c0..c11, Y (only here), c12..c79.
const auto kLeftFar = Concat({Numbered("c", 0, 40), {"X"}, Numbered("c", 40, 40)});
const auto kRightNear = Concat({Numbered("c", 0, 12), {"Y"}, Numbered("c", 12, 68)});
// Left: c0..c29, X, c30..c59. Right: Y, Z and W inserted before c10, c19 and c28.
const auto kLeftTie = Concat({Numbered("c", 0, 30), {"X"}, Numbered("c", 30, 30)});
const auto kRightTie = Concat({Numbered("c", 0, 10), {"Y"}, Numbered("c", 10, 9), {"Z"}, Numbered("c", 19, 9), {"W"},
                               Numbered("c", 28, 32)});

INSTANTIATE_TEST_SUITE_P(
    Rows, DiffViewChangeSteps,
    testing::Values(
        // Right's change at 12 beats left's at 40; left shows the line after
        // the stretch that precedes Y.
        ChangeStepCase{"NextRightNearer", kLeftFar, kRightNear, -1, -1, true, 12, 12},
        // Both next changes start at line 30: the left pane goes first and the
        // right one follows to the place after left's preceding stretch (33).
        // Had the right gone first, left would show 28.
        ChangeStepCase{"NextTieGoesLeft", kLeftTie, kRightTie, -1, 25, true, 30, 33},
        // From line 70 the previous changes are left 40 and right 12: the larger wins.
        ChangeStepCase{"PrevLeftLarger", kLeftFar, kRightNear, 70, 70, false, 40, 41},
        ChangeStepCase{"PrevRightLarger", kRightNear, kLeftFar, 70, 70, false, 41, 40}),
    [](const testing::TestParamInfo<ChangeStepCase> &info) { return std::string(info.param.name); });

TEST_F(DiffViewCommands, PreviousChangeReachesAChangeInTheFirstSection)
{
    PaneHost host;
    host.Compare(Lines(Concat({{"X"}, Numbered("c", 0, 100)})), Lines(Numbered("c", 0, 100)));
    host.Left().ScrollToLine(50, false);
    host.Right().ScrollToLine(49, false);
    EXPECT_EQ(host.Left().PrevChangeLine(), 0);
    EXPECT_EQ(host.Right().PrevChangeLine(), -1);
    host.Left().GoPrevChange();
    EXPECT_EQ(host.Left().ScrollPosition().y(), 0);
    EXPECT_EQ(host.Right().ScrollPosition().y(), 0);
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(DiffViewCommands, NoMoreChangesPastTheLastChangeOfBothFiles)
{
    PaneHost host;
    host.Compare(Lines(Concat({Numbered("c", 0, 50), Numbered("x", 0, 30)})),
                 Lines(Concat({Numbered("c", 0, 50), Numbered("y", 0, 30)})));
    host.Left().ScrollToLine(60, false);
    host.Right().ScrollToLine(60, false);
    const QPoint leftBefore = host.Left().ScrollPosition();
    const QPoint rightBefore = host.Right().ScrollPosition();

    host.Left().GoNextChange();
    ASSERT_EQ(prompter.requests.size(), 1u);
    const PromptRequest &request = prompter.requests.front();
    EXPECT_EQ(request.caption, ApplicationTitle());
    EXPECT_EQ(request.text, QStringLiteral("No more changes"));
    EXPECT_EQ(request.icon, PromptIcon::Exclamation);
    EXPECT_EQ(request.buttons, PromptButtons::Ok);
    EXPECT_EQ(host.Left().ScrollPosition(), leftBefore);
    EXPECT_EQ(host.Right().ScrollPosition(), rightBefore);

    // The change both panes sit in is their own section: the backward scan
    // starts before it and finds only matching sections.
    host.Left().GoPrevChange();
    EXPECT_EQ(prompter.requests.size(), 2u);
}

TEST_F(DiffViewCommands, FileShorterThanHalfAPaneSearchesFromItsFirstSection)
{
    PaneHost host;
    host.Compare("x\nb\nc\n", "y\nb\nc\n");
    CDiffView &left = host.Left();
    ASSERT_GE(left.MiddleLine(), 3);
    EXPECT_EQ(left.SectionOfLine(left.MiddleLine()), -1);
    EXPECT_EQ(left.NextChangeLine(), 0);
    EXPECT_EQ(left.PrevChangeLine(), -1);
}

TEST_F(DiffViewCommands, RightClickOnASectionOpensTheSectionMenu)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    RightClick(left, OnLine(left, 3));
    EXPECT_EQ(left.CurrentSection(), 2);
    QMenu *menu = left.SectionMenu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->title(), QStringLiteral("cm1"));
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&Copy"));
    EXPECT_EQ(actions[0]->data().toInt(), 32771);
    EXPECT_EQ(actions[0]->statusTip(), QStringLiteral("Copies the section to the clipboard."));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("&Properties"));
    EXPECT_EQ(actions[2]->data().toInt(), 32772);
    EXPECT_EQ(actions[2]->statusTip(), QStringLiteral("View this sections properies"));
    menu->hide();
}

TEST_F(DiffViewCommands, RightClickBelowTheLastLineOrOnAnEmptyPaneShowsNoMenu)
{
    PaneHost host;
    RightClick(host.Left(), QPoint(40, 5));
    EXPECT_EQ(host.Left().CurrentSection(), -1);
    EXPECT_FALSE(host.Left().SectionMenu()->isVisible());

    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    RightClick(left, OnLine(left, 1));
    ASSERT_EQ(left.CurrentSection(), 1);
    left.SectionMenu()->hide();
    RightClick(left, OnLine(left, 5));
    EXPECT_EQ(left.CurrentSection(), -1);
    EXPECT_FALSE(left.SectionMenu()->isVisible());
}

TEST_F(DiffViewCommands, CopyPutsTheSectionLinesWithCrLfOnTheClipboard)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    QApplication::clipboard()->setText(QStringLiteral("before"));
    RightClick(left, OnLine(left, 2));
    left.SectionMenu()->actions()[0]->trigger();
    left.SectionMenu()->hide();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("a\r\n}\r\n"));
}

TEST_F(DiffViewCommands, PropertiesShowsTheSectionUnderTheRightClick)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &right = host.Right();
    RightClick(right, OnLine(right, 2));
    QString number, status, firstLine, link;
    test::ModalDialogDriver driver([&](QDialog &dialog) {
        number = FindControl<QLineEdit>(&dialog, kIdSectionNumber)->text();
        status = FindControl<QLineEdit>(&dialog, kIdSectionStatus)->text();
        firstLine = FindControl<QLineEdit>(&dialog, kIdSectionFirstLine)->text();
        link = FindControl<QLineEdit>(&dialog, kIdSectionLink)->text();
        dialog.accept();
    });
    right.SectionMenu()->actions()[2]->trigger();
    right.SectionMenu()->hide();
    ASSERT_TRUE(driver.Handled());
    EXPECT_EQ(number, QStringLiteral("1"));
    EXPECT_EQ(status, QStringLiteral("Different"));
    EXPECT_EQ(firstLine, QStringLiteral("2"));
    EXPECT_EQ(link, QStringLiteral("3"));
}

TEST_F(DiffViewCommands, DoubleClickTogglesTheSelectionAndItsBar)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    const int lh = left.LineHeight();
    const QColor face = left.MarkColour();
    const auto barShown = [&] { return test::GrabViewport(left).pixelColor(4, lh + lh / 2) == face; };
    ASSERT_FALSE(host.engine.Sections(1)[1].IsSelected());
    ASSERT_FALSE(barShown());

    QTest::mouseClick(left.viewport(), Qt::LeftButton, {}, OnLine(left, 4)); // focus the pane first
    QApplication::processEvents();
    PaintSpy spy(left.viewport());
    QTest::mouseDClick(left.viewport(), Qt::LeftButton, {}, OnLine(left, 1));
    EXPECT_EQ(left.CurrentSection(), 1);
    EXPECT_TRUE(host.engine.Sections(1)[1].IsSelected());
    QApplication::processEvents();
    EXPECT_TRUE(spy.painted.contains(QRect(3, lh, 3, 2 * lh + 2))) << "the bar's strip is repainted";
    EXPECT_FALSE(spy.painted.contains(QPoint(40, lh))) << "the text is not";
    EXPECT_TRUE(barShown());

    QTest::mouseDClick(left.viewport(), Qt::LeftButton, {}, OnLine(left, 2));
    EXPECT_FALSE(host.engine.Sections(1)[1].IsSelected());
    EXPECT_FALSE(barShown());

    // Below the last line nothing is hit and nothing changes.
    QTest::mouseDClick(left.viewport(), Qt::LeftButton, {}, OnLine(left, 6));
    EXPECT_EQ(left.CurrentSection(), -1);
    for (const DiffSection &section : host.engine.Sections(1))
        EXPECT_EQ(section.IsSelected(), &section == &host.engine.Sections(1)[0]);
}

TEST_F(DiffViewCommands, DoubleClickedDifferentSectionJoinsTheMergeBeforeTheOtherVersion)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    QTest::mouseDClick(left.viewport(), Qt::LeftButton, {}, OnLine(left, 3));
    host.engine.BuildMergeList();
    std::ostringstream merged;
    host.engine.WriteMergeText(merged);
    EXPECT_EQ(merged.str(), "}\na\n}\nb\ne\n}\n");
}

// Forty common lines, one changed line (section 1), forty common lines; the
// left pane scrolled so that the changed line sits in the middle of the view.
TEST_F(DiffViewCommands, ClicksOnAScrolledPaneActOnTheSectionUnderThePointer)
{
    PaneHost host;
    host.Compare(Lines(Concat({Numbered("c", 0, 40), {"one"}, Numbered("d", 0, 40)})),
                 Lines(Concat({Numbered("c", 0, 40), {"two"}, Numbered("d", 0, 40)})));
    CDiffView &left = host.Left();
    left.ScrollToPosition(QPoint(0, 32 * left.LineHeight()));
    ASSERT_EQ(left.ScrollPosition().y(), 32 * left.LineHeight());

    RightClick(left, OnLine(left, 40));
    EXPECT_EQ(left.CurrentSection(), 1);
    left.SectionMenu()->hide();
    RightClick(left, OnLine(left, 35));
    EXPECT_EQ(left.CurrentSection(), 0);
    left.SectionMenu()->hide();

    const bool aboveSelected = host.engine.Sections(1)[0].IsSelected();
    ASSERT_FALSE(host.engine.Sections(1)[1].IsSelected());
    QTest::mouseDClick(left.viewport(), Qt::LeftButton, {}, OnLine(left, 40));
    EXPECT_TRUE(host.engine.Sections(1)[1].IsSelected());
    EXPECT_EQ(host.engine.Sections(1)[0].IsSelected(), aboveSelected) << "the section above is left alone";
    host.engine.BuildMergeList();
    std::ostringstream merged;
    host.engine.WriteMergeText(merged);
    EXPECT_NE(merged.str().find("c39\none\ntwo\nd0\n"), std::string::npos);
}

TEST_F(DiffViewCommands, SelectionTogglesEvenWithBarsHidden)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    host.engine.showSelections = 0;
    CDiffView &right = host.Right();
    QTest::mouseDClick(right.viewport(), Qt::LeftButton, {}, OnLine(right, 2));
    EXPECT_FALSE(host.engine.Sections(2)[1].IsSelected());
    EXPECT_NE(test::GrabViewport(right).pixelColor(4, 2 * right.LineHeight() + 5),
              right.MarkColour());
}

} // namespace
} // namespace lindo::test
