// The main window's geometry: pane rectangles, the layout of the path boxes,
// browse buttons and status text, the change gutters and their clicks.

#include "mainwindowfixture.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"

#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QtTest/QTest>

#include <set>
#include <string>
#include <vector>

namespace lindo::test {
namespace {

using namespace mainwindow;

// Resizes the window so that its outer rectangle has the given size.
void ResizeOuter(CCompareDialog &window, int width, int height)
{
    const QSize frameExtra = window.frameGeometry().size() - window.geometry().size();
    window.resize(width - frameExtra.width(), height - frameExtra.height());
    QApplication::processEvents();
}

TEST_F(MainWindowTest, StartsEmptyAtTheTemplateSizeGrownByTheToolBar)
{
    CCompareDialog &w = Open();
    EXPECT_EQ(w.windowTitle(), "lindo");
    EXPECT_EQ(w.FirstPathBox()->GetText(), "");
    EXPECT_EQ(w.SecondPathBox()->GetText(), "");
    EXPECT_EQ(w.StatusText(), "Select 2 files and then press the compare toolbar button.");
    const QSize templateSize = DluSize(kTemplateWidth, kTemplateHeight);
    EXPECT_EQ(w.width(), templateSize.width());
    EXPECT_EQ(w.height(), templateSize.height() + w.ToolBar()->height());
    EXPECT_EQ(ControlId(w.FirstPathBox()), kIdFirstPath);
    EXPECT_EQ(ControlId(w.SecondPathBox()), kIdSecondPath);
    EXPECT_EQ(w.GetView(1)->objectName(), "diff1");
    EXPECT_EQ(w.GetView(2)->objectName(), "diff2");
    EXPECT_EQ(ControlId(w.GetView(1)), kIdLeftPane);
    EXPECT_EQ(ControlId(w.GetView(2)), kIdRightPane);
    EXPECT_EQ(w.GetView(0), nullptr);
    EXPECT_EQ(w.GetView(3), nullptr);
    EXPECT_EQ(w.GetView(1)->TotalSize(), QSize(200, 200)); // creation's scroll sizes, kept until a comparison
}

TEST_F(MainWindowTest, ToolBarHasEightButtonsInGroupsWithTheirTooltips)
{
    CCompareDialog &w = Open();
    QStringList layout;
    for (QAction *action : w.ToolBar()->actions())
        layout.push_back(action->isSeparator() ? "|" : action->toolTip());
    EXPECT_EQ(layout, (QStringList{"Compare/re-compare (F5)", "Compare Folders", "|", "Merge(to screen)",
                                   "Merge(to file)", "|", "Previous Change (Alt+Up)", "Next Change (Alt+Down)", "|",
                                   "Settings", "About"}));
    for (QAction *action : w.ToolBar()->actions()) {
        if (!action->isSeparator()) {
            EXPECT_EQ(action->icon().actualSize(QSize(16, 15)), QSize(16, 15)) << action->toolTip().toStdString();
        }
    }
}

TEST_F(MainWindowTest, CommandsNeedingAComparisonWaitForOne)
{
    CCompareDialog &w = Open();
    const std::pair<int, bool> before[] = {{kCmdCompare, true},      {kCmdCompareFolders, true},
                                           {kCmdMergeToScreen, false}, {kCmdMergeToFile, false},
                                           {kCmdPrevChange, false},   {kCmdNextChange, false},
                                           {kCmdSettings, true},      {kCmdAbout, true}};
    for (const auto &[command, enabled] : before)
        EXPECT_EQ(w.CommandAction(command)->isEnabled(), enabled) << command;
    CompareFiles("one.txt", "two.txt");
    for (int command : {kCmdMergeToScreen, kCmdMergeToFile, kCmdPrevChange, kCmdNextChange})
        EXPECT_TRUE(w.CommandAction(command)->isEnabled()) << command;
    // A later load that fails keeps them enabled.
    CompareFiles("one.txt", "missing.txt");
    for (int command : {kCmdMergeToScreen, kCmdMergeToFile, kCmdPrevChange, kCmdNextChange})
        EXPECT_TRUE(w.CommandAction(command)->isEnabled()) << command;
}

TEST_F(MainWindowTest, SixHundredFortyPixelsWideGivesPanes297Wide)
{
    CCompareDialog &w = Open();
    ResizeOuter(w, 640, 480);
    EXPECT_EQ(w.GetView(1)->geometry(), QRect(8, 61, 297, 480 - 107));
    EXPECT_EQ(w.GetView(2)->geometry(), QRect(328, 61, 297, 480 - 107));
}

TEST_F(MainWindowTest, LayoutFollowsThePanesAtEverySize)
{
    CCompareDialog &w = Open();
    for (const QSize outer : {QSize(640, 480), QSize(900, 700), QSize(501, 333)}) {
        ResizeOuter(w, outer.width(), outer.height());
        const QRect left = w.GetView(1)->geometry();
        const QRect right = w.GetView(2)->geometry();
        EXPECT_EQ(left.width(), right.width());
        auto *browse1 = FindControl<QPushButton>(&w, kIdBrowseFirst);
        auto *browse2 = FindControl<QPushButton>(&w, kIdBrowseSecond);
        auto *status = FindControl<QLabel>(&w, kIdStatus);
        EXPECT_EQ(w.FirstPathBox()->geometry(), QRect(8, 36, left.right() + 1 - browse1->width() - 3 - 8, 21));
        EXPECT_EQ(browse1->geometry().right(), left.right());
        EXPECT_EQ(browse1->geometry().top(), 36);
        EXPECT_EQ(w.SecondPathBox()->geometry().left(), right.left());
        EXPECT_EQ(browse2->geometry().right(), right.right());
        EXPECT_EQ(status->geometry().topLeft(), QPoint(8, right.bottom() + 1 + 4));
    }
}

// Black pixels of the window's surface in column x between two rows.
int BlackPixels(const QImage &image, int x, int top, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        count += image.pixelColor(x, y) == QColor(Qt::black);
    return count;
}

TEST_F(MainWindowTest, GuttersMarkUnmatchedLinesOnlyAfterAComparison)
{
    CCompareDialog &w = Open();
    const QRect left = w.GetView(1)->geometry();
    const QRect right = w.GetView(2)->geometry();
    const int rightGutter = right.right() + 1 + 3;
    QImage before = w.grab().toImage();
    EXPECT_EQ(BlackPixels(before, 3, left.top(), left.bottom()), 0);
    EXPECT_EQ(BlackPixels(before, rightGutter + 1, left.top(), left.bottom()), 0);

    CompareFiles("one.txt", "two.txt");
    const QImage after = w.grab().toImage();
    // Side 1 has one unmatched line (beta), side 2 two (BETA, epsilon).
    EXPECT_GT(BlackPixels(after, 3, left.top(), left.bottom()), 0);
    EXPECT_GT(BlackPixels(after, rightGutter + 1, left.top(), left.bottom()), 0);
    EXPECT_EQ(BlackPixels(after, 5, left.top(), left.bottom()), 0); // marks are three pixels wide
    // Side 2's marks lie lower than side 1's: its unmatched lines come later on average.
    int lastMark1 = 0;
    int lastMark2 = 0;
    for (int y = left.top(); y < left.bottom(); ++y) {
        if (after.pixelColor(3, y) == QColor(Qt::black))
            lastMark1 = y;
        if (after.pixelColor(rightGutter + 1, y) == QColor(Qt::black))
            lastMark2 = y;
    }
    EXPECT_GT(lastMark2, lastMark1);
}

TEST_F(MainWindowTest, GutterClickScrollsToTheLineAtThatHeight)
{
    std::string lines;
    for (int n = 0; n < 2000; ++n)
        lines += "line " + std::to_string(n) + "\n";
    WriteFile(dir / "long1.txt", lines);
    WriteFile(dir / "long2.txt", "other\n" + lines);
    CCompareDialog &w = Open();
    ResizeOuter(w, 640, 480);

    // Before a comparison a click beside the panes does nothing.
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(3, 200));
    EXPECT_EQ(w.GetView(1)->ScrollPosition(), QPoint(0, 0));

