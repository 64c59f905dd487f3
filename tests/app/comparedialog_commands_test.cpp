// The main window's commands: comparing typed and dropped paths, failures,
// change navigation, merging to a file, and the merge target services.

#include "mainwindowfixture.h"
#include "merge/mergetargetdialog.h"
#include "support/modaldialog.h"
#include "uikit/controlid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QtTest/QTest>

#include <filesystem>

namespace lindo::test {
namespace {

using namespace mainwindow;

TEST_F(MainWindowTest, CompareTypedPathsFillsPanesAndHistories)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    EXPECT_EQ(w.StatusText(), "Ready");
    EXPECT_TRUE(w.Engine().IsCompared());
    EXPECT_EQ(w.Engine().Lines(1).size(), 4u);
    EXPECT_EQ(w.Engine().Lines(2).size(), 5u);
    EXPECT_EQ(History(w.FirstPathBox()), QStringList{QPath("one.txt")});
    EXPECT_EQ(History(w.SecondPathBox()), QStringList{QPath("two.txt")});
    const int lineHeight = w.GetView(2)->LineHeight();
    EXPECT_EQ(w.GetView(2)->TotalSize(), QSize(2000, lineHeight * 5 + 5));
    EXPECT_TRUE(prompter.requests.empty());
}

// Each path box's tooltip tells its file's encoding and line ends; the
// status tells when the files hold the same lines in different bytes.
TEST_F(MainWindowTest, StatusSaysWhatSetsFilesOfOneTextApartAndTooltipsTellEachFilesForm)
{
    const std::string utf16CrLf("\xFF\xFE" "c\0\xE9\0\r\0\n\0x\0\r\0\n\0", 16);
    const struct {
        std::string first;
        std::string second;
        const char *status;
        const char *firstTip;
        const char *secondTip;
    } rows[] = {
        {utf16CrLf, "c\xC3\xA9\nx\n", "The files differ only in their encoding and line ends", "UTF-16 LE, BOM \u00B7 CR LF",
         "UTF-8 \u00B7 LF"},
        {"c\xE9\nx\n", "c\xC3\xA9\nx\n", "The files differ only in their encoding", "Windows-1252 \u00B7 LF",
         "UTF-8 \u00B7 LF"},
        {"a\r\nb\n", "a\nb", "The files differ only in their line ends", "UTF-8 \u00B7 LF and CR LF",
         "UTF-8 \u00B7 LF"},
        {"a\nb\n", "a\nb\n", "Ready", "UTF-8 \u00B7 LF", "UTF-8 \u00B7 LF"},
        {"a\nb\n", "\xEF\xBB\xBF" "a\nc", "Ready", "UTF-8 \u00B7 LF", "UTF-8, BOM \u00B7 LF"},
        {"one", "one\n", "The files differ only in their line ends", "UTF-8 \u00B7 no line end", "UTF-8 \u00B7 LF"},
    };
    CCompareDialog &w = Open();
    for (const auto &row : rows) {
        WriteFile(dir / "first", row.first);
        WriteFile(dir / "second", row.second);
        CompareFiles("first", "second");
        EXPECT_EQ(w.StatusText(), row.status) << row.status;
        EXPECT_EQ(w.FirstPathBox()->toolTip(), QString::fromUtf8(row.firstTip)) << row.firstTip;
        EXPECT_EQ(w.SecondPathBox()->toolTip(), QString::fromUtf8(row.secondTip)) << row.secondTip;
    }
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(MainWindowTest, DroppedFileIsComparedAndOnlyThenRecorded)
{
    CCompareDialog &w = Open();
    ASSERT_TRUE(w.FirstPathBox()->TakeDroppedUrls(
        {QUrl::fromLocalFile(QPath("one.txt")), QUrl::fromLocalFile(QPath("two.txt"))}));
    EXPECT_EQ(w.FirstPathBox()->GetText(), QPath("one.txt"));
    EXPECT_EQ(w.FirstPathBox()->count(), 0);
    w.SecondPathBox()->SetText(QPath("two.txt"));
    Trigger(kCmdCompare);
    EXPECT_EQ(History(w.FirstPathBox()), QStringList{QPath("one.txt")});
}

TEST_F(MainWindowTest, FailedLoadReportsAndKeepsThePreviousComparison)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    const std::size_t sections = w.Engine().Sections(1).size();
    CompareFiles("one.txt", "missing.txt");
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].caption, "Error");
    EXPECT_EQ(prompter.requests[0].text, QPath("missing.txt") + " was not found.");
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Stop);
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(w.Engine().Lines(2).size(), 5u);
    EXPECT_EQ(w.Engine().Sections(1).size(), sections);
    EXPECT_EQ(History(w.SecondPathBox()), (QStringList{QPath("missing.txt"), QPath("two.txt")}));
    EXPECT_EQ(w.StatusText(), "Ready");
}

