// The main window and the Merged window's unsaved edits: every way the main
// window can throw the text away asks first, and only when there are edits.

#include "mainwindowfixture.h"
#include "merge/mergeddialog.h"

#include <QtTest/QTest>

#include <filesystem>

namespace lindo::test {
namespace {

using namespace mainwindow;

const QString kSaveQuestion = QStringLiteral("Save the changes to the merged text?");

class MergedEditsTest : public MainWindowTest {
protected:
    // A compared pair, its Merged window open and typed into; Save writes to out/one.txt.
    CCompareDialog &OpenEdited()
    {
        CCompareDialog &w = Open();
        CompareFiles("one.txt", "two.txt");
        std::filesystem::create_directory(dir / "out");
        w.Engine().mergeDirectory = Path("out");
        Trigger(kCmdMergeToScreen);
        QTest::keyClicks(TextArea(), "typed ");
        return w;
    }

    CMergedEditCtrl *TextArea() { return window->MergedDialog()->findChild<CMergedEditCtrl *>(); }
    std::filesystem::path SaveTarget() const { return dir / "out" / "one.txt"; }
};

TEST_F(MergedEditsTest, WithoutEditsTheToggleAndEscapeAskNothing)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    Trigger(kCmdMergeToScreen);
    QTest::keyClick(w.MergedDialog(), Qt::Key_Escape);
    Trigger(kCmdMergeToScreen);
    EXPECT_EQ(w.MergedDialog(), nullptr);
    Trigger(kCmdMergeToScreen);
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(MergedEditsTest, EscapeAsksAndCancelKeepsTheProgramAndItsText)
{
    CCompareDialog &w = OpenEdited();
    prompter.answers = {PromptAnswer::Cancel};
    QTest::keyClick(&w, Qt::Key_Escape);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, kSaveQuestion);
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_TRUE(w.isVisible());
    ASSERT_NE(w.MergedDialog(), nullptr);
    EXPECT_TRUE(TextArea()->ToPlainText().startsWith("typed alpha"));

    prompter.answers = {PromptAnswer::No};
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(std::filesystem::exists(SaveTarget()));
}

TEST_F(MergedEditsTest, TheToggleAsksAndYesSavesBeforeClosing)
{
    CCompareDialog &w = OpenEdited();
    prompter.answers = {PromptAnswer::Yes};
    Trigger(kCmdMergeToScreen);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, kSaveQuestion);
    EXPECT_EQ(ReadFile(SaveTarget()), "typed alpha\nBETA\ngamma\ndelta\nepsilon\n");
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_FALSE(w.CommandAction(kCmdMergeToScreen)->isChecked());
}

TEST_F(MergedEditsTest, TheCloseSequenceAsksCancelKeepsAllAndNoDiscards)
{
    CCompareDialog &w = OpenEdited();
    prompter.answers = {PromptAnswer::Cancel};
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_NE(w.MergedDialog(), nullptr);
    EXPECT_FALSE(SettingsStore().ReadText("FilePath1").has_value()) << "cancel comes before the settings are saved";

    prompter.answers = {PromptAnswer::No};
    w.close();
    EXPECT_EQ(prompter.requests.size(), 2u);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(SaveTarget()));
}

TEST_F(MergedEditsTest, SavedEditsNeedNoQuestion)
{
    CCompareDialog &w = OpenEdited();
    w.MergedDialog()->SaveMergedText(QString::fromStdString(SaveTarget().string()));
    Trigger(kCmdMergeToScreen);
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(MergedEditsTest, SaveChecksTheFilesTheTextCameFromByTheirBytes)
{
    // Latin-1 names, not valid UTF-8; the merge folder is theirs, so Save's
    // target is the first of them.
    WriteFile(dir / "caf\xe9 1.txt", "alpha\nbeta\n");
    WriteFile(dir / "caf\xe9 2.txt", "alpha\ngamma\n");
    CCompareDialog &w = Open();
    w.CompareFiles(Path("caf\xe9 1.txt"), Path("caf\xe9 2.txt"));
    w.Engine().mergeDirectory = dir.path().string();
    Trigger(kCmdMergeToScreen);
    // The main window compares other files meanwhile.
    CompareFiles("one.txt", "two.txt");
    w.Engine().mergeDirectory = dir.path().string();
    prompter.answers = {PromptAnswer::No};
    w.MergedDialog()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.MergedDialog()));
    QTest::keyClick(TextArea(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_TRUE(prompter.requests[0].text.startsWith("Replace the compared file ")) << prompter.requests[0].text.toStdString();
    EXPECT_EQ(ReadFile(dir / "caf\xe9 1.txt"), "alpha\nbeta\n");
}

} // namespace
} // namespace lindo::test
