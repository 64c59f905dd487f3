// What assistive technology reads from a pane: each line with its number,
// its state in words and its text, and a caret that follows change navigation.

#include "panehost.h"

#include "support/qtprinters.h"
#include "view/diffviewaccessible.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>


namespace lindo {
namespace {

using test::PaneHost;

// Side 1: "keep", "old", "gone", "tail"; side 2: "keep", "new", "tail", "added".
constexpr char kFirst[] = "keep\nold\ngone\ntail\n";
constexpr char kSecond[] = "keep\nnew\ntail\nadded\n";

QAccessibleTextInterface *TextOf(CDiffView &view)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&view);
    return iface ? iface->textInterface() : nullptr;
}

QString LineAt(CDiffView &view, int line)
{
    QAccessibleTextInterface *text = TextOf(view);
    int start = 0;
    int end = 0;
    // Find the line's offset by walking from the start, as a reader does.
    int offset = 0;
    for (int i = 0; i < line; ++i) {
        text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        offset = end;
    }
    return text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
}

QString CaretLine(CDiffView &view)
{
    QAccessibleTextInterface *text = TextOf(view);
    int start = 0;
    int end = 0;
    return text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end);
}

TEST(DiffViewAccessible, PaneIsReadOnlyTextNamedAfterItsSide)
{
    PaneHost host;
    host.Compare(kFirst, kSecond);
    QAccessibleInterface *left = QAccessible::queryAccessibleInterface(&host.Left());
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->role(), QAccessible::EditableText);
    EXPECT_TRUE(left->state().readOnly);
    EXPECT_NE(left->textInterface(), nullptr);
    EXPECT_EQ(left->text(QAccessible::Name), QString::fromLatin1(kFirstPaneName));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&host.Right())->text(QAccessible::Name),
              QString::fromLatin1(kSecondPaneName));
}

TEST(DiffViewAccessible, LinesReadWithNumberStateAndText)
{
    PaneHost host;
    host.Compare(kFirst, kSecond);
    EXPECT_EQ(LineAt(host.Left(), 0), "0 same in both: keep\n");
    EXPECT_EQ(LineAt(host.Left(), 1), "1 changed: old\n");
    EXPECT_EQ(LineAt(host.Left(), 3), "3 same in both: tail\n");
    EXPECT_EQ(LineAt(host.Right(), 1), "1 changed: new\n");
    EXPECT_EQ(LineAt(host.Right(), 3), "3 only in the second file: added\n");
    EXPECT_EQ(LineAt(host.Left(), 2), "2 changed: gone\n");
}

TEST(DiffViewAccessible, LineOnlyInFirstFileSaysSo)
{
    PaneHost host;
    host.Compare("a\nb\nc\n", "a\nc\n");
    EXPECT_EQ(LineAt(host.Left(), 1), "1 only in the first file: b\n");
}

TEST(DiffViewAccessible, WholeTextIsTheLinesInOrder)
{
    PaneHost host;
    host.Compare("a\nb\n", "a\nb\n");
    QAccessibleTextInterface *text = TextOf(host.Left());
    const QString whole = "0 same in both: a\n1 same in both: b\n";
    EXPECT_EQ(text->characterCount(), whole.size());
    EXPECT_EQ(text->text(0, text->characterCount()), whole);
    EXPECT_EQ(text->text(2, 6), whole.mid(2, 4));
    EXPECT_EQ(text->text(16, 20), whole.mid(16, 4)); // across the line end
}

TEST(DiffViewAccessible, NewComparisonIsReadAfresh)
{
    PaneHost host;
    host.Compare("a\n", "a\n");
    EXPECT_EQ(LineAt(host.Left(), 0), "0 same in both: a\n");
    host.Compare("longer line\n", "other\n");
    EXPECT_EQ(LineAt(host.Left(), 0), "0 only in the first file: longer line\n");
    EXPECT_EQ(TextOf(host.Left())->characterCount(), QString("0 only in the first file: longer line\n").size());
}

// A reader steps line by line with the text after and before an offset;
// past either end there is none (offsets -1), so the last line is not read
// again. The first pane's lines start at 0, 21, 36 and 52; the text is 73 long.
TEST(DiffViewAccessible, StepsToTheNeighbouringLineAndNothingPastTheEnds)
{
    struct Row {
        const char *name;
        bool after;
        int offset;
        QString text;
        int start;
        int end;
    };
    const Row rows[] = {
        {"AfterTheNextToLastLine", true, 40, "3 same in both: tail\n", 52, 73},
        {"AfterTheLastLine", true, 60, "", -1, -1},
        {"AfterTheEnd", true, 73, "", -1, -1},
        {"BeforeTheSecondLine", false, 21, "0 same in both: keep\n", 0, 21},
        {"BeforeTheFirstLine", false, 5, "", -1, -1},
    };
    PaneHost host;
    host.Compare(kFirst, kSecond);
    QAccessibleTextInterface *text = TextOf(host.Left());
    ASSERT_EQ(text->characterCount(), 73);
    for (const Row &row : rows) {
        int start = 0;
        int end = 0;
        const QString read = row.after ? text->textAfterOffset(row.offset, QAccessible::LineBoundary, &start, &end)
                                       : text->textBeforeOffset(row.offset, QAccessible::LineBoundary, &start, &end);
        EXPECT_EQ(read, row.text) << row.name;
        EXPECT_EQ(start, row.start) << row.name;
        EXPECT_EQ(end, row.end) << row.name;
    }
}