TEST_F(MainWindowTest, AnEmptyPathBoxIsNamedInTheMessage)
{
    CCompareDialog &w = Open();
    QApplication::setActiveWindow(&w);
    QTest::keyClicks(w.SecondPathBox()->lineEdit(), QPath("two.txt"));
    QTest::keyClick(&w, Qt::Key_F5);
    QApplication::processEvents();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "(no file name) was not found.");
}

// Records the text a label was last painted with.
class LastPaintedText : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            text = static_cast<QLabel *>(watched)->text();
        return false;
    }
    QString text;
};

TEST_F(MainWindowTest, ComparingFilesIsOnScreenWhileTheFilesAreRead)
{
    CCompareDialog &w = Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    LastPaintedText painted;
    FindControl<QLabel>(&w, kIdStatus)->installEventFilter(&painted);
    // A missing file is reported from inside the load, in the middle of the
    // comparison, before the event loop has run again.
    QString shownWhileReading;
    prompter.onAsk = [&](const PromptRequest &) { shownWhileReading = painted.text; };
    CompareFiles("one.txt", "missing.txt");
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(shownWhileReading, "Comparing files...");
}

TEST_F(MainWindowTest, EnterInAPathBoxDoesNothing)
{
    CCompareDialog &w = Open();
    w.FirstPathBox()->SetText(QPath("one.txt"));
    w.SecondPathBox()->SetText(QPath("two.txt"));
    QTest::keyClick(w.FirstPathBox()->lineEdit(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Engine().IsCompared());
    EXPECT_EQ(w.StatusText(), kStatusInitial);
}

TEST_F(MainWindowTest, NextAndPreviousChangeStepThroughBothPanes)
{
    std::string first;
    std::string second;
    for (int n = 0; n < 300; ++n) {
        first += "line " + std::to_string(n) + "\n";
        second += (n == 100 ? "changed\n" : n == 200 ? "other\n" : "line " + std::to_string(n) + "\n");
    }
    WriteFile(dir / "a.txt", first);
    WriteFile(dir / "b.txt", second);
    CCompareDialog &w = Open();
    CompareFiles("a.txt", "b.txt");
    Trigger(kCmdNextChange);
    EXPECT_EQ(w.GetView(1)->MiddleLine(), 100);
    EXPECT_EQ(w.GetView(2)->MiddleLine(), 100);
    Trigger(kCmdNextChange);
    EXPECT_EQ(w.GetView(1)->MiddleLine(), 200);
    Trigger(kCmdNextChange);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "No more changes");
    Trigger(kCmdPrevChange);
    EXPECT_EQ(w.GetView(1)->MiddleLine(), 100);
}

TEST_F(MainWindowTest, KeyboardShortcutsRunCompareAndStepThroughChanges)
{
    CCompareDialog &w = Open();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    w.FirstPathBox()->SetText(QPath("one.txt"));
    w.SecondPathBox()->SetText(QPath("two.txt"));
    QTest::keyClick(&w, Qt::Key_F5);
    QApplication::processEvents();
    EXPECT_TRUE(w.Engine().IsCompared());
    EXPECT_EQ(w.CommandAction(kCmdNextChange)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Down));
    EXPECT_EQ(w.CommandAction(kCmdPrevChange)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Up));
}

// Accepts the merge target prompt with `path`, or cancels it when path is empty.
ModalDialogDriver AnswerMergePrompt(const QString &path, QString *proposed)
{
    return ModalDialogDriver([path, proposed](QDialog &dialog) {
        auto *prompt = qobject_cast<CMergeTargetDialog *>(&dialog);
        if (!prompt) {
            dialog.reject();
            return;
        }
        auto *edit = prompt->findChildren<QLineEdit *>().value(0);
        *proposed = edit->text();
        if (path.isEmpty()) {
            prompt->reject();
            return;
        }
        edit->setText(path);
        prompt->accept();
    });
}

