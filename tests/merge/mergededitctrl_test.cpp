// The Merged window's text area on its own: taking a long text in slices,
// however long it is, and editing it.

#include "merge/mergededitctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace lindo::test {
namespace {

std::string Bytes(CMergedEditCtrl &text)
{
    std::string bytes;
    text.StreamOut([&](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

std::string ManyLines(int count)
{
    std::string bytes;
    for (int line = 0; line < count; ++line)
        bytes += "line " + std::to_string(line) + " of a long merge output\r\n";
    return bytes;
}

TEST(MergedTextArea, LongTextArrivesInSlicesWhileTheLoopRuns)
{
    CMergedEditCtrl text;
    const std::string bytes = ManyLines(40000);
    ASSERT_GT(bytes.size(), 4 * mergededit::kSliceBytes);
    text.StreamIn(bytes);
    ASSERT_TRUE(text.IsStreamingIn());
    const int firstLines = text.LineCount();
    EXPECT_GT(firstLines, 1);
    EXPECT_LT(firstLines, 40000);
    EXPECT_EQ(text.CaretLine(), 0);
    EXPECT_EQ(text.CaretColumn(), 0u);
    EXPECT_FALSE(text.IsUndoAvailable());

    for (int turn = 0; turn < 1000 && text.IsStreamingIn(); ++turn)
        QApplication::processEvents();
    EXPECT_FALSE(text.IsStreamingIn());
    EXPECT_EQ(text.LineCount(), 40001);
    EXPECT_FALSE(text.IsUndoAvailable());
    EXPECT_EQ(text.CaretLine(), 0);
    EXPECT_EQ(text.CaretColumn(), 0u);
    EXPECT_EQ(Bytes(text), bytes);
}

TEST(MergedTextArea, EditsDuringStreamingAreKeptAndSavingTakesTheWholeText)
{
    CMergedEditCtrl text;
    const std::string bytes = ManyLines(30000);
    text.StreamIn(bytes);
    ASSERT_TRUE(text.IsStreamingIn());
    QTest::keyClicks(&text, "typed ");
    EXPECT_EQ(Bytes(text), "typed " + bytes);
    EXPECT_FALSE(text.IsStreamingIn());
}

TEST(MergedTextArea, TypingAtTheEndDuringStreamingLandsAtTheEndOfTheWholeText)
{
    CMergedEditCtrl text;
    const std::string bytes = ManyLines(30000);
    text.StreamIn(bytes);
    ASSERT_TRUE(text.IsStreamingIn());
    QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier);
    EXPECT_FALSE(text.IsStreamingIn());
    QTest::keyClicks(&text, "last");
    EXPECT_EQ(Bytes(text), bytes + "last");
}

struct EndEditCase {
    const char *name;
    std::function<void(CMergedEditCtrl &)> edit; // puts "TYPED" at the caret
};

void PrintTo(const EndEditCase &c, std::ostream *out)
{
    *out << c.name;
}

class MergedTextEndWhileStreaming : public testing::TestWithParam<EndEditCase> {};

TEST_P(MergedTextEndWhileStreaming, ACaretClickedAtTheEndTakesTheEditToTheEndOfTheWholeText)
{
    CMergedEditCtrl text;
    text.resize(300, 200);
    text.show();
    const std::string bytes = ManyLines(30000);
    text.StreamIn(bytes);
    ASSERT_TRUE(text.IsStreamingIn());
    // Below the last line that has arrived: the end of the text as shown.
    text.verticalScrollBar()->setValue(text.verticalScrollBar()->maximum());
    QTest::mouseClick(text.viewport(), Qt::LeftButton, {}, QPoint(150, text.viewport()->height() - 2));
    ASSERT_EQ(text.CaretLine(), text.LineCount() - 1);
    QApplication::processEvents(); // more may arrive before the key
    GetParam().edit(text);
    const std::string edited = Bytes(text);
    EXPECT_TRUE(edited == bytes + "TYPED") << "TYPED at byte " << edited.find("TYPED") << " of " << edited.size();
}

INSTANTIATE_TEST_SUITE_P(
    Edits, MergedTextEndWhileStreaming,
    testing::Values(EndEditCase{"Typing", [](CMergedEditCtrl &text) { QTest::keyClicks(&text, "TYPED"); }},
                    EndEditCase{"Pasting",
                                [](CMergedEditCtrl &text) {
                                    QApplication::clipboard()->setText("TYPED");
                                    QTest::keyClick(&text, Qt::Key_V, Qt::ControlModifier);
                                }},
                    EndEditCase{"InputMethod",
                                [](CMergedEditCtrl &text) {
                                    QInputMethodEvent committed;
                                    committed.setCommitString("TYPED");
                                    QApplication::sendEvent(&text, &committed);
                                }}),
    [](const testing::TestParamInfo<EndEditCase> &info) { return std::string(info.param.name); });

TEST(MergedTextArea, TypingNearTheStartDuringStreamingLeavesTheRestArriving)
{
    CMergedEditCtrl text;
    const std::string bytes = ManyLines(30000);
    text.StreamIn(bytes);
    QTest::keyClick(&text, Qt::Key_Down);
    QTest::keyClicks(&text, "x");
    EXPECT_TRUE(text.IsStreamingIn());
    text.FinishStreamingIn();
    const std::size_t secondLine = bytes.find("\r\n") + 2;
    EXPECT_EQ(Bytes(text), bytes.substr(0, secondLine) + "x" + bytes.substr(secondLine));
}

TEST(MergedTextArea, NewTextReplacesTheOldOneAndIsNotUndoable)
{
    CMergedEditCtrl text;
    text.StreamIn("first\r\n");
    QTest::keyClicks(&text, "x");
    text.StreamIn("second\r\n");
    EXPECT_EQ(Bytes(text), "second\r\n");
    EXPECT_FALSE(text.IsUndoAvailable());
    QTest::keyClick(&text, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(text), "second\r\n");
}

TEST(MergedTextArea, TextBeyondSixteenMillionCharactersIsTakenInWhole)
{
    // Long lines keep the document small in blocks, so this stays quick.
    std::string bytes;
    for (int line = 0; line < 20; ++line)
        bytes += std::string(900000, static_cast<char>('a' + line)) + "\r\n";
    ASSERT_GT(bytes.size(), 0x1000000u);
    CMergedEditCtrl text;
    text.StreamIn(bytes);
    text.FinishStreamingIn();
    EXPECT_EQ(text.LineCount(), 21);
    EXPECT_EQ(Bytes(text), bytes);
}


// A shown text area of a fixed size holding these bytes.
class MergedTextEditing : public testing::Test {
protected:
    void Load(const std::string &bytes)
    {
        text.resize(300, 200);
        text.show();
        text.StreamIn(bytes);
        text.FinishStreamingIn();
        text.setFocus();
    }

    void Click(std::size_t line, std::size_t column)
    {
        QTest::mouseClick(text.viewport(), Qt::LeftButton, {}, Left(line, column));
    }

    QPoint Left(std::size_t line, std::size_t column)
    {
        return text.CellRect(static_cast<int>(line), column).topLeft() + QPoint(1, 2);
    }

    CMergedEditCtrl text;
};

TEST_F(MergedTextEditing, EditingKeysGiveTheirBytes)
{
    Load("abc\r\ndef\r\n");
    QTest::keyClick(&text, Qt::Key_End);
    QTest::keyClick(&text, Qt::Key_Backspace);
    QTest::keyClick(&text, Qt::Key_Return);
    QTest::keyClicks(&text, "x");
    QTest::keyClick(&text, Qt::Key_Tab);
    QTest::keyClick(&text, Qt::Key_Delete); // joins the next line
    QTest::keyClick(&text, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_Delete);
    EXPECT_EQ(Bytes(text), "b\r\nx\tdef\r\n");
    EXPECT_TRUE(text.IsEdited());
}

TEST_F(MergedTextEditing, CtrlBackspaceAndCtrlDeleteTakeWholeWords)
{
    Load("first second third\r\n");
    text.SetCaret(0, 9); // inside "second"
    QTest::keyClick(&text, Qt::Key_Backspace, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Bytes(text), "first third\r\n");
}

TEST_F(MergedTextEditing, InputMethodsCommitTheirTextAsUtf8)
{
    Load("ab\r\n");
    QTest::keyClick(&text, Qt::Key_Right);
    QInputMethodEvent composing(QString::fromUtf8("\xE6\x97\xA5"), {});
    QApplication::sendEvent(&text, &composing);
    EXPECT_EQ(Bytes(text), "ab\r\n"); // not yet
    QInputMethodEvent committed;
    committed.setCommitString(QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"));
    QApplication::sendEvent(&text, &committed);
    EXPECT_EQ(Bytes(text), "a\xE6\x97\xA5\xE6\x9C\xAC" "b\r\n");
}

TEST_F(MergedTextEditing, ArrowsAndDeletionTakeWholeCharactersAndKeepOtherBytes)
{
    Load(std::string("a\xC3\xBC\xE2\x82\xAC\xFF\0z\r\n", 11));
    QTest::keyClick(&text, Qt::Key_End);
    QTest::keyClick(&text, Qt::Key_Left);
    QTest::keyClick(&text, Qt::Key_Left);
    QTest::keyClick(&text, Qt::Key_Left);
    QTest::keyClick(&text, Qt::Key_Backspace); // the euro sign
    QTest::keyClick(&text, Qt::Key_Left);
    QTest::keyClick(&text, Qt::Key_Delete); // the u with umlaut
    EXPECT_EQ(Bytes(text), std::string("a\xFF\0z\r\n", 6));
}

// A letter with its accent, and an emoji of two cells, are one character
// each: the caret steps, clicks and deletes over them whole, never between a
// base and its accent.
TEST_F(MergedTextEditing, TheCaretNeverStopsInsideACharacter)
{
    const std::string accented = "e\xCC\x81";
    const std::string emoji = "\xF0\x9F\x98\x80";
    Load(accented + accented + emoji + "z\r\nabcd\r\n");
    std::vector<std::size_t> stops;
    for (int step = 0; step < 4; ++step) {
        QTest::keyClick(&text, Qt::Key_Right);
        stops.push_back(text.CaretColumn());
    }
    QTest::keyClick(&text, Qt::Key_Left);
    stops.push_back(text.CaretColumn());
    EXPECT_EQ(stops, (std::vector<std::size_t>{3, 6, 10, 11, 10}));

    const QRect wide = text.CellRect(0, 6);
    EXPECT_NEAR(wide.width(), text.CellRect(0, 0).width() * 2, 1);
    QTest::mouseClick(text.viewport(), Qt::LeftButton, {}, QPoint(wide.right() - 1, wide.center().y()));
    EXPECT_EQ(text.CaretColumn(), 10u);
    QTest::mouseClick(text.viewport(), Qt::LeftButton, {}, QPoint(wide.left() + 1, wide.center().y()));
    EXPECT_EQ(text.CaretColumn(), 6u);
    const QRect first = text.CellRect(0, 0);
    QTest::mouseClick(text.viewport(), Qt::LeftButton, {}, QPoint(first.right() - 1, first.center().y()));
    EXPECT_EQ(text.CaretColumn(), 3u);

    // Up from cell 3 of "abcd": the emoji covers it.
    text.SetCaret(1, 3);
    QTest::keyClick(&text, Qt::Key_Up);
    EXPECT_EQ(text.CaretColumn(), 6u);
    QTest::keyClick(&text, Qt::Key_Backspace);
    QTest::keyClick(&text, Qt::Key_Delete);
    EXPECT_EQ(Bytes(text), accented + "z\r\nabcd\r\n");
}

TEST_F(MergedTextEditing, UpAndDownKeepTheColumn)
{
    Load("abcdef\r\nab\r\nabcdef\r\n");
    QTest::keyClick(&text, Qt::Key_End);
    QTest::keyClick(&text, Qt::Key_Left);
    QTest::keyClick(&text, Qt::Key_Down);
    EXPECT_EQ(text.CaretColumn(), 2u);
    QTest::keyClick(&text, Qt::Key_Down);
    EXPECT_EQ(text.CaretLine(), 2);
    EXPECT_EQ(text.CaretColumn(), 5u);
}

TEST_F(MergedTextEditing, ShiftSelectionIsReplacedByTypingAndPastedElsewhere)
{
    Load("one two\r\nthree\r\n");
    QTest::keyClick(&text, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(text.SelectedBytes(), "one two");
    QTest::keyClick(&text, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClicks(&text, "2");
    EXPECT_EQ(Bytes(text), "one two\r\nthree\r\none 2");
}

TEST_F(MergedTextEditing, BytesThatAreNotTextSurviveCopyAndPaste)
{
    const std::string line("a\0\xFF\r\xC3\xBC\n", 7);
    Load(line + "\r\n");
    QTest::keyClick(&text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(Bytes(text), line + "\r\n" + line + "\r\n");
}

struct PasteCase {
    const char *name;
    QString clipboard;
    std::string inserted;
};

void PrintTo(const PasteCase &c, std::ostream *out)
{
    *out << c.name;
}

class MergedTextPaste : public MergedTextEditing, public testing::WithParamInterface<PasteCase> {};

// Text from another program is Unicode: its UTF-8, with every kind of line
// break made one; and undo takes it all back.
TEST_P(MergedTextPaste, InsertsTheClipboardsTextAsUtf8)
{
    Load("ab\r\n");
    QApplication::clipboard()->setText(GetParam().clipboard);
    QTest::keyClick(&text, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Bytes(text), GetParam().inserted + "ab\r\n");
    for (int line = 0; line < text.LineCount(); ++line)
        EXPECT_EQ(text.LineBytes(line).find_first_of("\r\n"), std::string::npos) << line;
    QTest::keyClick(&text, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(text), "ab\r\n");
    QTest::keyClick(&text, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Bytes(text), GetParam().inserted + "ab\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergedTextPaste,
    testing::Values(PasteCase{"PrivateUseCharacters", QString::fromUtf16(u"\uF70D\uF70A"), "\xEF\x9C\x8D\xEF\x9C\x8A"},
                    PasteCase{"CrLf", "X\r\nY", "X\r\nY"}, PasteCase{"LoneCr", "X\rY", "X\r\nY"},
                    PasteCase{"LoneLf", "X\nY\n", "X\r\nY\r\n"},
                    PasteCase{"BeyondTheBasicPlane", QString::fromUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80"}),
    [](const testing::TestParamInfo<PasteCase> &info) { return std::string(info.param.name); });

TEST_F(MergedTextEditing, CutRemovesTheSelectionAndUndoRedoFollow)
{
    Load("keep cut\r\n");
    QTest::keyClicks(&text, "new ");
    QTest::keyClick(&text, Qt::Key_End);
    QTest::keyClick(&text, Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(&text, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "cut");
    EXPECT_EQ(Bytes(text), "new keep \r\n");
    QTest::keyClick(&text, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(text), "new keep cut\r\n");
    QTest::keyClick(&text, Qt::Key_Z, Qt::ControlModifier); // the typing, as one step
    EXPECT_EQ(Bytes(text), "keep cut\r\n");
    EXPECT_FALSE(text.IsEdited());
    QTest::keyClick(&text, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Bytes(text), "new keep cut\r\n");
}

TEST_F(MergedTextEditing, MouseDragAndDoubleClickSelect)
{
    Load("alpha beta\r\ngamma\r\n");
    QTest::mousePress(text.viewport(), Qt::LeftButton, {}, Left(0, 2));
    QMouseEvent move(QEvent::MouseMove, Left(1, 3), text.viewport()->mapToGlobal(Left(1, 3)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text.viewport(), &move);
    QTest::mouseRelease(text.viewport(), Qt::LeftButton, {}, Left(1, 3));
    EXPECT_EQ(text.SelectedBytes(), "pha beta\r\ngam");

    QTest::mouseDClick(text.viewport(), Qt::LeftButton, {}, Left(0, 7));
    EXPECT_EQ(text.SelectedBytes(), "beta");
}

TEST_F(MergedTextEditing, TheHorizontalBarReachesTheEndOfALongLine)
{
    const std::string line = "\t" + std::string(20000, 'x') + "END";
    Load("short\r\n" + line + "\r\n");
    QScrollBar *bar = text.horizontalScrollBar();
    bar->setValue(bar->maximum());
    const QRect last = text.CellRect(1, line.size() - 1);
    EXPECT_GT(last.left(), 0);
    EXPECT_LE(last.right(), text.viewport()->width());

    // End brings the caret into view too.
    bar->setValue(0);
    QTest::keyClick(&text, Qt::Key_Down);
    QTest::keyClick(&text, Qt::Key_End);
    const QRect caret = text.CellRect(1, line.size());
    EXPECT_GE(caret.left(), 0);
    EXPECT_LE(caret.left(), text.viewport()->width());
}

TEST_F(MergedTextEditing, ColumnsFarAlongALongLineFollowEditsBeforeThem)
{
    const std::string line = std::string(30000, 'y') + "\t" + std::string(30000, 'z');
    Load(line + "\r\n");
    text.SetCaret(0, 50000); // reads the line this far
    QTest::keyClick(&text, Qt::Key_Home);
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xC3\xA9"));
    QApplication::sendEvent(&text, &accent); // one character of two bytes
    text.SetCaret(0, 40000);
    QTest::keyClicks(&text, "Q");

    CMergedEditCtrl fresh;
    fresh.resize(300, 200);
    fresh.StreamIn(Bytes(text));
    EXPECT_EQ(Bytes(text), "\xC3\xA9" + line.substr(0, 39998) + "Q" + line.substr(39998) + "\r\n");
    text.horizontalScrollBar()->setValue(0);
    for (std::size_t column : {29000u, 30002u, 50001u})
        EXPECT_EQ(text.CellRect(0, column), fresh.CellRect(0, column)) << column;
}

} // namespace
} // namespace lindo::test
