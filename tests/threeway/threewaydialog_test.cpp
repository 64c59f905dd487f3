// The Three-way Merge window: choices, conflicts left, saving and closing.

#include "threewaywindowfixture.h"

#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "engine/textencoding.h"
#include "threeway/threewaypane.h"

#include <QScrollBar>

namespace lindo::test {
namespace {

using namespace threeway;

// FILE1 changes the first line and one in the middle; FILE2 the same middle
// line otherwise and the last line: one conflict between two changes taken
// at once.
const std::string kBase = "alpha\nbeta\ngamma\ndelta\nepsilon\n";
const std::string kFirst = "ALPHA\nbeta\ngamma one\ndelta\nepsilon\n";
const std::string kSecond = "alpha\nbeta\ngamma two\ndelta\nEPSILON\n";

std::string Resolved(const std::string &middle)
{
    return "ALPHA\nbeta\n" + middle + "delta\nEPSILON\n";
}

struct TakeRow {
    std::string name;
    int key;
    int button;
    std::string middle;
};

class ThreeWayTake : public ThreeWayWindowTest, public testing::WithParamInterface<TakeRow> {};

TEST_P(ThreeWayTake, TakesTheChoiceForTheCurrentConflictAndUndoOpensItAgain)
{
    Open(kFirst, kBase, kSecond, OutPath());
    ASSERT_EQ(Status(), "1 of 1 conflict left");
    if (GetParam().key != 0)
        Key(GetParam().key, Qt::ControlModifier);
    else
        QTest::mouseClick(&Button(GetParam().button), Qt::LeftButton);
    EXPECT_EQ(Status(), "0 of 1 conflict left");
    ASSERT_TRUE(window->Save());
    EXPECT_TRUE(prompter.requests.empty());
    EXPECT_EQ(ReadFile(OutPath()), Resolved(GetParam().middle));
    EXPECT_EQ(window->ExitStatus(), 0);

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Status(), "1 of 1 conflict left");
    EXPECT_EQ(window->ConflictsLeft(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ThreeWayTake,
    testing::Values(TakeRow{"FirstByKey", Qt::Key_1, 0, "gamma one\n"},
                    TakeRow{"SecondByKey", Qt::Key_2, 0, "gamma two\n"},
                    TakeRow{"FirstThenSecondByKey", Qt::Key_3, 0, "gamma one\ngamma two\n"},
                    TakeRow{"SecondThenFirstByKey", Qt::Key_4, 0, "gamma two\ngamma one\n"},
                    TakeRow{"BaseByKey", Qt::Key_B, 0, "gamma\n"},
                    TakeRow{"SecondByButton", 0, kIdTakeSecond, "gamma two\n"}),
    [](const testing::TestParamInfo<TakeRow> &info) { return info.param.name; });

TEST_F(ThreeWayWindowTest, UndoAndRedoOfAChoiceThatLeftNoLinesFindTheConflictAgain)
{
    // FILE1 deletes the line FILE2 changes: taking FILE1 leaves the conflict no lines.
    Open("a\nc\n", "a\nb\nc\n", "a\nB\nc\n", OutPath());
    Key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(Status(), "0 of 1 conflict left");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Status(), "1 of 1 conflict left");
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Status(), "0 of 1 conflict left");
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_2, Qt::ControlModifier); // the conflict, not the line after it
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(ReadFile(OutPath()), "a\nB\nc\n");
}

TEST_F(ThreeWayWindowTest, LinesTypedAboveAConflictMoveItDown)
{
    Open(kFirst, kBase, kSecond, OutPath());
    Result().SetCaret(0, 0);
    QTest::keyClicks(&Result(), "new");
    Key(Qt::Key_Return, Qt::NoModifier);
    Key(Qt::Key_Return, Qt::NoModifier);
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(Status(), "0 of 1 conflict left");
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(ReadFile(OutPath()), "new\n\n" + Resolved("gamma one\n"));
}

TEST_F(ThreeWayWindowTest, NextAndPreviousMoveThroughTheOpenConflicts)
{
    Open("a1\nb\nc1\nd\ne1\n", "a\nb\nc\nd\ne\n", "a2\nb\nc2\nd\ne2\n", OutPath());
    EXPECT_EQ(Status(), "3 of 3 conflicts left");
    EXPECT_EQ(Result().CaretLine(), 0); // on the first conflict from the start
    Key(Qt::Key_Down, Qt::AltModifier);
    const int second = Result().CaretLine();
    EXPECT_TRUE(Result().LineBytes(second).starts_with("<<<<<<< one"));
    EXPECT_GT(second, 0);
    Key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(Status(), "2 of 3 conflicts left");
    // The resolved conflict is passed over.
    Key(Qt::Key_Down, Qt::AltModifier);
    Key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Result().CaretLine(), 0);
    EXPECT_NE(window->StretchColour(window->CurrentStretch()), kResolvedConflictColour);
}

TEST_F(ThreeWayWindowTest, AResolvedConflictLooksDifferentFromAnOpenOne)
{
    Open(kFirst, kBase, kSecond, OutPath());
    const int conflict = window->CurrentStretch();
    EXPECT_EQ(window->StretchColour(conflict), kOpenConflictColour);
    Key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(window->StretchColour(conflict), kResolvedConflictColour);
}

TEST_F(ThreeWayWindowTest, SavingWithConflictsLeftAsksAndWritesGitsMarkers)
{
    Open(kFirst, kBase, kSecond, OutPath());
    prompter.answers = {PromptAnswer::No};
    EXPECT_FALSE(window->Save());
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "1 conflict is left. Save with conflict markers?");
    EXPECT_FALSE(std::filesystem::exists(OutPath()));

    EXPECT_TRUE(window->Save()); // Yes
    EXPECT_EQ(ReadFile(OutPath()), Resolved("<<<<<<< one\ngamma one\n=======\ngamma two\n>>>>>>> two\n"));
    EXPECT_EQ(window->ExitStatus(), 1);
}