TEST_F(MainWindowTest, MergeToFileWritesTheMergeAndRemembersTheFolder)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    QString proposed;
    const QString target = QPath("out") + "/deeper/merged.txt";
    auto driver = AnswerMergePrompt(target, &proposed);
    Trigger(kCmdMergeToFile);
    EXPECT_TRUE(driver.Handled());
    EXPECT_EQ(proposed, "one.txt"); // no merge directory yet: the bare name of the first file
    EXPECT_EQ(ReadFile(dir / "out" / "deeper" / "merged.txt"),
              "alpha\nBETA\ngamma\ndelta\nepsilon\n"); // a "Different" pair gives the second file's version
    EXPECT_EQ(w.Engine().mergeDirectory, Path("out") + "/deeper");
    EXPECT_EQ(SettingsStore().ReadText("MergePath").value_or("<none>"), QPath("out") + "/deeper");
    // The next proposal is in the remembered folder.
    auto again = AnswerMergePrompt(QString(), &proposed);
    Trigger(kCmdMergeToFile);
    EXPECT_EQ(proposed, QPath("out") + "/deeper/one.txt");
}

TEST_F(MainWindowTest, MergeToFileAsksBeforeReplacingAComparedFile)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    const std::string before = ReadFile(dir / "one.txt");
    QString proposed;
    auto driver = AnswerMergePrompt(QPath("one.txt"), &proposed);
    prompter.answers = {PromptAnswer::No};
    Trigger(kCmdMergeToFile);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "Replace the compared file " + QPath("one.txt") + " with the merge?");
    EXPECT_EQ(prompter.requests[0].defaultButton, PromptAnswer::No);
    EXPECT_EQ(ReadFile(dir / "one.txt"), before);
}

TEST_F(MainWindowTest, MergeToFileAsksBeforeReplacingAnExistingFile)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    WriteFile(dir / "earlier.txt", "hand-edited merge");
    QString proposed;
    auto driver = AnswerMergePrompt(QPath("earlier.txt"), &proposed);
    prompter.answers = {PromptAnswer::No};
    Trigger(kCmdMergeToFile);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "Replace the existing file " + QPath("earlier.txt") + "?");
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.requests[0].defaultButton, PromptAnswer::No);
    EXPECT_EQ(ReadFile(dir / "earlier.txt"), "hand-edited merge");

    auto again = AnswerMergePrompt(QPath("earlier.txt"), &proposed);
    prompter.answers = {PromptAnswer::Yes};
    Trigger(kCmdMergeToFile);
    EXPECT_EQ(ReadFile(dir / "earlier.txt"), "alpha\nBETA\ngamma\ndelta\nepsilon\n");
}

TEST_F(MainWindowTest, CancelledMergePromptWritesNothing)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    SettingsStore().WriteText("MergePath", QPath("stored"));
    QString proposed;
    auto driver = AnswerMergePrompt(QString(), &proposed);
    Trigger(kCmdMergeToFile);
    EXPECT_EQ(proposed, QPath("stored") + "/one.txt");
    EXPECT_FALSE(std::filesystem::exists(dir / "stored"));
    EXPECT_TRUE(w.Engine().mergeDirectory.empty());
}

TEST_F(MainWindowTest, UnwritableMergeTargetIsReported)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    QString proposed;
    auto driver = AnswerMergePrompt("/dev/full", &proposed);
    Trigger(kCmdMergeToFile);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].caption, "Error");
    EXPECT_EQ(prompter.requests[0].text, "Disk full while accessing /dev/full.");
}

