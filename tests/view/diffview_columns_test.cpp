// Where a pane puts the characters of a line: on a grid of whole cells, a tab
// moving on by at least one cell, and lines far wider than the pane reachable
// by scrolling sideways, with the part in view drawn where it belongs.

#include "panehost.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lindo::test {
namespace {

// The columns of a line's band that carry ink (row 0, where a separator
// may run, left out).
std::vector<bool> InkedColumns(const QImage &image, int top, int height, const QColor &background)
{
    std::vector<bool> inked(static_cast<std::size_t>(image.width()), false);
    for (int x = kSelectionBarLeft + kSelectionBarWidth; x < image.width(); ++x) {
        for (int y = top + 1; y < top + height; ++y)
            inked[static_cast<std::size_t>(x)] = inked[static_cast<std::size_t>(x)] || image.pixelColor(x, y) != background;
    }
    return inked;
}

// The widest run of blank columns between the first and the last inked one
// from column `from` on.
int WidestGap(const std::vector<bool> &inked, int from)
{
    int widest = 0;
    int run = 0;
    bool started = false;
    for (std::size_t x = static_cast<std::size_t>(from); x < inked.size(); ++x) {
        const bool ink = inked[x];
        if (ink) {
            widest = started ? std::max(widest, run) : widest;
            started = true;
            run = 0;
        } else {
            ++run;
        }
    }
    return widest;
}

// Text after a tab (and after the line number, which a tab ends) stands at
// least one character cell clear of what comes before it.
TEST(DiffViewColumns, TabLeavesAtLeastOneCellOfSpace)
{
    const struct {
        int lineCount; // identical files; the last line is the one looked at
        const char *text;
        int fromCell; // the gap is looked for from this many cells right of the tab origin
    } rows[] = {{1, "abcd\tefgh", kTabStopChars}, {1, "char\tname;", kTabStopChars}, {1001, "text", 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        PaneHost host(QSize(400, 240));
        const int top = host.CompareAndShowLast("c ", row.lineCount, row.text);
        CDiffView &left = host.Left();
        const QImage image = GrabViewport(left);
        ASSERT_GT(left.CharWidth(), 0);
        const std::vector<bool> inked = InkedColumns(image, top, left.LineHeight(), left.BackgroundColour());
        EXPECT_GE(WidestGap(inked, kTextLeft + row.fromCell * left.CharWidth()), left.CharWidth());
    }
}

// Text drawn from the middle of a long line lands where the same text
// drawn from the line's start does: a sideways scroll shifts every pixel
// of it by exactly the distance scrolled.
TEST(DiffViewColumns, SidewaysScrollShiftsTheTextWithoutMovingGlyphs)
{
    PaneHost host(QSize(400, 240));
    std::string line;
    while (line.size() < 5000)
        line += "abcdefghij";
    host.Compare(Lines({line}), Lines({line}));
    CDiffView &left = host.Left();
    const QImage start = GrabViewport(left);
    const int distance = 30 * left.CharWidth() + 3;
    left.ScrollToPosition(QPoint(distance, 0));
    ASSERT_EQ(left.ScrollPosition().x(), distance);
    const QImage scrolled = GrabViewport(left);
    for (int y = 1; y < left.LineHeight(); ++y) {
        for (int x = 0; x + distance < start.width(); ++x)
            ASSERT_EQ(scrolled.pixelColor(x, y), start.pixelColor(x + distance, y)) << "x " << x << " y " << y;
    }
}

TEST(DiffViewColumns, DocumentIsAsWideAsTheLongestLineOfEitherSide)
{
    PaneHost host;
    const std::string longLine = std::string(1000, 'x') + "\t\ty";
    host.Compare(Lines({"short"}), Lines({"short", longLine}));
    const int cell = QFontMetrics(host.Left().ViewFont()).horizontalAdvance(QLatin1Char('T'));
    const int reach = kTextLeft + (kTabStopChars + 1000 + 2 * kTabStopChars + 1) * cell;
    for (int side = 1; side <= 2; ++side) {
        CDiffView &pane = host.Pane(side);
        EXPECT_GE(pane.TotalSize().width(), reach) << "side " << side;
        EXPECT_EQ(pane.TotalSize().width(), host.Left().TotalSize().width()) << "side " << side;
        EXPECT_EQ(pane.horizontalScrollBar()->maximum(), pane.TotalSize().width() - pane.viewport()->width());
    }
}

// Two-byte characters, a tab and tens of thousands of spaces before the
// mark: scrolled to any place, the pane shows exactly the characters of the
// cells in view, whole, where they belong.
TEST(DiffViewColumns, FarColumnsShowInTheirCellsWhenScrolledTo)
{
    PaneHost host(QSize(400, 240));
    std::string accented;
    for (int n = 0; n < 3000; ++n)
        accented += "\xc3\xa9";
    const std::string line = accented + "\t" + std::string(50000, ' ') + "Z";
    host.Compare(Lines({"first", line}), Lines({"first", line}));
    CDiffView &left = host.Left();
    const int cell = left.CharWidth();
    ASSERT_GT(cell, 0);
    // "1<tab>": the text starts at column 4; the accents end at 3004, the tab
    // runs to 3008, the spaces to 53008, where the Z stands.
    const int zX = kTextLeft + 53008 * cell;
    const int accentsX = kTextLeft + kTabStopChars * cell;
    const int ascent = QFontMetrics(left.ViewFont()).ascent();
    const auto expectBand = [&](int scrollX, int textX, const QString &text) {
        left.ScrollToPosition(QPoint(scrollX, 0));
        ASSERT_EQ(left.ScrollPosition().x(), scrollX);
        const QImage image = GrabViewport(left);
        QImage expected(image.width(), left.LineHeight(), QImage::Format_RGB32);
        expected.fill(left.BackgroundColour());
        QPainter painter(&expected);
        painter.setFont(left.ViewFont());
        painter.setPen(Qt::black);
        painter.drawText(QPointF(textX - scrollX, ascent), text);
        painter.end();
        const int top = left.LineHeight();
        for (int y = 1; y < left.LineHeight(); ++y) {
            for (int x = kSelectionBarLeft + kSelectionBarWidth; x < image.width(); ++x)
                ASSERT_EQ(image.pixelColor(x, top + y), expected.pixelColor(x, y)) << "x " << x << " y " << y;
        }
    };
    // Among the accents, the view's left edge a little way into a cell.
    const int into = 1000;
    QString accents;
    for (int n = into - 1; n < 3000; ++n)
        accents += QChar(0xE9);
    expectBand(accentsX + into * cell + cell / 2, accentsX + (into - 1) * cell, accents);
    // The Z, at the far right, whole.
    ASSERT_GE(left.horizontalScrollBar()->maximum(), zX + cell - left.viewport()->width());
    expectBand(left.horizontalScrollBar()->maximum(), zX, QStringLiteral("Z"));
}

TEST(DiffViewColumns, NewComparisonBringsTheScrollPositionBackInside)
{
    PaneHost host;
    const std::string wide(3000, 'w');
    host.Compare(Lines(Numbered(wide, 0, 500)), Lines(Numbered(wide, 0, 500)));
    for (int side = 1; side <= 2; ++side) {
        CDiffView &pane = host.Pane(side);
        pane.ScrollToPosition(QPoint(pane.horizontalScrollBar()->maximum(), pane.verticalScrollBar()->maximum()));
    }
    host.Compare(Lines(Numbered("a ", 0, 3)), Lines(Numbered("a ", 0, 4)));
    for (int side = 1; side <= 2; ++side) {
        CDiffView &pane = host.Pane(side);
        EXPECT_EQ(pane.ScrollPosition(), QPoint(0, 0)) << "side " << side;
        EXPECT_EQ(pane.horizontalScrollBar()->value(), 0);
        EXPECT_EQ(pane.verticalScrollBar()->value(), 0);
        // Line 0 shows at the top.
        const QImage image = GrabViewport(pane);
        const std::vector<bool> inked = InkedColumns(image, 0, pane.LineHeight(), pane.BackgroundColour());
        EXPECT_NE(std::find(inked.begin(), inked.end(), true), inked.end()) << "side " << side;
    }
}

} // namespace
} // namespace lindo::test
