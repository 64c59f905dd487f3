// The Merged window's text as lines of bytes: edits, undo and the saved state.

#include "merge/mergedtext.h"

#include <gtest/gtest.h>

#include <string>

namespace lindo::test {
namespace {

std::string All(const MergedText &text)
{
    return text.Bytes({}, text.End());
}

TEST(MergedText, OnlyCrLfBreaksALine)
{
    MergedText text;
    text.Append(std::string("a\rb\nc\r\n\0d", 9));
    text.Append("e\r\nf");
    ASSERT_EQ(text.LineCount(), 3);
    EXPECT_EQ(text.Line(0), "a\rb\nc");
    EXPECT_EQ(text.Line(1), std::string("\0de", 3));
    EXPECT_EQ(All(text), std::string("a\rb\nc\r\n\0de\r\nf", 13));
}

TEST(MergedText, ReplacingAcrossLinesAndUndoingGivesTheBytesBack)
{
    MergedText text;
    text.Append("one\r\ntwo\r\nthree\r\nfour");
    const std::string original = All(text);
    const TextPos end = text.Replace({0, 2}, {2, 3}, "X\r\nY\r\nZ\r\n");
    EXPECT_EQ(All(text), "onX\r\nY\r\nZ\r\nee\r\nfour");
    EXPECT_EQ(end, (TextPos{3, 0}));
    text.Replace({3, 2}, {4, 0}, "");
    EXPECT_EQ(All(text), "onX\r\nY\r\nZ\r\neefour");

    TextPos from;
    TextPos to;
    ASSERT_TRUE(text.Undo(from, to));
    ASSERT_TRUE(text.Undo(from, to));
    EXPECT_EQ(All(text), original);
    EXPECT_EQ(to, (TextPos{2, 3}));
    EXPECT_FALSE(text.CanUndo());
    ASSERT_TRUE(text.Redo(from, to));
    EXPECT_EQ(All(text), "onX\r\nY\r\nZ\r\nee\r\nfour");
}

TEST(MergedText, TypedCharactersAreOneUndoStepUntilSomethingElseHappens)
{
    MergedText text;
    text.Append("ab");
    text.Replace({0, 1}, {0, 1}, "x", MergedText::EditKind::Typing);
    text.Replace({0, 2}, {0, 2}, "y", MergedText::EditKind::Typing);
    text.CloseTyping();
    text.Replace({0, 3}, {0, 3}, "z", MergedText::EditKind::Typing);
    EXPECT_EQ(All(text), "axyzb");
    TextPos from;
    TextPos to;
    text.Undo(from, to);
    EXPECT_EQ(All(text), "axyb");
    text.Undo(from, to);
    EXPECT_EQ(All(text), "ab");
}

TEST(MergedText, EditedFollowsUndoBackToTheSavedText)
{
    MergedText text;
    text.Append("ab");
    EXPECT_FALSE(text.IsEdited());
    text.Replace({0, 0}, {0, 1}, "");
    EXPECT_TRUE(text.IsEdited());
    text.MarkSaved();
    EXPECT_FALSE(text.IsEdited());
    TextPos from;
    TextPos to;
    text.Undo(from, to);
    EXPECT_TRUE(text.IsEdited());
    text.Redo(from, to);
    EXPECT_FALSE(text.IsEdited());
    // Undone past the save and edited otherwise: the saved text is out of reach.
    text.Undo(from, to);
    text.Replace({0, 0}, {0, 0}, "q");
    EXPECT_TRUE(text.IsEdited());
}

TEST(MergedText, CharactersAreValidSequencesOrSingleBytes)
{
    MergedText text;
    text.Append("a\xC3\xBC\xE2\x82\xAC\xFF\xC3z");
    EXPECT_EQ(text.NextColumn(0, 1), 3u);
    EXPECT_EQ(text.NextColumn(0, 3), 6u);
    EXPECT_EQ(text.NextColumn(0, 6), 7u); // an invalid byte
    EXPECT_EQ(text.NextColumn(0, 7), 8u); // a lead byte without its continuation
    EXPECT_EQ(text.PreviousColumn(0, 9), 8u);
    EXPECT_EQ(text.PreviousColumn(0, 8), 7u);
    EXPECT_EQ(text.PreviousColumn(0, 7), 6u);
    EXPECT_EQ(text.PreviousColumn(0, 6), 3u);
    EXPECT_EQ(text.PreviousColumn(0, 3), 1u);
}

} // namespace
} // namespace lindo::test