// Whether the caret move is announced needs a live accessibility bus: the
// AT-SPI test under atspi/ listens for it.
TEST(DiffViewAccessible, CaretFollowsNextChangeInThePaneThatHasIt)
{
    PaneHost host;
    host.Compare(kFirst, kSecond);
    host.Left().GoNextChange();
    EXPECT_EQ(CaretLine(host.Left()), "1 changed: old\n");

    host.Compare("a\nb\nc\n", "a\nnew\nb\nc\n");
    host.Left().GoNextChange();
    EXPECT_EQ(CaretLine(host.Right()), "1 only in the second file: new\n");
}

// A NUL reads as its symbol (a bus string would end at it), and offsets
// count UTF-16 units: an emoji counts two, so the line after it starts two
// further on, and an accent one of its own. (The panes get decoded text, so
// no invalid byte reaches them: a file that is not UTF-8 is read in the
// fallback encoding.)
TEST(DiffViewAccessible, EveryLineReadsWholeWhateverItsBytes)
{
    PaneHost host;
    constexpr char kText[] = "has\0nul byte\n\xF0\x9F\x98\x80 smile\ncafe\xCC\x81\nend\n";
    const std::string text(kText, sizeof kText - 1);
    host.Compare(text, text);
    QAccessibleTextInterface *reader = TextOf(host.Left());
    const QStringList lines = {QString::fromUtf8("0 same in both: has\xE2\x90\x80nul byte\n"),
                               QString::fromUtf8("1 same in both: \xF0\x9F\x98\x80 smile\n"),
                               QString::fromUtf8("2 same in both: cafe\xCC\x81\n"),
                               QStringLiteral("3 same in both: end\n")};
    int offset = 0;
    for (const QString &line : lines) {
        int start = 0;
        int end = 0;
        EXPECT_EQ(reader->textAtOffset(offset, QAccessible::LineBoundary, &start, &end), line);
        EXPECT_EQ(start, offset);
        EXPECT_EQ(end, offset + line.size());
        offset = end;
    }
    EXPECT_EQ(reader->characterCount(), offset);
    EXPECT_EQ(reader->text(0, offset), lines.join(QString()));
}

// The caret is the line a reader is on: keys and clicks move it as they
// move the view, within the lines in view.
TEST(DiffViewAccessible, CaretFollowsKeysAndClicks)
{
    PaneHost host;
    const std::string text = test::Lines(test::Numbered("line ", 0, 100));
    host.Compare(text, text);
    CDiffView &left = host.Left();
    const auto caretLine = [&] { return AccessibleCurrentLine(left); };
    const auto topLine = [&] { return left.ScrollPosition().y() / left.LineHeight(); };
    QTest::keyClick(&left, Qt::Key_Down);
    EXPECT_EQ(caretLine(), 1);
    const auto inView = [&](int line) {
        const int y = left.ScrollPosition().y();
        return line * left.LineHeight() >= y && (line + 1) * left.LineHeight() <= y + left.viewport()->height();
    };
    const int page = left.viewport()->height() / left.LineHeight();
    ASSERT_GT(page, 3);
    QTest::keyClick(&left, Qt::Key_PageDown);
    const int paged = caretLine();
    EXPECT_GE(paged, page - 1);
    EXPECT_TRUE(inView(paged)) << paged;
    QTest::keyClick(&left, Qt::Key_Up);
    EXPECT_EQ(caretLine(), paged - 1);
    QTest::keyClick(&left, Qt::Key_End);
    EXPECT_EQ(caretLine(), 99);
    EXPECT_EQ(host.Right().ScrollPosition().y(), left.ScrollPosition().y());
    QTest::keyClick(&left, Qt::Key_PageUp);
    EXPECT_LE(caretLine(), 99 - page + 1);
    EXPECT_TRUE(inView(caretLine())) << caretLine();
    QTest::keyClick(&left, Qt::Key_Home);
    EXPECT_EQ(caretLine(), 0);
    QTest::mouseClick(left.viewport(), Qt::LeftButton, {}, QPoint(50, 3 * left.LineHeight() + 2));
    EXPECT_EQ(caretLine(), 3);
    EXPECT_EQ(CaretLine(left), "3 same in both: line 3\n");
}

TEST(DiffViewAccessible, NewComparisonSumsItselfUpAndPutsTheCaretAtTheStart)
{
    PaneHost host;
    host.Compare(kFirst, kSecond);
    host.Left().GoNextChange();
    QAccessibleInterface *left = QAccessible::queryAccessibleInterface(&host.Left());
    EXPECT_EQ(left->text(QAccessible::Description), "4 lines, 1 changes");
    host.Compare("a\nb\nc\n", "a\nx\nc\nd\n");
    EXPECT_EQ(left->text(QAccessible::Description), "3 lines, 1 changes");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&host.Right())->text(QAccessible::Description),
              "4 lines, 2 changes");
    EXPECT_EQ(TextOf(host.Left())->cursorPosition(), 0);
}

} // namespace
} // namespace lindo