TEST_F(MainWindowTest, MergeTargetIsTheFirstFilesNameInTheMergeDirectory)
{
    CCompareDialog &w = Open();
    EXPECT_EQ(w.MakeMergeTarget("/merge"), "/merge"); // nothing compared yet: the directory itself
    CompareFiles("one.txt", "two.txt");
    EXPECT_EQ(w.MakeMergeTarget("/merge"), "/merge/one.txt");
    EXPECT_EQ(w.MakeMergeTarget(""), "one.txt");
    EXPECT_EQ(w.MakeMergeTarget(QString::fromStdString(dir.path().string())), QPath("one.txt"));
    w.Engine().mergeDirectory = "/chosen";
    EXPECT_EQ(w.DefaultMergeTarget(), "/chosen/one.txt");

    // Not after what the first box says now: a name typed but not compared,
    // or one whose load failed.
    w.FirstPathBox()->SetText(QPath("three.txt"));
    EXPECT_EQ(w.DefaultMergeTarget(), "/chosen/one.txt");
    Trigger(kCmdCompare); // three.txt does not exist
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(w.DefaultMergeTarget(), "/chosen/one.txt");
    EXPECT_EQ(w.MakeMergeTarget("/merge"), "/merge/one.txt");
}

TEST_F(MainWindowTest, EnsureMergeFolderCreatesEveryAncestorAndStoresTheFolder)
{
    CCompareDialog &w = Open();
    const QString nested = QPath("x") + "/y/z";
    w.EnsureMergeFolder(nested);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "x" / "y" / "z"));
    EXPECT_EQ(w.GetMergeDirectory(), nested);
    EXPECT_EQ(SettingsStore().ReadText("MergePath").value_or("<none>"), nested);

    // Relative folders are made below the working folder; an empty one is stored as it is.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    w.EnsureMergeFolder("rel/a");
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "rel" / "a"));
    w.EnsureMergeFolder("");
    EXPECT_EQ(SettingsStore().ReadText("MergePath").value_or("<none>"), "");
    EXPECT_EQ(w.GetMergeDirectory(), ""); // the engine holds none, the store says empty
}

TEST_F(MainWindowTest, CompareFilesPutsThePathsInTheBoxesAndCompares)
{
    CCompareDialog &w = Open();
    w.CompareFiles(Path("one.txt"), Path("two.txt"));
    EXPECT_TRUE(w.Engine().IsCompared());
    EXPECT_EQ(w.FirstPathBox()->GetText(), QPath("one.txt"));
    EXPECT_EQ(w.StatusText(), "Ready");
}

TEST_F(MainWindowTest, CompareFilesTakesNamesThatAreNotText)
{
    // Latin-1 names, as an old archive unpacks them: not valid UTF-8.
    WriteFile(dir / "caf\xe9 1.txt", "alpha\nbeta\n");
    WriteFile(dir / "caf\xe9 2.txt", "alpha\ngamma\n");
    CCompareDialog &w = Open();
    w.CompareFiles(Path("caf\xe9 1.txt"), Path("caf\xe9 2.txt"));
    EXPECT_TRUE(prompter.requests.empty());
    EXPECT_EQ(w.Engine().Lines(2).size(), 2u);
    // Compare again as it stands: the boxes still mean those files.
    Trigger(mainwindow::kCmdCompare);
    EXPECT_TRUE(prompter.requests.empty());
}

} // namespace
} // namespace lindo::test

#include "support/fakechoosers.h"
#include "support/keyboard.h"

namespace lindo::test {
namespace {

TEST_F(MainWindowTest, BrowsePutsTheChosenFileInTheBoxButNotInTheHistory)
{
    FakeChoosers choosers;
    choosers.fileAnswers.push_back(QPath("two.txt"));
    CCompareDialog &w = Open();
    w.FirstPathBox()->SetText(QPath("one.txt"));
    auto *browse = w.findChildren<QPushButton *>().value(0);
    for (QPushButton *button : w.findChildren<QPushButton *>()) {
        if (ControlId(button) == kIdBrowseFirst)
            browse = button;
    }
    QTest::mouseClick(browse, Qt::LeftButton);
    ASSERT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_EQ(choosers.fileRequests[0].title, "Select file to be compared:");
    EXPECT_EQ(choosers.fileRequests[0].initialDirectory, QString::fromStdString(dir.path().string()));
    EXPECT_EQ(w.FirstPathBox()->GetText(), QPath("two.txt"));
    EXPECT_EQ(w.FirstPathBox()->count(), 0);

    QTest::mouseClick(browse, Qt::LeftButton); // cancelled: unchanged
    EXPECT_EQ(w.FirstPathBox()->GetText(), QPath("two.txt"));
}

TEST_F(MainWindowTest, EnterOnAFocusedBrowseButtonBrowses)
{
    FakeChoosers choosers;
    CCompareDialog &w = Open();
    auto *browse = FindControl<QPushButton>(&w, kIdBrowseSecond);
    EXPECT_EQ(TabToAndPressEnter(browse), std::vector<QAbstractButton *>{browse});
    EXPECT_EQ(choosers.fileRequests.size(), 1u);
}

} // namespace
} // namespace lindo::test

