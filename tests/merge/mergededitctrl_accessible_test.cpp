// What assistive technology reads from the Merged window's text area: its
// text, caret and selection, offsets counted in UTF-16 units. The events
// need a live accessibility bus: the AT-SPI test under atspi/ listens for them.

#include "merge/mergededitctrl.h"

#include <QAccessible>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <string>

namespace lindo::test {
namespace {

QAccessibleTextInterface *TextOf(CMergedEditCtrl &text)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&text);
    return iface ? iface->textInterface() : nullptr;
}

// "ab", an emoji (two UTF-16 units) and "c", a NUL and an invalid byte.
constexpr char kRaw[] = "ab\r\n\xF0\x9F\x98\x80" "c\r\nn\0\xFF";
const std::string kBytes(kRaw, sizeof kRaw - 1);
const QString kRead = QString::fromUtf8("ab\n\xF0\x9F\x98\x80" "c\nn\xE2\x90\x80\xEF\xBF\xBD");

TEST(MergedTextAccessible, IsEditableTextReadWhole)
{
    CMergedEditCtrl text;
    text.StreamIn(kBytes);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&text);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().editable);
    QAccessibleTextInterface *reader = TextOf(text);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->characterCount(), kRead.size());
    EXPECT_EQ(reader->text(0, reader->characterCount()), kRead);
    EXPECT_EQ(reader->text(4, 8), kRead.mid(4, 4)); // from inside the emoji, across the line end

    // An edit is read at once: a line broken in two, then one typed into.
    text.SetCaret(1, 4);
    QTest::keyClick(&text, Qt::Key_Return);
    text.SetCaret(2, 1);
    QTest::keyClicks(&text, "xy");
    const QString edited = QString::fromUtf8("ab\n\xF0\x9F\x98\x80\ncxy\nn\xE2\x90\x80\xEF\xBF\xBD");
    EXPECT_EQ(reader->characterCount(), edited.size());
    EXPECT_EQ(reader->text(0, -1), edited);
}

TEST(MergedTextAccessible, CaretAndSelectionGoBothWays)
{
    CMergedEditCtrl text;
    text.StreamIn(kBytes);
    QAccessibleTextInterface *reader = TextOf(text);
    text.SetCaret(1, 4); // after the emoji
    EXPECT_EQ(reader->cursorPosition(), 5);
    QTest::keyClick(&text, Qt::Key_Left, Qt::ShiftModifier);
    int start = 0;
    int end = 0;
    ASSERT_EQ(reader->selectionCount(), 1);
    reader->selection(0, &start, &end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 5);

    // An offset inside the emoji puts the caret before it.
    reader->setCursorPosition(4);
    EXPECT_EQ(text.CaretLine(), 1);
    EXPECT_EQ(text.CaretColumn(), 0u);
    EXPECT_EQ(reader->selectionCount(), 0);
    reader->setSelection(0, 1, 6);
    EXPECT_EQ(text.SelectedBytes(), "b\r\n\xF0\x9F\x98\x80" "c");
    reader->setCursorPosition(kRead.size());
    EXPECT_EQ(text.CaretLine(), 2);
    EXPECT_EQ(text.CaretColumn(), 3u);
}

} // namespace
} // namespace lindo::test
