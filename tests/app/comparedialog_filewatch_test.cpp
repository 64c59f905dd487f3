// Compared files changed on disk: the main window tells, under its toolbar,
// and compares again only when asked.

#include "app/filewatch.h"
#include "mainwindowfixture.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest/QTest>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace lindo::test {
namespace {

using namespace mainwindow;
namespace fs = std::filesystem;

constexpr int kQuietMs = FileWatch::kSettleMs * 3; // any notice has come by then
constexpr int kTimeoutMs = 5000;
QString Told(const char *names)
{
    return QString::fromLatin1(names) + " changed on disk. Press F5 to compare again.";
}
const QString kTwoChanged = Told("two.txt");

class ChangedOnDiskTest : public MainWindowTest {
protected:
    QLabel &Notice() { return *window->ChangedNotice(); }
    bool NoticeReads(const QString &text)
    {
        return QTest::qWaitFor([&] { return !Notice().isHidden() && Notice().text() == text; }, kTimeoutMs);
    }
};

TEST_F(ChangedOnDiskTest, EachKindOfChangeShowsNoticeWithoutComparing)
{
    const struct {
        const char *name;
        std::function<void(const fs::path &)> change;
        QString text;
    } rows[] = {
        {"write", [](const fs::path &d) { WriteFile(d / "two.txt", "x\n"); }, kTwoChanged},
        {"replace by rename",
         [](const fs::path &d) {
             WriteFile(d / "saving.tmp", "x\n");
             fs::rename(d / "saving.tmp", d / "two.txt");
         },
         kTwoChanged},
        {"delete", [](const fs::path &d) { fs::remove(d / "two.txt"); }, kTwoChanged},
        {"both",
         [](const fs::path &d) {
             WriteFile(d / "two.txt", "x\n");
             WriteFile(d / "one.txt", "y\n");
         },
         Told("one.txt and two.txt")},
    };
    for (const auto &row : rows) {
        SetUp();
        CCompareDialog &w = Open();
        CompareFiles("one.txt", "two.txt");
        row.change(dir.path());
        EXPECT_TRUE(NoticeReads(row.text)) << row.name << ": " << Notice().text().toStdString();
        EXPECT_EQ(w.Engine().Lines(2).size(), 5u) << row.name;
    }
    EXPECT_TRUE(prompter.requests.empty());
    // The notice takes the place of the path boxes, which move down with the panes.
    EXPECT_EQ(Notice().y(), kPathTop);
    EXPECT_GT(window->FirstPathBox()->y(), Notice().geometry().bottom());
    EXPECT_GT(window->GetView(1)->y(), window->FirstPathBox()->geometry().bottom());
}

TEST_F(ChangedOnDiskTest, CompareAgainHidesNoticeAndShowsNewContent)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    WriteFile(dir / "two.txt", "1\n2\n3\n4\n5\n6\n7\n");
    ASSERT_TRUE(NoticeReads(kTwoChanged));
    QTest::keyClick(&w, Qt::Key_F5);
    EXPECT_TRUE(Notice().isHidden());
    EXPECT_EQ(w.Engine().Lines(2).size(), 7u);
    EXPECT_EQ(w.GetView(1)->y(), kPaneTop);
    EXPECT_EQ(w.FirstPathBox()->y(), kPathTop);
    WriteFile(dir / "two.txt", "again\n");
    EXPECT_TRUE(NoticeReads(kTwoChanged));
}

TEST_F(ChangedOnDiskTest, NoChangeSinceTheComparisonShownNoNotice)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    WriteFile(dir / "two.txt", "new\n");
    Trigger(kCmdCompare); // before the write has settled
    QTest::qWait(kQuietMs);
    EXPECT_TRUE(Notice().isHidden());
}

TEST_F(ChangedOnDiskTest, OnlyTheFilesOfTheComparisonShownAreWatched)
{
    Open();
    CompareFiles("one.txt", "two.txt");
    CompareFiles("missing.txt", "two.txt"); // fails: one.txt and two.txt stay shown
    WriteFile(dir / "one.txt", "changed\n");
    ASSERT_TRUE(NoticeReads(Told("one.txt")));
    WriteFile(dir / "three.txt", "a\n");
    CompareFiles("three.txt", "two.txt");
    WriteFile(dir / "one.txt", "again\n");
    QTest::qWait(kQuietMs);
    EXPECT_TRUE(Notice().isHidden());
}

TEST(FileWatch, QuickWritesToBothFilesAreToldOnce)
{
    TempDir dir;
    const QString a = QString::fromStdString((dir / "a.txt").string());
    const QString b = QString::fromStdString((dir / "b.txt").string());
    WriteFile(dir / "a.txt", "a\n");
    WriteFile(dir / "b.txt", "b\n");
    FileWatch watch;
    QSignalSpy told(&watch, &FileWatch::Changed);
    watch.Watch(FileWatch::Look({a, b}));
    for (int n = 2; n < 7; ++n) {
        WriteFile(dir / "a.txt", std::string(static_cast<std::size_t>(n), 'a'));
        QTest::qWait(10); // its event is in before the next write
        WriteFile(dir / "b.txt", std::string(static_cast<std::size_t>(n), 'b'));
        QTest::qWait(10);
    }
    QTest::qWait(kQuietMs);
    EXPECT_EQ(told.count(), 1);
    EXPECT_EQ(watch.ChangedFiles(), (QStringList{a, b}));
}

TEST(FileWatch, WriteBetweenLookAndWatchCounts)
{
    TempDir dir;
    const QString a = QString::fromStdString((dir / "a.txt").string());
    WriteFile(dir / "a.txt", "a\n");
    const std::vector<WatchedFile> looked = FileWatch::Look({a});
    WriteFile(dir / "a.txt", "read after the look\n");
    FileWatch watch;
    watch.Watch(looked);
    EXPECT_EQ(watch.ChangedFiles(), QStringList{a});
}

// Times are set by hand: the rewrite keeps the size and the second, only the
// nanoseconds of its time tell it apart.
TEST(FileWatch, SameSizeRewriteWithinTheSameSecondCounts)
{
    TempDir dir;
    const QString a = QString::fromStdString((dir / "a.txt").string());
    const auto writeAt = [&](const char *bytes, long nanoseconds) {
        WriteFile(dir / "a.txt", bytes);
        const timespec times[2] = {{1700000000, nanoseconds}, {1700000000, nanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);
    };
    writeAt("a\n", 100);
    const std::vector<WatchedFile> looked = FileWatch::Look({a});
    writeAt("b\n", 200);
    FileWatch watch;
    watch.Watch(looked);
    EXPECT_EQ(watch.ChangedFiles(), QStringList{a});
}

TEST(ChangedOnDiskText, NamesTellTheFilesApart)
{
    const struct {
        const char *name;
        QStringList changed;
        QStringList watched;
        QString text;
    } rows[] = {
        {"both of one name", {"/w/old/x.c", "/w/new/x.c"}, {"/w/old/x.c", "/w/new/x.c"}, Told("old/x.c and new/x.c")},
        {"one of one name", {"/w/new/x.c"}, {"/w/old/x.c", "/w/new/x.c"}, Told("new/x.c")},
        {"one file on both sides", {"/w/x.c", "/w/x.c"}, {"/w/x.c", "/w/x.c"}, Told("x.c")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ChangedOnDiskText(row.changed, row.watched), row.text) << row.name;
}

} // namespace
} // namespace lindo::test