#include "support/modaldialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>

namespace lindo::test {
namespace {

TEST_F(MainWindowTest, SettingsConfirmedAppliesToTheEngineAndTheNextComparison)
{
    CCompareDialog &w = Open();
    SettingsStore().WriteNumber("FoldersExStrEnabled", 0);
    ModalDialogDriver driver([](QDialog &sheet) {
        // Untick "Auto select" on the first page, then OK.
        for (QCheckBox *box : sheet.findChildren<QCheckBox *>()) {
            if (box->text().startsWith("Auto select"))
                box->setChecked(false);
        }
        sheet.accept();
    });
    Trigger(kCmdSettings);
    EXPECT_TRUE(driver.Handled());
    EXPECT_EQ(w.Engine().autoSelect, 0);
    EXPECT_EQ(w.Engine().exceptionStringsEnabled, 0);
    EXPECT_EQ(SettingsStore().ReadText("MergePath").value_or("<none>"), ""); // confirmed: the merge folder is stored
    CompareFiles("one.txt", "two.txt");
    for (const DiffSection &section : w.Engine().Sections(2))
        EXPECT_FALSE(section.IsSelected());
}

TEST_F(MainWindowTest, SettingsCancelledStillTakesTheStoredFolderSwitch)
{
    CCompareDialog &w = Open();
    SettingsStore().WriteNumber("FoldersExStrEnabled", 0);
    w.Engine().exceptionStringsEnabled = 1;
    ModalDialogDriver driver([](QDialog &sheet) { sheet.reject(); });
    Trigger(kCmdSettings);
    EXPECT_TRUE(driver.Handled());
    EXPECT_EQ(w.Engine().exceptionStringsEnabled, 0);
    EXPECT_FALSE(SettingsStore().ReadText("MergePath").has_value());
}

} // namespace
} // namespace lindo::test

#include "merge/mergeddialog.h"

namespace lindo::test {
namespace {

TEST_F(MainWindowTest, MergeToScreenTogglesTheMergedWindow)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    Trigger(kCmdMergeToScreen);
    ASSERT_NE(w.MergedDialog(), nullptr);
    EXPECT_TRUE(w.CommandAction(kCmdMergeToScreen)->isChecked());
    EXPECT_TRUE(w.MergedDialog()->isVisible());
    EXPECT_EQ(w.MergedDialog()->parentWidget(), nullptr); // a top-level window of its own
    const auto *text = w.MergedDialog()->findChild<CMergedEditCtrl *>();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->ToPlainText().startsWith("alpha\nBETA\n"));

    Trigger(kCmdMergeToScreen);
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_FALSE(w.CommandAction(kCmdMergeToScreen)->isChecked());
}

TEST_F(MainWindowTest, EscapeInTheMergedWindowClosesItAndUnchecksTheToggle)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    Trigger(kCmdMergeToScreen);
    QTest::keyClick(w.MergedDialog(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_FALSE(w.CommandAction(kCmdMergeToScreen)->isChecked());
    Trigger(kCmdMergeToScreen); // and the toggle opens a new one
    EXPECT_NE(w.MergedDialog(), nullptr);
}

TEST_F(MainWindowTest, TheMergedWindowsCloseBoxReleasesItAndTheCloseSequenceClosesIt)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    Trigger(kCmdMergeToScreen);
    w.MergedDialog()->close();
    QApplication::processEvents();
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_FALSE(w.CommandAction(kCmdMergeToScreen)->isChecked());
    WindowRect saved{};
    SettingsStore().ReadRect("MergedWindowPos", saved);
    EXPECT_NE(saved, WindowRect{});

    Trigger(kCmdMergeToScreen);
    w.close();
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_FALSE(w.isVisible());
}

} // namespace
} // namespace lindo::test

