// The tint behind the characters that differ within paired changed lines,
// painted only while the engine's showLineChanges is on.

#include "panehost.h"

#include <QScrollBar>
#include <gtest/gtest.h>

#include <string>

namespace lindo {
namespace {

using test::GrabViewport;
using test::Lines;
using test::PaneHost;

// The tint a changed line of the pane is painted with.
QColor Tint(const CDiffView &pane)
{
    return LineChangeTint(QColor(170, 0, 0), pane.BackgroundColour());
}

// Pixels of `colour` inside `rect` of the image (clipped to it).
int CountPixels(const QImage &image, const QRect &rect, const QColor &colour)
{
    const QRect inside = rect.intersected(image.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += image.pixelColor(x, y) == colour;
    }
    return count;
}

// The viewport cells of text columns [from, to) of a line numbered with one
// digit, the pane not scrolled.
QRect Cells(const CDiffView &pane, int line, int from, int to)
{
    const int textLeft = kTextLeft + kTabStopChars * pane.CharWidth();
    return QRect(textLeft + from * pane.CharWidth(), line * pane.LineHeight(), (to - from) * pane.CharWidth(),
                 pane.LineHeight());
}

// Side 1's lines 1-2 differ from side 2's line 2, one line further down:
// line 1 of side 1 pairs with line 2 of side 2, and "extra" with none.
constexpr char kFirst[] = "a\nint value = 1;\nextra\nz\n";
constexpr char kSecond[] = "q\na\nint value = 2;\nz\n";
constexpr int kDigitColumn = 12; // of "1" and "2" in "int value = 1;"

TEST(DiffViewLineChanges, TintsTheDifferingCharactersOfPairedLinesOnlyWhenOn)
{
    PaneHost host;
    host.Compare(kFirst, kSecond);
    const int lineOf[] = {0, 1, 2};
    for (int side = 1; side <= 2; ++side) {
        CDiffView &pane = host.Pane(side);
        const QImage off = GrabViewport(pane);
        EXPECT_EQ(CountPixels(off, off.rect(), Tint(pane)), 0) << "side " << side;
    }
    host.engine.showLineChanges = 1;
    for (int side = 1; side <= 2; ++side) {
        CDiffView &pane = host.Pane(side);
        const QImage on = GrabViewport(pane);
        const int line = lineOf[side];
        EXPECT_GT(CountPixels(on, Cells(pane, line, kDigitColumn, kDigitColumn + 1), Tint(pane)), 0)
            << "side " << side;
        EXPECT_EQ(CountPixels(on, Cells(pane, line, 0, 3), Tint(pane)), 0) << "side " << side;
    }
}

// ", b" is on the second side alone: only its own columns there are tinted,
// whichever pane finds the pair's changes and hands the other its share.
TEST(DiffViewLineChanges, EachPaneTintsOnlyItsOwnChangedCharacters)
{
    for (const int paintedFirst : {1, 2}) {
        PaneHost host;
        host.Compare(Lines({"x", "call(a);", "z"}), Lines({"x", "call(a, b);", "z"}));
        host.engine.showLineChanges = 1;
        QImage images[3];
        images[paintedFirst] = GrabViewport(host.Pane(paintedFirst));
        images[3 - paintedFirst] = GrabViewport(host.Pane(3 - paintedFirst));
        const CDiffView &right = host.Right();
        EXPECT_EQ(CountPixels(images[1], images[1].rect(), Tint(host.Left())), 0) << "painted first " << paintedFirst;
        for (int column = 6; column < 9; ++column) {
            EXPECT_GT(CountPixels(images[2], Cells(right, 1, column, column + 1), Tint(right)), 0)
                << "column " << column << ", painted first " << paintedFirst;
        }
        EXPECT_EQ(CountPixels(images[2], Cells(right, 1, 0, 6), Tint(right)), 0) << "painted first " << paintedFirst;
        EXPECT_EQ(CountPixels(images[2], Cells(right, 1, 9, 20), Tint(right)), 0) << "painted first " << paintedFirst;
    }
}

TEST(DiffViewLineChanges, LinesBeyondTheShorterSectionOfAPairAreNotTinted)
{
    PaneHost host;
    host.Compare(kFirst, kSecond);
    host.engine.showLineChanges = 1;
    CDiffView &left = host.Left();
    const QImage image = GrabViewport(left);
    ASSERT_GT(CountPixels(image, Cells(left, 1, 0, 20), Tint(left)), 0);
    EXPECT_EQ(CountPixels(image, QRect(0, 2 * left.LineHeight(), image.width(), left.LineHeight()), Tint(left)),
              0);
}

TEST(DiffViewLineChanges, TintFollowsThePaneScrolledSideways)
{
    PaneHost host;
    const std::string pad(150, '.');
    host.Compare(Lines({"a", pad + "1" + pad, "z"}), Lines({"a", pad + "2" + pad, "z"}));
    host.engine.showLineChanges = 1;
    CDiffView &left = host.Left();
    const QRect cell = Cells(left, 1, 150, 151);
    // The changed character in the middle of the pane.
    const int scrolled = cell.left() - left.viewport()->width() / 2;
    left.horizontalScrollBar()->setValue(scrolled);
    ASSERT_EQ(left.ScrollPosition().x(), scrolled);
    const QImage image = GrabViewport(left);
    EXPECT_GT(CountPixels(image, cell.translated(-scrolled, 0), Tint(left)), 0);
    EXPECT_EQ(CountPixels(image, QRect(0, 0, cell.left() - scrolled, image.height()), Tint(left)), 0);
}

TEST(DiffViewLineChanges, ANewComparisonTintsItsOwnChanges)
{
    PaneHost host;
    host.Compare(kFirst, kSecond);
    host.engine.showLineChanges = 1;
    CDiffView &left = host.Left();
    (void)GrabViewport(left); // finds and keeps the changes of the first texts
    host.Compare("a\nint Value = 1;\nextra\nz\n", "q\na\nint value = 1;\nz\n");
    const QImage image = GrabViewport(left);
    EXPECT_GT(CountPixels(image, Cells(left, 1, 4, 5), Tint(left)), 0);
    EXPECT_EQ(CountPixels(image, Cells(left, 1, kDigitColumn, kDigitColumn + 1), Tint(left)), 0);
}

// A character takes its own cells: two for an emoji or a CJK character, one
// for a letter with its combining accent. The tint and the find mark cover
// the changed character's cells and no others.
TEST(DiffViewLineChanges, TintAndFindMarkSitOnTheCellsOfWideAndCombinedCharacters)
{
    struct Row {
        const char *name;
        std::string first, second;
        int from, to;                // the changed character's columns
        std::size_t byte, length; // and its bytes, on the second side
    };
    const Row rows[] = {
        {"after two emoji", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80 = 1", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80 = 2", 7, 8, 11, 1},
        {"after e + accent twice", "e\xCC\x81" "e\xCC\x81 = 1", "e\xCC\x81" "e\xCC\x81 = 2", 5, 6, 9, 1},
        {"a wide character", "a\xE4\xB8\xAD" "b", "a\xE6\x96\x87" "b", 1, 3, 1, 3},
    };
    for (const Row &row : rows) {
        PaneHost host;
        host.Compare(Lines({"x", row.first, "z"}), Lines({"x", row.second, "z"}));
        host.engine.showLineChanges = 1;
        CDiffView &right = host.Right();
        const QImage tinted = GrabViewport(right);
        right.MarkMatch(TextMatch{1, row.byte, row.length});
        const QImage marked = GrabViewport(right);
        const QColor mark(255, 226, 110);
        for (const auto &[image, colour] : {std::pair{tinted, Tint(right)}, std::pair{marked, mark}}) {
            for (int column = row.from; column < row.to; ++column)
                EXPECT_GT(CountPixels(image, Cells(right, 1, column, column + 1), colour), 0)
                    << row.name << ", column " << column;
            EXPECT_EQ(CountPixels(image, Cells(right, 1, 0, row.from), colour), 0) << row.name;
            EXPECT_EQ(CountPixels(image, Cells(right, 1, row.to, row.to + 10), colour), 0) << row.name;
        }
    }
}

} // namespace
} // namespace lindo