TEST_F(ThreeWayWindowTest, TheQuestionCountsTheConflictsLeft)
{
    Open("a1\nb\nc1\n", "a\nb\nc\n", "a2\nb\nc2\n", OutPath());
    prompter.answers = {PromptAnswer::No};
    window->Save();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "2 conflicts are left. Save with conflict markers?");
}

TEST_F(ThreeWayWindowTest, ClosingWithUnsavedChoicesAsksAsTheMergedWindowDoes)
{
    Open(kFirst, kBase, kSecond, OutPath());
    Key(Qt::Key_1, Qt::ControlModifier);
    prompter.answers = {PromptAnswer::Cancel};
    window->close();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "Save the changes to the merged text?");
    EXPECT_TRUE(window->isVisible());

    prompter.answers = {PromptAnswer::No};
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), 1);
    EXPECT_FALSE(std::filesystem::exists(OutPath()));
}

TEST_F(ThreeWayWindowTest, SaveWithNoOutputFileAsksWhereAndThenWritesThere)
{
    Open(kFirst, kBase, kSecond, {});
    Key(Qt::Key_2, Qt::ControlModifier);
    choosers.fileAnswers = {QString::fromStdString(OutPath())};
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_EQ(ReadFile(OutPath()), Resolved("gamma two\n"));
    // The chosen file is where the next save goes, without asking.
    Key(Qt::Key_1, Qt::ControlModifier);
    ASSERT_TRUE(window->Save());
    EXPECT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_EQ(ReadFile(OutPath()), Resolved("gamma one\n"));
}

TEST_F(ThreeWayWindowTest, APaneScrolledToAStretchTakesTheOthersToTheSameStretch)
{
    // FILE1 adds many lines at the top, so its lines and the result's run ahead of BASE's.
    std::string added;
    for (int n = 0; n < 200; ++n)
        added += "added " + std::to_string(n) + "\n";
    std::string base;
    for (int n = 0; n < 200; ++n)
        base += "line " + std::to_string(n) + "\n";
    Open(added + base, base, base, OutPath());
    window->resize(800, 400);
    auto *firstPane = FindControl<CThreeWayPane>(window.get(), kIdFirstPane);
    auto *basePane = FindControl<CThreeWayPane>(window.get(), kIdFirstPane + 1);
    basePane->verticalScrollBar()->setValue(50);
    EXPECT_EQ(firstPane->verticalScrollBar()->value(), 250);
    EXPECT_EQ(Result().verticalScrollBar()->value(), 250);
}

TEST_F(ThreeWayWindowTest, ChangesWithinLinesAreTintedOnlyWithTheOptionOn)
{
    for (const bool on : {false, true}) {
        SettingsStore().WriteNumber(settings::kShowLineChanges, on ? 1 : 0);
        Open("one two three\n", "one 2 three\n", "one 2 three\n", OutPath());
        const auto *pane = FindControl<CThreeWayPane>(window.get(), kIdFirstPane);
        const std::vector<std::pair<int, int>> expected = on ? std::vector<std::pair<int, int>>{{4, 7}}
                                                             : std::vector<std::pair<int, int>>{};
        EXPECT_EQ(pane->LineAt(0).tints, expected) << (on ? "on" : "off");
    }
}

// Each file is written in encoding, with its BOM; returns the three paths.
std::array<std::string, 3> WriteTriple(const TempDir &dir, const std::array<std::string, 3> &texts,
                                       const TextEncoding &encoding)
{
    std::array<std::string, 3> paths;
    for (std::size_t f = 0; f < 3; ++f) {
        std::string bytes(BomOf(encoding));
        EXPECT_TRUE(EncodeText(texts[f], encoding, bytes));
        paths[f] = (dir / ("file" + std::to_string(f))).string();
        WriteFile(paths[f], bytes);
    }
    return paths;
}

TEST_F(ThreeWayWindowTest, OpensUtf16FilesAsTextAndSavesTheResultInUtf16)
{
    const TextEncoding utf16{"UTF-16LE", true};
    OpenFiles(WriteTriple(dir, {"caf\xC3\xA9 one\nbeta\ngamma\n", "caf\xC3\xA9\nbeta\ngamma\n",
                                "caf\xC3\xA9\nbeta\ngamma two\n"}, utf16),
              OutPath());
    EXPECT_EQ(Result().LineBytes(0), "caf\xC3\xA9 one");
    ASSERT_TRUE(window->Save());
    std::string expected(BomOf(utf16));
    EncodeText("caf\xC3\xA9 one\nbeta\ngamma two\n", utf16, expected);
    EXPECT_EQ(ReadFile(OutPath()), expected);
}

TEST_F(ThreeWayWindowTest, FilesNeitherUtf8NorMarkedAreReadInTheStoredFallback)
{
    SettingsStore().WriteText(settings::kFallbackEncoding, QStringLiteral("KOI8-R"));
    OpenFiles(WriteTriple(dir, {"\xD0\xB4\xD0\xB0\n", "\xD0\xB4\xD0\xB0\n", "\xD0\xB4\xD0\xB0\n"},
                          {"KOI8-R", false}),
              OutPath());
    EXPECT_EQ(Result().LineBytes(0), "\xD0\xB4\xD0\xB0");
}

} // namespace
} // namespace lindo::test