#include "folderwindow/foldercomparedialog.h"
#include "folderwindow/folderlistctrl.h"

namespace lindo::test {
namespace {

TEST_F(MainWindowTest, CompareFoldersTogglesTheFolderWindow)
{
    CCompareDialog &w = Open();
    Trigger(kCmdCompareFolders);
    ASSERT_NE(w.FolderDialog(), nullptr);
    EXPECT_TRUE(w.CommandAction(kCmdCompareFolders)->isChecked());
    EXPECT_EQ(w.FolderDialog()->parentWidget(), nullptr);
    Trigger(kCmdCompareFolders);
    EXPECT_EQ(w.FolderDialog(), nullptr);
    EXPECT_FALSE(w.CommandAction(kCmdCompareFolders)->isChecked());
}

TEST_F(MainWindowTest, TheFolderWindowsCloseBoxReleasesIt)
{
    CCompareDialog &w = Open();
    Trigger(kCmdCompareFolders);
    w.FolderDialog()->close();
    for (int turn = 0; turn < 5; ++turn)
        QApplication::processEvents();
    EXPECT_EQ(w.FolderDialog(), nullptr);
    EXPECT_FALSE(w.CommandAction(kCmdCompareFolders)->isChecked());
}

TEST_F(MainWindowTest, ClosingWithTheFolderWindowOpenAsksFirst)
{
    CCompareDialog &w = Open();
    Trigger(kCmdCompareFolders);
    prompter.answers.push_back(PromptAnswer::No);
    w.close();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "The folder compare dialog is still open.\n\nAre you sure you want to quit?");
    EXPECT_EQ(prompter.requests[0].caption, "lindo");
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::None);
    EXPECT_TRUE(w.isVisible());
    EXPECT_NE(w.FolderDialog(), nullptr);
    EXPECT_FALSE(SettingsStore().ReadText("FilePath1").has_value()); // nothing saved on No

    prompter.answers.push_back(PromptAnswer::Yes);
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.FolderDialog(), nullptr);
    EXPECT_TRUE(SettingsStore().ReadText("FilePath1").has_value());
}

TEST_F(MainWindowTest, FoldersFromTheCommandLineAreComparedAndAPairOpensHere)
{
    WriteFile(dir / "left" / "same.txt", "x\n");
    WriteFile(dir / "left" / "changed.txt", "old\n");
    WriteFile(dir / "right" / "same.txt", "x\n");
    WriteFile(dir / "right" / "changed.txt", "new\n");
    CCompareDialog &w = Open();
    w.CompareFolders(QPath("left"), QPath("right"));
    for (int turn = 0; turn < 20 && w.FolderDialog()->Results()->topLevelItemCount() == 0; ++turn)
        QApplication::processEvents();
    CFolderListCtrl *results = w.FolderDialog()->Results();
    ASSERT_EQ(results->topLevelItemCount(), 1); // "The same" rows are off by default
    results->topLevelItem(0)->setSelected(true);
    w.FolderDialog()->OnDoubleClick();
    for (int turn = 0; turn < 5; ++turn)
        QApplication::processEvents();
    EXPECT_EQ(w.FirstPathBox()->GetText(), QPath("left") + "/changed.txt");
    EXPECT_EQ(w.SecondPathBox()->GetText(), QPath("right") + "/changed.txt");
    EXPECT_TRUE(w.Engine().IsCompared());
}

} // namespace
} // namespace lindo::test

#include "app/aboutdialog.h"

namespace lindo::test {
namespace {

TEST_F(MainWindowTest, AboutShowsTheAboutBoxModally)
{
    Open();
    QString title;
    bool wasAbout = false;
    ModalDialogDriver driver([&](QDialog &dialog) {
        title = dialog.windowTitle();
        wasAbout = qobject_cast<CAboutDialog *>(&dialog) != nullptr;
        dialog.accept();
    });
    Trigger(kCmdAbout);
    EXPECT_TRUE(driver.Handled());
    EXPECT_TRUE(wasAbout);
    EXPECT_EQ(title, "About Lindo");
}

} // namespace
} // namespace lindo::test