    CompareFiles("long1.txt", "long2.txt");
    CDiffView *pane = w.GetView(1);
    const QRect left = pane->geometry();
    const int top = left.top() + 16;
    const int bottom = left.bottom() + 1 - 36;
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(3, (top + bottom) / 2));
    const int middleLine = pane->MiddleLine();
    EXPECT_NEAR(middleLine, 1000, 2000 / (bottom - top) + 1);

    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(3, top));
    EXPECT_EQ(pane->ScrollPosition().y(), 0); // line 0 goes as high as it can

    pane->ScrollToLine(1500, false);
    const QPoint kept = pane->ScrollPosition();
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(3, bottom)); // the bottom edge is outside
    EXPECT_EQ(pane->ScrollPosition(), kept);
}

} // namespace
} // namespace lindo::test

namespace lindo::test {
namespace {

// One unmatched line of a thousand in a gutter of 500 pixels: half a pixel
// per line, so its mark is k + 1 = 2 rows high at its proportional place.
TEST_F(MainWindowTest, GutterMarkRowsFollowTheProportionalRule)
{
    std::string first;
    std::string second;
    for (int n = 0; n < 1000; ++n) {
        first += "line " + std::to_string(n) + "\n";
        second += (n == 600 ? std::string("changed") : "line " + std::to_string(n)) + "\n";
    }
    WriteFile(dir / "a.txt", first);
    WriteFile(dir / "b.txt", second);
    CCompareDialog &w = Open();
    CompareFiles("a.txt", "b.txt");
    // Make the left pane's client area exactly 532 high, so the span is 500
    // (measured after the comparison, which brings the scroll bars).
    const int frameAndBars = w.GetView(1)->height() - w.GetView(1)->viewport()->height();
    const int outerExtra = w.frameGeometry().height() - w.height();
    w.resize(w.width(), 532 + frameAndBars + 107 - outerExtra);
    QApplication::processEvents();
    ASSERT_EQ(w.GetView(1)->viewport()->height() - 32, 500);

    const QImage image = w.grab().toImage();
    const int top = w.GetView(1)->geometry().top() + 16;
    const float base = static_cast<float>((600 * 500) / 1000) - 0.5f * 0.5f;
    QList<int> expectedRows;
    for (int j = 1; j <= 2; ++j)
        expectedRows.push_back(static_cast<int>(static_cast<float>(j + top) + base));
    QList<int> markedRows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(3, y) == QColor(Qt::black))
            markedRows.push_back(y);
    }
    EXPECT_EQ(markedRows, expectedRows);
    for (int x : {2, 3, 4})
        EXPECT_EQ(image.pixelColor(x, expectedRows[0]), QColor(Qt::black)) << x;
    EXPECT_NE(image.pixelColor(5, expectedRows[0]), QColor(Qt::black));
}

} // namespace
} // namespace lindo::test

