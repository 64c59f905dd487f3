// Compared files changed on disk: the main window tells, under its toolbar,
// and compares again only when asked.

#include "app/filewatch.h"
#include "mainwindowfixture.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest/QTest>

#include <filesystem>

namespace lindo::test {
namespace {

using namespace mainwindow;

// Long enough for any settled notice to have come.
constexpr int kQuietMs = FileWatch::kSettleMs * 3;
constexpr int kTimeoutMs = 5000;

class ChangedOnDiskTest : public MainWindowTest {
protected:
    QLabel &Notice() { return *window->ChangedNotice(); }

    bool NoticeReads(const QString &text)
    {
        return QTest::qWaitFor([&] { return !Notice().isHidden() && Notice().text() == text; }, kTimeoutMs);
    }

    void ReplaceByRename(const char *name, std::string_view bytes)
    {
        WriteFile(dir / "saving.tmp", bytes);
        std::filesystem::rename(dir / "saving.tmp", dir / name);
    }
};

TEST_F(ChangedOnDiskTest, WriteShowsNoticeUnderToolBarWithoutComparing)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    ASSERT_TRUE(Notice().isHidden());
    WriteFile(dir / "two.txt", "alpha\n");
    ASSERT_TRUE(NoticeReads("two.txt changed on disk. Press F5 to compare again."));
    EXPECT_EQ(w.Engine().Lines(2).size(), 5u);
    EXPECT_TRUE(prompter.requests.empty());
    // The notice takes the place of the path boxes, which move down with the panes.
    EXPECT_EQ(Notice().y(), kPathTop);
    EXPECT_GT(w.FirstPathBox()->y(), Notice().geometry().bottom());
    EXPECT_GT(w.GetView(1)->y(), w.FirstPathBox()->geometry().bottom());
}

TEST_F(ChangedOnDiskTest, ReplacementByRenameShowsNotice)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    ReplaceByRename("one.txt", "alpha\nbeta\n");
    EXPECT_TRUE(NoticeReads("one.txt changed on disk. Press F5 to compare again."));
}

TEST_F(ChangedOnDiskTest, DeletionShowsNotice)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    std::filesystem::remove(dir / "one.txt");
    EXPECT_TRUE(NoticeReads("one.txt changed on disk. Press F5 to compare again."));
}

TEST_F(ChangedOnDiskTest, BothChangedAreNamedInOneNotice)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    WriteFile(dir / "two.txt", "x\n");
    WriteFile(dir / "one.txt", "y\n");
    EXPECT_TRUE(NoticeReads("one.txt and two.txt changed on disk. Press F5 to compare again."));
}

TEST_F(ChangedOnDiskTest, CompareAgainHidesNoticeAndShowsNewContent)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    WriteFile(dir / "two.txt", "1\n2\n3\n4\n5\n6\n7\n");
    ASSERT_TRUE(NoticeReads("two.txt changed on disk. Press F5 to compare again."));
    QTest::keyClick(&w, Qt::Key_F5);
    EXPECT_TRUE(Notice().isHidden());
    EXPECT_EQ(w.Engine().Lines(2).size(), 7u);
    EXPECT_EQ(w.GetView(1)->geometry(), w.GetPaneRect(1));
    EXPECT_EQ(w.GetView(1)->y(), kPaneTop);
    EXPECT_EQ(w.FirstPathBox()->y(), kPathTop);
    // Still watched afterwards.
    ReplaceByRename("two.txt", "again\n");
    EXPECT_TRUE(NoticeReads("two.txt changed on disk. Press F5 to compare again."));
}

TEST_F(ChangedOnDiskTest, NoChangeNoNotice)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    CompareFiles("one.txt", "two.txt");
    QTest::qWait(kQuietMs);
    EXPECT_TRUE(Notice().isHidden());
}

