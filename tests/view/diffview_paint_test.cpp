// What a pane draws: blank before a comparison, numbered lines with tabs
// expanded, colours by state, section separators and selection bars.

#include "exampletexts.h"
#include "panehost.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace lindo::test {
namespace {

QColor Face(const CDiffView &view)
{
    return view.MarkColour();
}

bool RowIs(const QImage &image, int y, const QColor &colour)
{
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) != colour)
            return false;
    }
    return true;
}

bool ColumnIs(const QImage &image, int x, int top, int bottom, const QColor &colour)
{
    for (int y = top; y < bottom; ++y) {
        if (image.pixelColor(x, y) != colour)
            return false;
    }
    return true;
}

int ColourDistance(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// The pixel of a line's band (bar columns left out) that stands out most
// from the background: the full text colour where a stroke covers a pixel.
QColor StrongestInk(const QImage &image, int top, int height, const QColor &background)
{
    QColor strongest = background;
    for (int y = top + 1; y < top + height; ++y) {
        for (int x = kTextLeft; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (ColourDistance(pixel, background) > ColourDistance(strongest, background))
                strongest = pixel;
        }
    }
    return strongest;
}

TEST(DiffViewPaint, BlankAndKeepsItsScrollSizesBeforeAnyComparison)
{
    PaneHost host;
    for (int side = 1; side <= 2; ++side) {
        CDiffView &pane = host.Pane(side);
        EXPECT_EQ(pane.TotalSize(), QSize(200, 200));
        const QImage image = GrabViewport(pane);
        EXPECT_TRUE(RowIs(image, 0, pane.BackgroundColour()));
        EXPECT_TRUE(RowIs(image, 5, pane.BackgroundColour()));
    }
    // Loaded but not compared: no line has a section yet, so nothing shows,
    // and the scroll sizes stay even through a resize.
    host.engine.LoadTexts("a\nb\n", "a\nc\n");
    host.Left().UpdateScrollSizes();
    host.Left().resize(300, 150);
    EXPECT_EQ(host.Left().TotalSize(), QSize(200, 200));
    EXPECT_EQ(host.Left().verticalScrollBar()->maximum(), std::max(0, 200 - host.Left().viewport()->height()));
    const QImage image = GrabViewport(host.Left());
    for (int y = 0; y < 3 * host.Left().LineHeight(); ++y)
        ASSERT_TRUE(RowIs(image, y, host.Left().BackgroundColour())) << "row " << y;
}

TEST(DiffViewPaint, ScrollSizesFollowTheComparisonAndTheViewport)
{
    PaneHost host;
    host.Compare(Lines(Numbered("line ", 0, 30)), Lines(Numbered("line ", 0, 40)));
    CDiffView &left = host.Left();
    const QFontMetrics metrics(left.ViewFont());
    EXPECT_EQ(left.LineHeight(), metrics.height());
    EXPECT_EQ(left.CharWidth(), metrics.horizontalAdvance(QStringLiteral("T")));
    EXPECT_EQ(left.TotalSize(), QSize(kDocumentWidth, 30 * left.LineHeight() + 5));
    EXPECT_EQ(host.Right().TotalSize(), QSize(kDocumentWidth, 40 * left.LineHeight() + 5));
    EXPECT_EQ(left.PageSize(), left.viewport()->size());
    EXPECT_EQ(left.LineSize(), QSize(left.CharWidth(), left.LineHeight()));
    EXPECT_EQ(left.verticalScrollBar()->maximum(), 30 * left.LineHeight() + 5 - left.viewport()->height());
    EXPECT_EQ(left.horizontalScrollBar()->maximum(), kDocumentWidth - left.viewport()->width());

    left.resize(250, 100);
    EXPECT_EQ(left.PageSize(), left.viewport()->size());
    EXPECT_EQ(left.verticalScrollBar()->maximum(), 30 * left.LineHeight() + 5 - left.viewport()->height());
}

struct TextLayoutCase {
    const char *name;
    int lineCount;  // identical files of this many lines; the line checked is the last
    const char *text; // text of the line checked
    std::vector<std::pair<int, const char *>> pieces; // where each piece must be drawn
};

void PrintTo(const TextLayoutCase &row, std::ostream *out)
{
    *out << row.name;
}

class DiffViewTextLayout : public testing::TestWithParam<TextLayoutCase> {};

// Draws the pieces as the pane should, into a band of one line.
QImage ExpectedBand(const CDiffView &view, int width, const std::vector<std::pair<int, const char *>> &pieces)
{
    QImage band(width, view.LineHeight(), QImage::Format_RGB32);
    band.fill(view.BackgroundColour());
    QPainter painter(&band);
    painter.setFont(view.ViewFont());
    painter.setPen(Qt::black);
    const int ascent = QFontMetrics(view.ViewFont()).ascent();
    for (const auto &[x, text] : pieces)
        painter.drawText(QPointF(x, ascent), QString::fromLatin1(text));
    return band;
}

TEST_P(DiffViewTextLayout, LineNumberAndTextSitAtTheTabStops)
{
    const TextLayoutCase &row = GetParam();
    PaneHost host(QSize(400, 240));
    const int top = host.CompareAndShowLast("common ", row.lineCount, row.text);
    CDiffView &left = host.Left();
    const QImage image = GrabViewport(left);
    ASSERT_GE(top, 0);
    ASSERT_LE(top + left.LineHeight(), image.height());

    const QImage expected = ExpectedBand(left, image.width(), row.pieces);
    bool inked = false;
    // Row 0 of the band may carry a section separator; the glyphs never reach it.
    for (int y = 1; y < left.LineHeight(); ++y) {
        for (int x = kSelectionBarLeft + kSelectionBarWidth; x < image.width(); ++x) {
            ASSERT_EQ(image.pixelColor(x, top + y), expected.pixelColor(x, y)) << "x " << x << " y " << y;
            inked = inked || expected.pixelColor(x, y) != left.BackgroundColour();
        }
    }
    EXPECT_TRUE(inked);
}

// Stops lie at x = 10 + 28, 56, 84, ... with the 7-pixel "T" of the view font.
INSTANTIATE_TEST_SUITE_P(
    Rows, DiffViewTextLayout,
    testing::Values(
        TextLayoutCase{"FirstLineNumberedZero", 1, "abc", {{10, "0"}, {38, "abc"}}},
        TextLayoutCase{"TabContinuesAtNextStop", 1, "a\tb", {{10, "0"}, {38, "a"}, {66, "b"}}},
        // Eight characters end right on the stop at 94; the tab runs on to the next.
        TextLayoutCase{"LongerTextSkipsToTheStopAfterIt", 1, "abcdefgh\tz", {{10, "0"}, {38, "abcdefgh"}, {122, "z"}}},
        TextLayoutCase{"ThreeDigitNumberStillReachesFirstStop", 101, "x", {{10, "100"}, {38, "x"}}},
        TextLayoutCase{"TabsPastTheFifthStopKeepTheStep", 1, "\t\t\t\t\tz", {{10, "0"}, {178, "z"}}}),
    [](const testing::TestParamInfo<TextLayoutCase> &info) { return std::string(info.param.name); });

TEST(DiffViewPaint, LinesTakeTheColourOfTheirStateAtEveryPaint)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    const int lh = host.Left().LineHeight();
    const QColor background = host.Left().BackgroundColour();
    struct Expect {
        int side;
        int line;
        QColor colour;
    };
    // Thin antialiased glyphs seldom cover a pixel fully: the strongest ink
    // must be nearest to the expected colour among the three in use.
    const auto nearest = [&](const QColor &ink) {
        QColor best = background;
        for (Colour c : {host.engine.colorIdentical, host.engine.colorDifferent, host.engine.colorInserted}) {
            const QColor candidate(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            if (ColourDistance(ink, candidate) < ColourDistance(ink, best))
                best = candidate;
        }
        return best;
    };
    const auto check = [&](const std::vector<Expect> &expects) {
        for (const Expect &e : expects) {
            const QImage image = GrabViewport(host.Pane(e.side));
            const QColor ink = StrongestInk(image, e.line * lh, lh, background);
            EXPECT_EQ(nearest(ink), e.colour)
                << "side " << e.side << " line " << e.line << " drawn in " << qPrintable(ink.name());
        }
    };
    check({{1, 0, QColor(255, 0, 0)}, {1, 1, QColor(0, 0, 0)}, {1, 3, QColor(170, 0, 0)},
           {2, 0, QColor(0, 0, 0)}, {2, 2, QColor(170, 0, 0)}});

    host.engine.colorIdentical = MakeColour(0, 128, 0);
    host.engine.colorDifferent = MakeColour(0, 0, 200);
    host.engine.colorInserted = MakeColour(200, 0, 200);
    check({{1, 0, QColor(200, 0, 200)}, {1, 2, QColor(0, 128, 0)}, {1, 3, QColor(0, 0, 200)},
           {2, 1, QColor(0, 128, 0)}, {2, 2, QColor(0, 0, 200)}});
}

TEST(DiffViewPaint, SeparatorsTopEverySectionAndBarsMarkSelectedOnes)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    const int lh = left.LineHeight();
    const QColor face = Face(left);
    const QColor background = left.BackgroundColour();
    ASSERT_NE(face, background);

    QImage image = GrabViewport(left);
    for (int line : {0, 1, 3, 4})
        EXPECT_TRUE(RowIs(image, line * lh, face)) << "separator above line " << line;
    EXPECT_EQ(image.pixelColor(image.width() - 1, 2 * lh), background) << "no section starts at line 2";
    // Section 0 (line 0) is selected: its bar runs one pixel into the next section.
    for (int x = kSelectionBarLeft; x < kSelectionBarLeft + kSelectionBarWidth; ++x)
        EXPECT_TRUE(ColumnIs(image, x, 0, lh + 1, face)) << "bar column " << x;
    EXPECT_TRUE(ColumnIs(image, kSelectionBarLeft - 1, 1, lh, background));
    EXPECT_TRUE(ColumnIs(image, kSelectionBarLeft + kSelectionBarWidth, 1, lh, background));
    // Side 1's matching and different sections are not selected.
    for (auto [top, bottom] : {std::pair(lh + 2, 3 * lh), std::pair(3 * lh + 1, 4 * lh), std::pair(4 * lh + 1, 5 * lh)})
        EXPECT_TRUE(ColumnIs(image, 4, top, bottom, background)) << "rows " << top << " to " << bottom;
    // Every section of side 2 is selected.
    EXPECT_TRUE(ColumnIs(GrabViewport(host.Right()), 4, 0, 4 * lh + 1, face));

    host.engine.showSelections = 0;
    image = GrabViewport(left);
    EXPECT_TRUE(ColumnIs(image, 4, 1, lh, background));
    EXPECT_TRUE(ColumnIs(GrabViewport(host.Right()), 4, 1, lh, background));
    EXPECT_TRUE(RowIs(image, 0, face));
    EXPECT_TRUE(RowIs(image, 3 * lh, face));
}

TEST(DiffViewPaint, BackgroundStaysLightUnderADarkTheme)
{
    PaneHost host;
    host.Compare(kExample1, kExample2);
    CDiffView &left = host.Left();
    const QPoint emptySpot(left.viewport()->width() - 2, left.viewport()->height() - 2);

    QPalette dark = left.palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    left.setPalette(dark);
    EXPECT_EQ(GrabViewport(left).pixelColor(emptySpot), QColor(Qt::white));

    QPalette light = left.palette();
    light.setColor(QPalette::Base, QColor(250, 248, 230));
    left.setPalette(light);
    EXPECT_EQ(GrabViewport(left).pixelColor(emptySpot), QColor(250, 248, 230));
}

} // namespace
} // namespace lindo::test