namespace lindo::test {
namespace {

// Thousands of lines share a gutter row, unmatched ones scattered
// irregularly: the marks are the rows the proportional rule gives, whether
// the whole window or only a band of the gutter is painted.
TEST_F(MainWindowTest, GutterMarksFollowTheRuleInAnyPaintedBand)
{
    constexpr int kLines = 3000;
    std::string first;
    std::string second;
    std::vector<bool> unmatched(kLines, false);
    for (int n = 0; n < kLines; ++n) {
        first += "line " + std::to_string(n) + "\n";
        unmatched[static_cast<std::size_t>(n)] = (n * 7919) % 211 < 3 || (n > 1200 && n < 1260);
        second += (unmatched[static_cast<std::size_t>(n)] ? "other " : "line ") + std::to_string(n) + "\n";
    }
    WriteFile(dir / "a.txt", first);
    WriteFile(dir / "b.txt", second);
    CCompareDialog &w = Open();
    CompareFiles("a.txt", "b.txt");
    ASSERT_EQ(w.Engine().Lines(1)[1230].link, -1);

    const int top = w.GetView(1)->geometry().top() + 16;
    const int span = w.GetView(1)->viewport()->height() - 32;
    const float perLine = static_cast<float>(span) / kLines;
    const int strokes = std::max(1, static_cast<int>(perLine));
    std::set<int> expected;
    for (qint64 n = 0; n < kLines; ++n) {
        if (!unmatched[static_cast<std::size_t>(n)])
            continue;
        const float base = static_cast<float>((n * span) / kLines) - perLine * 0.5f;
        for (int j = 1; j <= strokes + 1; ++j)
            expected.insert(static_cast<int>(static_cast<float>(j + top) + base));
    }
    const auto markedRows = [](const QImage &image, int from, int to) {
        std::set<int> rows;
        for (int y = from; y < to; ++y) {
            if (image.pixelColor(3, y) == QColor(Qt::black))
                rows.insert(y);
        }
        return rows;
    };
    const QImage whole = w.grab().toImage();
    EXPECT_EQ(markedRows(whole, 0, whole.height()), expected);

    // One band starts on a mark's first row, the other on its second.
    const int firstMark = *expected.lower_bound(top + 7);
    const int laterMark = *expected.lower_bound(top + span / 3);
    for (const auto &[from, to] : {std::pair(firstMark, firstMark + 33), std::pair(laterMark + 1, top + span / 2)}) {
        QImage band(w.size(), QImage::Format_RGB32);
        band.fill(Qt::white);
        w.render(&band, QPoint(0, from), QRegion(0, from, 12, to - from)); // the band at its own place
        std::set<int> inBand;
        for (int row : expected) {
            if (row >= from && row < to)
                inBand.insert(row);
        }
        ASSERT_FALSE(inBand.empty());
        EXPECT_EQ(markedRows(band, 0, band.height()), inBand) << "band " << from << " to " << to;
    }
}

} // namespace
} // namespace lindo::test
