// The Merged window's text area on its own: taking a long text in slices,
// however long it is.

#include "merge/mergededitctrl.h"

#include <QCoreApplication>
#include <QTextBlock>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <string>

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
    const int firstBlocks = text.document()->blockCount();
    EXPECT_GT(firstBlocks, 1);
    EXPECT_LT(firstBlocks, 40000);
    EXPECT_EQ(text.textCursor().position(), 0);
    EXPECT_FALSE(text.document()->isUndoRedoEnabled());

    for (int turn = 0; turn < 1000 && text.IsStreamingIn(); ++turn)
        QCoreApplication::processEvents();
    EXPECT_FALSE(text.IsStreamingIn());
    EXPECT_EQ(text.document()->blockCount(), 40001);
    EXPECT_TRUE(text.document()->isUndoRedoEnabled());
    EXPECT_EQ(text.textCursor().position(), 0);
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
    EXPECT_FALSE(text.document()->isUndoAvailable());
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
    EXPECT_EQ(text.document()->blockCount(), 21);
    EXPECT_EQ(Bytes(text), bytes);
}

} // namespace
} // namespace lindo::test