TEST_F(ChangedOnDiskTest, WriteBeforeComparingAgainIsNotTold)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    WriteFile(dir / "two.txt", "new\n");
    Trigger(kCmdCompare); // before the write has settled
    QTest::qWait(kQuietMs);
    EXPECT_TRUE(Notice().isHidden());
    EXPECT_EQ(w.Engine().Lines(2).size(), 1u);
}

TEST_F(ChangedOnDiskTest, FilesNoLongerShownAreNotWatched)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    WriteFile(dir / "three.txt", "a\n");
    CompareFiles("three.txt", "two.txt");
    WriteFile(dir / "one.txt", "changed\n");
    QTest::qWait(kQuietMs);
    EXPECT_TRUE(Notice().isHidden());
}

TEST_F(ChangedOnDiskTest, FailedLoadKeepsWatchingTheComparisonShown)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    CompareFiles("missing.txt", "two.txt");
    ASSERT_EQ(prompter.requests.size(), 1u);
    WriteFile(dir / "one.txt", "changed\n");
    EXPECT_TRUE(NoticeReads("one.txt changed on disk. Press F5 to compare again."));
}

TEST(FileWatch, QuickWritesToBothFilesAreToldOnce)
{
    TempDir dir;
    WriteFile(dir / "a.txt", "a\n");
    WriteFile(dir / "b.txt", "b\n");
    FileWatch watch;
    QSignalSpy told(&watch, &FileWatch::Changed);
    const auto path = [&](const char *name) { return QString::fromStdString((dir / name).string()); };
    watch.Watch(FileWatch::Look({path("a.txt"), path("b.txt")}));
    for (int n = 0; n < 5; ++n) {
        WriteFile(dir / "a.txt", std::string(static_cast<std::size_t>(n + 2), 'a'));
        WriteFile(dir / "b.txt", std::string(static_cast<std::size_t>(n + 2), 'b'));
        QTest::qWait(10);
    }
    ASSERT_TRUE(told.wait(kTimeoutMs));
    QTest::qWait(kQuietMs);
    EXPECT_EQ(told.count(), 1);
    EXPECT_EQ(watch.ChangedFiles(), (QStringList{path("a.txt"), path("b.txt")}));
}

TEST(FileWatch, WriteBetweenLookAndWatchCounts)
{
    TempDir dir;
    const QString path = QString::fromStdString((dir / "a.txt").string());
    WriteFile(dir / "a.txt", "a\n");
    const std::vector<WatchedFile> looked = FileWatch::Look({path});
    WriteFile(dir / "a.txt", "read after the look\n");
    FileWatch watch;
    watch.Watch(looked);
    EXPECT_EQ(watch.ChangedFiles(), QStringList{path});
}

TEST(ChangedOnDiskText, NamesTellTheFilesApart)
{
    const struct {
        const char *name;
        QStringList changed;
        QStringList watched;
        QString text;
    } rows[] = {
        {"one of two", {"/w/src/first.c"}, {"/w/src/first.c", "/w/b.c"},
         "first.c changed on disk. Press F5 to compare again."},
        {"two names", {"/w/a.c", "/w/b.c"}, {"/w/a.c", "/w/b.c"},
         "a.c and b.c changed on disk. Press F5 to compare again."},
        {"one name in two folders", {"/w/old/x.c", "/w/new/x.c"}, {"/w/old/x.c", "/w/new/x.c"},
         "old/x.c and new/x.c changed on disk. Press F5 to compare again."},
        {"one of one name in two folders", {"/w/new/x.c"}, {"/w/old/x.c", "/w/new/x.c"},
         "new/x.c changed on disk. Press F5 to compare again."},
        {"one file on both sides", {"/w/x.c", "/w/x.c"}, {"/w/x.c", "/w/x.c"},
         "x.c changed on disk. Press F5 to compare again."},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ChangedOnDiskText(row.changed, row.watched), row.text) << row.name;
}

} // namespace
} // namespace lindo::test
