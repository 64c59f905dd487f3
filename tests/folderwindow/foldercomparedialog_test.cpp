// The Folder Comparison window's runs: Go and what it lists, the object count,
// Abort and closing during a run, the close steps and what they save, and
// double-clicking a row.

#include "folderwindow/foldercomparedialogids.h"
#include "folderwindowfixture.h"
#include "settingsstore/settingsstore.h"
#include "uikit/controlid.h"
#include "uikit/windowplacement.h"

#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest/QTest>

namespace lindo::test {
namespace {

using namespace folderwindow;
using RowTexts = std::vector<std::string>;

QPushButton *GoButton(CFolderCompareDialog &window)
{
    return FindControl<QPushButton>(&window, kIdGo);
}

std::optional<QString> Stored(const char *name)
{
    return SettingsStore().ReadText(QString::fromLatin1(name));
}

bool PositionStored()
{
    const WindowRect none{-1, -1, -1, -1};
    WindowRect rect = none;
    SettingsStore().ReadRect("FoldersWindowPos", rect);
    return rect != none;
}

TEST_F(FolderWindowTest, GoListsEveryFileWithItsStateAndPicture)
{
    PutMixedTrees();
    CFolderCompareDialog &w = Open();
    Go(w);
    EXPECT_EQ(Rows(w), (RowTexts{"Only in folder1\t/gone.txt", "Different - 1 is more recent\t/newer1.txt",
                             "Different - 2 is more recent\t/newer2.txt", "The same\t/same.txt",
                             "Only in folder2\t/sub/new.txt"}));
    const FolderState states[] = {FolderOnlyIn1, FolderNewer1, FolderNewer2, FolderSame, FolderOnlyIn2};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(w.Results()->topLevelItem(row)->icon(0).cacheKey(), w.Results()->Image(states[row]).cacheKey())
            << row;
    }
    EXPECT_EQ(w.StatusText(), "Done.");
    EXPECT_EQ(w.CountText(), "5 Objects.");
    EXPECT_EQ(w.GoCaption(), "Go");
    EXPECT_FALSE(w.IsRunning());
}

TEST_F(FolderWindowTest, IdenticalFilesAreLeftOutWhenShowSameIsOff)
{
    PutMixedTrees();
    owner.showSame = 0;
    CFolderCompareDialog &w = Open();
    Go(w);
    EXPECT_EQ(w.CountText(), "4 Objects.");
    for (const std::string &row : Rows(w))
        EXPECT_EQ(row.find("The same"), std::string::npos) << row;
}

TEST_F(FolderWindowTest, ExceptionStringsRefuseRowsWhileSwitchedOn)
{
    PutMixedTrees();
    Put(1, "Debug/out.obj", "x");
    owner.engine.SetExceptionStrings("\\debug\\,newer,");
    CFolderCompareDialog &w = Open();
    Go(w);
    EXPECT_EQ(Rows(w), (RowTexts{"Only in folder1\t/gone.txt", "The same\t/same.txt", "Only in folder2\t/sub/new.txt"}));
    owner.engine.exceptionStringsEnabled = 0;
    w.OnGo();
    EXPECT_EQ(w.CountText(), "6 Objects.");
}

TEST_F(FolderWindowTest, AFileBothSidesHoldButCannotReadIsAnInconsistency)
{
    Put(1, "clash.txt", "one", kTime);
    Put(2, "clash.txt", "two", kTime);
    ASSERT_EQ(mkfifo((Root(1) / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((Root(2) / "pipe").c_str(), 0600), 0);
    CFolderCompareDialog &w = Open();
    w.FolderBox(1)->SetText(Folder(1));
    w.FolderBox(2)->SetText(Folder(2));
    QTest::mouseClick(GoButton(w), Qt::LeftButton);
    EXPECT_EQ(Rows(w), (RowTexts{"Different - same time\t/clash.txt", "Not compared - a pipe\t/pipe"}));
    EXPECT_EQ(w.Results()->topLevelItem(0)->icon(0).cacheKey(), w.Results()->Image(FolderSameTime).cacheKey());
    EXPECT_EQ(w.StatusText(), "Done. There was a compare inconsistency");
    // Equal times with other bytes alone are normal, and the flag belongs to
    // one run.
    std::filesystem::remove(Root(2) / "pipe");
    QTest::mouseClick(GoButton(w), Qt::LeftButton);
    EXPECT_EQ(Rows(w), (RowTexts{"Different - same time\t/clash.txt", "Only in folder1\t/pipe"}));
    EXPECT_EQ(w.StatusText(), "Done.");
}

struct CountCase {
    const char *name;
    int files;
    const char *text;
};

class ObjectCount : public FolderWindowTest, public testing::WithParamInterface<CountCase> {};

TEST_P(ObjectCount, NamesTheRowsInTheList)
{
    PutIdenticalFiles(GetParam().files);
    CFolderCompareDialog &w = Open();
    EXPECT_EQ(w.CountText(), "0 Objects"); // the template's text until a run
    Go(w);
    EXPECT_EQ(w.CountText(), GetParam().text);
    EXPECT_EQ(w.Results()->topLevelItemCount(), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(FolderWindow, ObjectCount,
                         testing::Values(CountCase{"One", 1, "1 Object."}, CountCase{"Two", 2, "2 Objects."},
                                         CountCase{"Three", 3, "3 Objects."}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderWindowTest, AnEmptyResultClearsTheListAndTheCount)
{
    PutMixedTrees();
    CFolderCompareDialog &w = Open();
    Go(w);
    ASSERT_EQ(w.Results()->topLevelItemCount(), 5);
    std::filesystem::remove_all(Root(1));
    std::filesystem::remove_all(Root(2));
    std::filesystem::create_directories(Root(1));
    std::filesystem::create_directories(Root(2));
    w.OnGo();
    EXPECT_EQ(w.Results()->topLevelItemCount(), 0);
    EXPECT_EQ(w.CountText(), "0 Objects.");
    EXPECT_EQ(w.StatusText(), "Done.");
    EXPECT_EQ(w.GoCaption(), "Go");
}

TEST_F(FolderWindowTest, AbortStopsAtTheNextStepAndKeepsTheRowsFound)
{
    PutIdenticalFiles(10);
    CFolderCompareDialog &w = Open();
    std::vector<QString> captions;
    owner.onShowSameRead = [&](int reads) {
        captions.push_back(w.GoCaption());
        if (reads == 3)
            QTimer::singleShot(0, GoButton(w), &QPushButton::click);
    };
    Go(w);
    EXPECT_EQ(captions, (std::vector<QString>{"Abort", "Abort", "Abort"}));
    EXPECT_EQ(w.Results()->topLevelItemCount(), 3);
    EXPECT_EQ(w.StatusText(), "Done.");
    EXPECT_EQ(w.GoCaption(), "Go");
    EXPECT_FALSE(w.IsAbortRequested());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(owner.closeCalls, 0);

    // The next Go runs to the end.
    owner.onShowSameRead = nullptr;
    w.OnGo();
    EXPECT_EQ(w.Results()->topLevelItemCount(), 10);
}

TEST_F(FolderWindowTest, AbortWorksWhileTheTreesAreRead)
{
    PutIdenticalFiles(5);
    CFolderCompareDialog &w = Open();
    w.SetPumpInterval(CFolderCompareDialog::kPumpIntervalMs);
    // Clicked at the first chance the run gives: before the first folder is read.
    QTimer::singleShot(0, GoButton(w), &QPushButton::click);
    Go(w);
    EXPECT_EQ(owner.showSameReads, 0);
    EXPECT_EQ(w.Results()->topLevelItemCount(), 0);
    EXPECT_EQ(w.StatusText(), "Done.");
    EXPECT_EQ(w.GoCaption(), "Go");
}

TEST_F(FolderWindowTest, ALongStepIsFollowedByHandlingEvents)
{
    PutIdenticalFiles(10);
    CFolderCompareDialog &w = Open();
    w.SetPumpInterval(CFolderCompareDialog::kPumpIntervalMs);
    owner.onShowSameRead = [&](int reads) {
        if (reads == 2) {
            QTimer::singleShot(0, GoButton(w), &QPushButton::click);
            QThread::msleep(CFolderCompareDialog::kPumpIntervalMs + 5);
        }
    };
    Go(w);
    EXPECT_EQ(w.Results()->topLevelItemCount(), 2);
    EXPECT_EQ(w.GoCaption(), "Go");
}

TEST_F(FolderWindowTest, RowsFoundAppearDuringTheRunWithTheirCount)
{
    PutIdenticalFiles(3);
    CFolderCompareDialog &w = Open();
    w.SetPumpInterval(CFolderCompareDialog::kPumpIntervalMs);
    int listed = -1;
    QString count;
    owner.onShowSameRead = [&](int reads) {
        if (reads == 2)
            QThread::msleep(CFolderCompareDialog::kShowRowsIntervalMs + 5);
        if (reads == 3) {
            listed = w.Results()->topLevelItemCount();
            count = w.CountText();
        }
    };
    Go(w);
    EXPECT_EQ(listed, 2);
    EXPECT_EQ(count, "2 Objects.");
    EXPECT_EQ(w.Results()->topLevelItemCount(), 3);
    EXPECT_EQ(w.CountText(), "3 Objects.");
}

// A close request during a run (the window's own close box, or the main
// window's toggle) stops the run; the window then runs its close steps.
struct CloseDuringRunCase {
    const char *name;
    std::function<void(FakeOwner &)> request;
    int closeCalls; // the owner's CloseFolderDialog calls in all
};

class CloseDuringRun : public FolderWindowTest, public testing::WithParamInterface<CloseDuringRunCase> {};

TEST_P(CloseDuringRun, StopsTheRunThenClosesSavingTheHistories)
{
    PutIdenticalFiles(10);
    CFolderCompareDialog &w = Open();
    QString captionAfterRequest;
    owner.onShowSameRead = [&](int reads) {
        if (reads == 2) {
            GetParam().request(owner);
            captionAfterRequest = w.GoCaption();
        }
    };
    Go(w);
    EXPECT_EQ(captionAfterRequest, "Abort");
    EXPECT_EQ(owner.showSameReads, 2);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(Stored("FolderPath1").value_or("<none>"), Folder(1) + ",");
    EXPECT_EQ(Stored("FolderPath2").value_or("<none>"), Folder(2) + ",");
    WindowRect saved;
    SettingsStore().ReadRect("FoldersWindowPos", saved);
    EXPECT_EQ(saved, OuterRect(&w));
    ASSERT_TRUE(owner.dialog); // handed back from the event loop, not from inside the run
    QApplication::processEvents();
    EXPECT_FALSE(owner.dialog);
    EXPECT_EQ(owner.closeCalls, GetParam().closeCalls);
}

INSTANTIATE_TEST_SUITE_P(
    FolderWindow, CloseDuringRun,
    testing::Values(CloseDuringRunCase{"CloseBox", [](FakeOwner &o) { o.dialog->close(); }, 1},
                    CloseDuringRunCase{"MainWindowToggle", [](FakeOwner &o) { EXPECT_FALSE(o.CloseFolderDialog()); },
                                       2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderWindowTest, AbortAfterACloseRequestCancelsTheClose)
{
    PutIdenticalFiles(10);
    CFolderCompareDialog &w = Open();
    owner.onShowSameRead = [&](int reads) {
        if (reads == 2) {
            w.close();
            GoButton(w)->click();
        }
    };
    Go(w);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.GoCaption(), "Go");
    QApplication::processEvents();
    EXPECT_EQ(owner.closeCalls, 0);
    EXPECT_FALSE(Stored("FolderPath1"));
}

TEST_F(FolderWindowTest, OnlyTheWindowsOwnCloseStepsSaveHistoriesAndPosition)
{
    PutMixedTrees();
    CFolderCompareDialog &w = Open();
    Go(w);
    EXPECT_EQ(w.FolderBox(1)->itemText(0), Folder(1)); // the run adds both texts to the histories
    EXPECT_EQ(w.FolderBox(2)->itemText(0), Folder(2));

    // Escape only hides the window.
    QTest::keyClick(&w, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(owner.closeCalls, 0);
    EXPECT_FALSE(Stored("FolderPath1"));
    EXPECT_FALSE(PositionStored());

    // The main window deleting it directly saves nothing either.
    EXPECT_TRUE(owner.CloseFolderDialog());
    EXPECT_FALSE(Stored("FolderPath1"));
    EXPECT_FALSE(Stored("FolderPath2"));
    EXPECT_FALSE(PositionStored());

    // Its close box saves, and the next window starts from what was saved.
    CFolderCompareDialog &again = Open();
    again.FolderBox(1)->SetText(Folder(1));
    again.FolderBox(1)->AddToHistory();
    again.close();
    EXPECT_EQ(Stored("FolderPath1").value_or("<none>"), Folder(1) + ",");
    EXPECT_EQ(Stored("FolderPath2").value_or("<none>"), "");
    EXPECT_TRUE(PositionStored());
    QApplication::processEvents();
    EXPECT_EQ(owner.closeCalls, 2);
    EXPECT_FALSE(owner.dialog);
    EXPECT_EQ(Open().FolderBox(1)->GetText(), Folder(1));
}

TEST_F(FolderWindowTest, StartComparisonFillsBothBoxesAndRuns)
{
    PutMixedTrees();
    CFolderCompareDialog &w = Open();
    w.StartComparison(Folder(1), Folder(2));
    EXPECT_EQ(w.FolderBox(1)->GetText(), Folder(1));
    EXPECT_EQ(w.FolderBox(2)->GetText(), Folder(2));
    EXPECT_EQ(w.Results()->topLevelItemCount(), 5);
}

TEST_F(FolderWindowTest, DoubleClickOpensThePairInTheMainWindow)
{
    PutMixedTrees();
    CFolderCompareDialog &w = Open();
    Go(w);
    CFolderListCtrl *list = w.Results();
    const QRect row = list->visualItemRect(list->topLevelItem(2));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_TRUE(owner.compared.empty()); // from the event loop, not inside the click
    QApplication::processEvents();
    ASSERT_EQ(owner.compared.size(), 1u);
    EXPECT_EQ(owner.compared[0].first, (Root(1) / "newer2.txt").string());
    EXPECT_EQ(owner.compared[0].second, (Root(2) / "newer2.txt").string());

    // A click below the last row selects nothing, and a double-click there
    // opens nothing; with two rows selected nothing happens either.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.center().x(), list->viewport()->height() - 2));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.center().x(), list->viewport()->height() - 2));
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    w.OnDoubleClick();
    QApplication::processEvents();
    EXPECT_EQ(owner.compared.size(), 1u);
}

TEST_F(FolderWindowTest, DoubleClickFindsTheSecondSidesOwnSpelling)
{
    Put(1, "Docs/Readme.txt", "one", kTime + 1);
    Put(2, "docs/README.txt", "two", kTime);
    CFolderCompareDialog &w = Open();
    Go(w);
    ASSERT_EQ(Rows(w), (RowTexts{"Different - 1 is more recent\t/Docs/Readme.txt"}));
    w.Results()->topLevelItem(0)->setSelected(true);
    w.OnDoubleClick();
    QApplication::processEvents();
    ASSERT_EQ(owner.compared.size(), 1u);
    EXPECT_EQ(owner.compared[0].first, (Root(1) / "Docs/Readme.txt").string());
    EXPECT_EQ(owner.compared[0].second, (Root(2) / "docs/README.txt").string());
}

TEST_F(FolderWindowTest, DoubleClickOpensAPairWhoseNameIsNotText)
{
    const std::string name = "caf\xe9.txt"; // Latin-1, not valid UTF-8
    Put(1, name, "one", kTime + 1);
    Put(2, name, "two", kTime);
    CFolderCompareDialog &w = Open();
    Go(w);
    CFolderListCtrl *list = w.Results();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
    QApplication::processEvents();
    ASSERT_EQ(owner.compared.size(), 1u);
    EXPECT_EQ(owner.compared[0].first, (Root(1) / name).string());
    EXPECT_EQ(owner.compared[0].second, (Root(2) / name).string());
}

TEST_F(FolderWindowTest, DoubleClickWorksDuringARun)
{
    PutIdenticalFiles(5);
    CFolderCompareDialog &w = Open();
    owner.onShowSameRead = [&](int reads) {
        if (reads == 2) {
            w.Results()->topLevelItem(0)->setSelected(true);
            w.OnDoubleClick();
        }
    };
    Go(w);
    ASSERT_EQ(owner.compared.size(), 1u);
    EXPECT_EQ(owner.compared[0].second, (Root(2) / "f10.txt").string());
    EXPECT_EQ(w.Results()->topLevelItemCount(), 5);
}

} // namespace
} // namespace lindo::test
