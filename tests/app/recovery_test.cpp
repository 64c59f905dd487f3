// Unsaved merged text when the program is ended from outside: SIGTERM, SIGINT and
// SIGHUP reach the event loop, the text is kept in the state folder readable
// by its owner alone, and the next start offers it.

#include "app/recoveryfile.h"
#include "app/terminationwatch.h"

#include "mainwindowfixture.h"
#include "merge/mergeddialog.h"
#include "support/fakechoosers.h"

#include <QSignalSpy>
#include <QtTest/QTest>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;
using namespace mainwindow;

TEST(TerminationWatch, TermHangUpAndInterruptArriveOnTheEventLoop)
{
    TerminationWatch watch;
    QSignalSpy terminated(&watch, &TerminationWatch::Terminated);
    for (int number : {SIGTERM, SIGHUP, SIGINT}) {
        terminated.clear();
        ASSERT_EQ(::raise(number), 0); // would end the test program without the watch
        EXPECT_TRUE(terminated.isEmpty()) << "nothing runs inside the handler";
        QTRY_COMPARE(terminated.size(), 1);
        EXPECT_EQ(terminated.at(0).at(0).toInt(), number);
    }
}

class RecoveryTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        setenv("XDG_STATE_HOME", Path("state").c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("XDG_STATE_HOME");
        MainWindowTest::TearDown();
    }

    CCompareDialog &OpenMerged()
    {
        CCompareDialog &w = Open();
        CompareFiles("one.txt", "two.txt");
        Trigger(kCmdMergeToScreen);
        return w;
    }

    fs::path Kept() const { return dir / "state" / "lindo" / "unsaved-merge.txt"; }
    FakeChoosers choosers;
};

TEST_F(RecoveryTest, UnsavedMergedTextIsKeptForTheOwnerAlone)
{
    CCompareDialog &w = OpenMerged();
    EXPECT_TRUE(w.KeepUnsavedMergedText());
    EXPECT_FALSE(fs::exists(Kept())) << "nothing unsaved, nothing kept";

    QTest::keyClicks(w.MergedDialog()->findChild<CMergedEditCtrl *>(), "typed ");
    EXPECT_TRUE(w.KeepUnsavedMergedText());
    EXPECT_EQ(ReadFile(Kept()), "typed alpha\nBETA\ngamma\ndelta\nepsilon\n");
    struct stat status {};
    ASSERT_EQ(::stat(Kept().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(RecoveryTest, TheNextStartOffersTheKeptText)
{
    fs::create_directories(Kept().parent_path());
    WriteFile(Kept(), "kept text\r\n");
    prompter.answers = {PromptAnswer::No};
    OfferRecoveredText(nullptr);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, kRecoveredTextFormat.arg(QString::fromStdString(Kept().string())));
    EXPECT_TRUE(fs::exists(Kept())) << "No keeps it for the next start";

    prompter.answers = {PromptAnswer::Yes};
    choosers.fileAnswers.push_back(QPath("rescued.txt"));
    OfferRecoveredText(nullptr);
    ASSERT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_TRUE(choosers.fileRequests[0].forSaving);
    EXPECT_EQ(ReadFile(dir / "rescued.txt"), "kept text\r\n");
    EXPECT_FALSE(fs::exists(Kept()));
    OfferRecoveredText(nullptr);
    EXPECT_EQ(prompter.requests.size(), 2u) << "nothing left to offer";
}

} // namespace
} // namespace lindo::test
