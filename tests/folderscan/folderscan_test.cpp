#include "engine/diffengine.h"
#include "folderscan/folderrowlist.h"
#include "folderscan/folderscan.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace lindo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

constexpr std::int64_t kTime = 1600000000; // any whole second

void SetWriteTime(const fs::path &path, std::int64_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Plays the window: folder boxes, an abort button pressed after a number of
// pumps, the show-same setting, and the result list. Rows are kept as
// "STATE<TAB>PATH" lines, in list order.
class TestHost final : public FolderScanHost {
public:
    TestHost(std::string folder1, std::string folder2)
        : m_rows(engine)
    {
        folders[0] = std::move(folder1);
        folders[1] = std::move(folder2);
        engine.exceptionStrings.clear();
    }

    bool PumpMessages() override
    {
        ++pumps;
        if (onPump)
            onPump(*this);
        return abortAtPump > 0 && pumps >= abortAtPump;
    }
    std::string FolderPath(int side) override { return folders[side - 1]; }
    int ReadFoldersShowSame() override
    {
        ++showSameReads;
        return showSameSource ? showSameSource() : showSame;
    }
    void OfferRow(const std::string &relativePath, FolderState state) override
    {
        ++offers;
        if (m_rows.AddRow(relativePath, state) >= 0)
            rows.push_back(std::string(FolderStateText(state)) + '\t' + relativePath);
    }
    void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }

    DiffEngine engine;
    std::string folders[2];
    int showSame = 1;
    std::function<int()> showSameSource;
    int abortAtPump = 0; // 0: never
    std::function<void(TestHost &)> onPump;
    int pumps = 0;
    int showSameReads = 0;
    int offers = 0;
    std::vector<std::string> rows;
    std::vector<std::string> statuses;

private:
    FolderRowList m_rows;
};

using Rows = std::vector<std::string>;

// Two trees side by side under one temporary folder.
class TwoTrees {
public:
    fs::path Root(int side) const { return m_dir / (side == 1 ? "one" : "two"); }
    std::string Folder(int side) const { return Root(side).string(); }

    void Put(int side, const std::string &relative, std::string_view bytes, std::int64_t time = kTime)
    {
        const fs::path path = Root(side) / relative;
        WriteFile(path, bytes);
        SetWriteTime(path, time);
    }
    void PutBoth(const std::string &relative, std::string_view bytes, std::int64_t time = kTime)
    {
        Put(1, relative, bytes, time);
        Put(2, relative, bytes, time);
    }
    void Folder(int side, const std::string &relative) const
    {
        fs::create_directories(Root(side) / relative);
    }

    const fs::path &Dir() const { return m_dir.path(); }

private:
    TempDir m_dir;
};

Rows RunScan(TestHost &host)
{
    FolderScan scan(host);
    scan.Run(host.folders[0], host.folders[1]);
    EXPECT_FALSE(scan.IsRunning());
    return host.rows;
}

// ---- Classification ---------------------------------------------------------------------

TEST(FolderScanClassify, StatesFollowContentsThenTimes)
{
    TwoTrees trees;
    trees.PutBoth("same.txt", "equal bytes");
    trees.Put(1, "sametimes.txt", "equal bytes", kTime + 50); // equal contents, different times
    trees.Put(2, "sametimes.txt", "equal bytes", kTime);
    trees.Put(1, "newer1.txt", "one", kTime + 10);
    trees.Put(2, "newer1.txt", "two", kTime);
    trees.Put(1, "newer2.txt", "one", kTime);
    trees.Put(2, "newer2.txt", "two", kTime + 10);
    trees.Put(1, "prefix.txt", "abc", kTime);
    trees.Put(2, "prefix.txt", "abcd", kTime + 1);
    trees.Put(1, "empty.txt", "", kTime + 1);
    trees.Put(2, "empty.txt", "x", kTime);
    trees.Put(1, "big.bin", std::string(600000, 'a') + "1", kTime + 1); // differs past the first blocks
    trees.Put(2, "big.bin", std::string(600000, 'a') + "2", kTime);
    trees.Put(1, "bigsame.bin", std::string(700001, 'b'), kTime + 3); // equal across many blocks
    trees.Put(2, "bigsame.bin", std::string(700001, 'b'), kTime);
    trees.Put(1, "only1.txt", "1");
    trees.Put(2, "only2.txt", "2");
    TestHost host(trees.Folder(1), trees.Folder(2));
    EXPECT_EQ(RunScan(host), (Rows{
                                 "Different - 1 is more recent\t/big.bin",
                                 "The same\t/bigsame.bin",
                                 "Different - 1 is more recent\t/empty.txt",
                                 "Different - 1 is more recent\t/newer1.txt",
                                 "Different - 2 is more recent\t/newer2.txt",
                                 "Only in folder1\t/only1.txt",
                                 "Only in folder2\t/only2.txt",
                                 "Different - 2 is more recent\t/prefix.txt",
                                 "The same\t/same.txt",
                                 "The same\t/sametimes.txt",
                             }));
    EXPECT_EQ(host.statuses, (Rows{"Comparing...", "Done."}));
}

TEST(FolderScanClassify, OnlyAPathBothSidesHoldButCannotReadIsAnInconsistency)
{
    TwoTrees trees;
    trees.Put(1, "a.txt", "one");
    trees.Put(2, "a.txt", "two");
    trees.Folder(1, "");
    trees.Folder(2, "");
    ASSERT_EQ(mkfifo((trees.Root(1) / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((trees.Root(2) / "pipe").c_str(), 0600), 0);
    TestHost host(trees.Folder(1), trees.Folder(2));
    FolderScan scan(host);
    scan.Run(host.folders[0], host.folders[1]);
    EXPECT_EQ(host.rows, (Rows{"Different - same time\t/a.txt", "Not compared - a pipe\t/pipe"}));
    EXPECT_TRUE(scan.HadInconsistency());
    EXPECT_EQ(host.statuses.back(), "Done. There was a compare inconsistency");

    // Equal times with other bytes alone are no inconsistency, and the flag
    // belongs to one run.
    fs::remove(trees.Root(2) / "pipe");
    scan.Run(host.folders[0], host.folders[1]);
    EXPECT_FALSE(scan.HadInconsistency());
    EXPECT_EQ(host.statuses.back(), "Done.");
}

// A pipe cannot be read as a file: against a readable file of the same path
// on the other side, the row says what it is, and the run that it was not
// compared.
TEST(FolderScanClassify, APathOneSideAloneCannotReadIsAnInconsistency)
{
    for (const int unreadable : {1, 2}) {
        TwoTrees trees;
        trees.Put(3 - unreadable, "pipe", "text");
        trees.Folder(unreadable, "");
        ASSERT_EQ(mkfifo((trees.Root(unreadable) / "pipe").c_str(), 0600), 0);
        TestHost host(trees.Folder(1), trees.Folder(2));
        FolderScan scan(host);
        scan.Run(host.folders[0], host.folders[1]);
        EXPECT_EQ(host.rows, Rows{"Not compared - a pipe\t/pipe"})
            << "side " << unreadable;
        EXPECT_TRUE(scan.HadInconsistency()) << "side " << unreadable;
    }
}

TEST(FolderScanClassify, APathOnOneSideOnlyIsOnlyThereEvenWhenItCannotBeOpened)
{
    TwoTrees trees;
    trees.Folder(1, "");
    trees.Folder(2, "");
    ASSERT_EQ(mkfifo((trees.Root(1) / "pipe1").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((trees.Root(2) / "pipe2").c_str(), 0600), 0);
    fs::create_symlink("nowhere", trees.Root(1) / "dangling1");
    fs::create_symlink("nowhere", trees.Root(2) / "dangling2");
    TestHost host(trees.Folder(1), trees.Folder(2));
    FolderScan scan(host);
    scan.Run(host.folders[0], host.folders[1]);
    EXPECT_EQ(host.rows, (Rows{"Only in folder1\t/dangling1", "Only in folder2\t/dangling2",
                               "Only in folder1\t/pipe1", "Only in folder2\t/pipe2"}));
    EXPECT_FALSE(scan.HadInconsistency());
}

TEST(FolderScanClassify, ShowSameIsReadAtEveryIdenticalPair)
{
    TwoTrees trees;
    for (const char *name : {"a", "b", "c", "d", "e"})
        trees.PutBoth(name, name);
    trees.Put(1, "f", "differs", kTime + 1);
    trees.Put(2, "f", "DIFFERS", kTime);
    TestHost host(trees.Folder(1), trees.Folder(2));
    int reads = 0;
    host.showSameSource = [&] { return ++reads % 2; }; // changes between pairs
    EXPECT_EQ(RunScan(host), (Rows{"The same\t/a", "The same\t/c", "The same\t/e",
                                   "Different - 1 is more recent\t/f"}));
    EXPECT_EQ(host.showSameReads, 5);

    TestHost off(trees.Folder(1), trees.Folder(2));
    off.showSame = 0;
    EXPECT_EQ(RunScan(off), (Rows{"Different - 1 is more recent\t/f"}));
}

TEST(FolderScanClassify, PipesAndFoldersCountAsFilesThatCannotBeOpened)
{
    TwoTrees trees;
    trees.Folder(1, "");
    trees.Folder(2, "");
    ASSERT_EQ(mkfifo((trees.Root(1) / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((trees.Root(2) / "pipe").c_str(), 0600), 0);
    trees.Put(1, "x/y", "a file on one side");
    trees.Folder(2, "x/y"); // a folder of that name on the other
    TestHost host(trees.Folder(1), trees.Folder(2));
    EXPECT_EQ(RunScan(host), (Rows{"Not compared - a pipe\t/pipe", "Only in folder1\t/x/y"}));
}

TEST(FolderScanClassify, ReadFailurePartWayCountsAsDifferentAndInconsistent)
{
    // Reading a process's own memory file from offset 0 fails with an I/O
    // error once it is open: a real read failure without special hardware.
    if (!fs::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc on this system";
    TwoTrees trees;
    trees.Folder(1, "");
    trees.Folder(2, "");
    fs::create_symlink("/proc/self/mem", trees.Root(1) / "mem");
    fs::create_symlink("/proc/self/mem", trees.Root(2) / "mem");
    TestHost host(trees.Folder(1), trees.Folder(2));
    FolderScan scan(host);
    scan.Run(host.folders[0], host.folders[1]);
    ASSERT_EQ(host.rows.size(), 1u);
    EXPECT_NE(host.rows[0].find("Different - "), std::string::npos) << host.rows[0];
    EXPECT_TRUE(scan.HadInconsistency());

    FileComparer comparer;
    EXPECT_EQ(comparer.Compare("/proc/self/mem", "/proc/self/mem").outcome, FileComparer::Outcome::ReadError);
    // Sizes that differ decide without a read, so the failing read never happens.
    WriteFile(trees.Dir() / "five", "12345");
    EXPECT_EQ(comparer.Compare("/proc/self/mem", (trees.Dir() / "five").string()).outcome,
              FileComparer::Outcome::Different);
}

TEST(FolderScanClassify, FilesThatReportNoSizeAreReadToTheirEnd)
{
    if (!fs::exists("/proc/self/status"))
        GTEST_SKIP() << "no /proc on this system";
    // Both report a size of 0 although they hold text.
    FileComparer comparer;
    EXPECT_EQ(comparer.Compare("/proc/self/status", "/proc/self/stat").outcome, FileComparer::Outcome::Different);
    EXPECT_EQ(comparer.Compare("/proc/self/cmdline", "/proc/self/cmdline").outcome, FileComparer::Outcome::Same);
}

TEST(FolderScanClassify, UnreadableFileOnEitherSide)
{
    TwoTrees trees;
    fs::permissions(trees.Dir(), fs::perms::all);
    trees.PutBoth("locked1.txt", "text");
    trees.PutBoth("locked2.txt", "text");
    trees.PutBoth("open.txt", "text");
    trees.Put(1, "lockedonly1.txt", "text");
    fs::permissions(trees.Root(1) / "lockedonly1.txt", fs::perms::none);
    fs::permissions(trees.Root(1) / "locked1.txt", fs::perms::none);
    fs::permissions(trees.Root(2) / "locked2.txt", fs::perms::none);
    Rows rows;
    // Root reads through any file mode: the scan runs as an ordinary user.
    const bool ran = test::RunWithoutPrivileges([&] {
        TestHost host(trees.Folder(1), trees.Folder(2));
        rows = RunScan(host);
        return rows == Rows{"Not compared - 1 cannot be read\t/locked1.txt", "Not compared - 2 cannot be read\t/locked2.txt",
                            "Only in folder1\t/lockedonly1.txt", "The same\t/open.txt"}
            && host.statuses.back() == "Done. There was a compare inconsistency";
    });
    EXPECT_TRUE(ran) << "rows seen by the unprivileged scan differ (or it could not run)";
}

// A folder one side cannot open is one row that says so, not an empty
// folder whose files the other side alone would seem to have.
TEST(FolderScanClassify, AFolderOneSideCannotOpenIsNotComparedNorItsFilesOnlyInTheOther)
{
    for (const int locked : {1, 2}) {
        TwoTrees trees;
        fs::permissions(trees.Dir(), fs::perms::all);
        trees.PutBoth("top.txt", "t");
        trees.PutBoth("locked/a.txt", "a");
        trees.Put(3 - locked, "locked/deep/b.txt", "b");
        fs::permissions(trees.Root(locked) / "locked", fs::perms::none);
        const Rows expected{"The same\t/top.txt",
                            std::string("Not compared - ") + char('0' + locked) + " cannot be read\t/locked"};
        const bool ran = test::RunWithoutPrivileges([&] {
            TestHost host(trees.Folder(1), trees.Folder(2));
            return RunScan(host) == expected
                && host.statuses.back() == "Done. There was a compare inconsistency";
        });
        fs::permissions(trees.Root(locked) / "locked", fs::perms::all);
        EXPECT_TRUE(ran) << "locked on side " << locked;
    }
}

// Watches both folders for anything opened in them, and names what was.
class OpenWatch {
public:
    explicit OpenWatch(const std::vector<fs::path> &folders)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        for (const fs::path &folder : folders)
            inotify_add_watch(m_fd, folder.c_str(), IN_OPEN);
    }
    ~OpenWatch() { close(m_fd); }
    // The names of the entries (not folders) opened so far.
    std::vector<std::string> OpenedFiles() const
    {
        std::vector<std::string> names;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t got; (got = read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char *at = buffer; at < buffer + got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if ((event->mask & IN_ISDIR) == 0 && event->len > 0)
                    names.emplace_back(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }
    bool Works() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Opening a device can rewind a tape or arm a watchdog, and a pipe can block:
// nothing but regular files is opened, and a special file both sides hold
// is a row that says what it is.
TEST(FolderScanClassify, NothingButRegularFilesIsOpened)
{
    TwoTrees trees;
    trees.PutBoth("file", "same");
    const bool devices = mknod((trees.Root(1) / "dev").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0
                         && mknod((trees.Root(2) / "dev").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    Rows expected{"The same\t/file", "Not compared - a pipe\t/pipe", "Not compared - a socket\t/sock"};
    if (devices)
        expected.insert(expected.begin(), "Not compared - a device\t/dev");
    for (const int side : {1, 2}) {
        ASSERT_EQ(mkfifo((trees.Root(side) / "pipe").c_str(), 0600), 0);
        const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = (trees.Root(side) / "sock").string();
        ASSERT_LT(path.size(), sizeof address.sun_path);
        path.copy(address.sun_path, path.size());
        ASSERT_EQ(bind(sock, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
        close(sock);
    }
    const OpenWatch watch({trees.Root(1), trees.Root(2)});
    ASSERT_TRUE(watch.Works());
    TestHost host(trees.Folder(1), trees.Folder(2));
    EXPECT_EQ(RunScan(host), expected);
    for (const std::string &name : watch.OpenedFiles())
        EXPECT_EQ(name, "file");
}

// ---- Pairing ------------------------------------------------------------------------------

TEST(FolderScanPairing, CaseOnlyDifferencesPairAsOnePath)
{
    TwoTrees trees;
    trees.Put(1, "Docs/ReadMe.TXT", "same");
    trees.Put(2, "docs/readme.txt", "same");
    trees.Put(1, "Src/Main.c", "new", kTime + 5);
    trees.Put(2, "src/main.C", "old", kTime);
    TestHost host(trees.Folder(1), trees.Folder(2));
    EXPECT_EQ(RunScan(host), (Rows{"The same\t/Docs/ReadMe.TXT", "Different - 1 is more recent\t/Src/Main.c"}));
}

TEST(FolderScanPairing, FoldersOnOneSideEmptyFoldersAndOneSideRunningOut)
{
    TwoTrees trees;
    trees.PutBoth("a.txt", "a");
    trees.Put(1, "only/x.txt", "x");
    trees.Put(1, "only/deeper/y.txt", "y");
    trees.Folder(1, "empty/also");
    trees.Folder(2, "empty");
    trees.Put(2, "zz/1", "1");
    trees.Put(2, "zz/2", "2");
    TestHost host(trees.Folder(1), trees.Folder(2));
    EXPECT_EQ(RunScan(host), (Rows{"The same\t/a.txt", "Only in folder1\t/only/x.txt",
                                   "Only in folder1\t/only/deeper/y.txt", "Only in folder2\t/zz/1",
                                   "Only in folder2\t/zz/2"}));
}

TEST(FolderScanPairing, TreesWithNoFilesGiveNoRows)
{
    TwoTrees trees;
    trees.Folder(1, "empty");
    trees.Folder(2, "");
    TestHost host(trees.Folder(1), trees.Folder(2));
    EXPECT_EQ(RunScan(host), Rows{});
}

TEST(FolderScanPairing, PathsCrossingFolderBoundariesAreOfferedTwiceAndListedOnce)
{
    // Files before subfolders is not the order of the whole relative paths,
    // so the merge meets "/sub/f" from side 2 before side 1 reaches it.
    TwoTrees trees;
    trees.Put(1, "z.txt", "only one");
    trees.PutBoth("sub/f", "f");
    TestHost host(trees.Folder(1), trees.Folder(2));
    EXPECT_EQ(RunScan(host), (Rows{"The same\t/sub/f", "Only in folder1\t/z.txt"}));
    EXPECT_EQ(host.offers, 3);
}

TEST(FolderScanPairing, TrailingSeparatorOnOneSideListsEveryCommonFileTwice)
{
    TwoTrees trees;
    trees.PutBoth("a.txt", "a");
    trees.Put(1, "b.txt", "1", kTime + 1);
    trees.Put(2, "b.txt", "2", kTime);
    TestHost host(trees.Folder(1), trees.Folder(2) + "/");
    EXPECT_EQ(RunScan(host), (Rows{"The same\t/a.txt", "Different - 1 is more recent\t/b.txt",
                                   "The same\ta.txt", "Different - 1 is more recent\tb.txt"}));

    TestHost both(trees.Folder(1) + "/", trees.Folder(2) + "/");
    EXPECT_EQ(RunScan(both), (Rows{"The same\ta.txt", "Different - 1 is more recent\tb.txt"}));
}

TEST(FolderScanPairing, RelativeFolderPathsGiveTheSameRows)
{
    TwoTrees trees;
    trees.PutBoth("s/a.txt", "a");
    trees.Put(1, "s/b.txt", "b");
    TestHost absolute(trees.Folder(1), trees.Folder(2));
    const Rows expected = RunScan(absolute);
    ASSERT_EQ(expected, (Rows{"The same\t/s/a.txt", "Only in folder1\t/s/b.txt"}));

    const fs::path here = fs::current_path();
    TestHost relative(fs::relative(trees.Root(1), here).string(),
                      fs::relative(trees.Root(2), here).string() + "/");
    ASSERT_NE(relative.folders[0].front(), '/');
    EXPECT_EQ(RunScan(relative), (Rows{"The same\t/s/a.txt", "Only in folder1\t/s/b.txt", "The same\ts/a.txt"}));
}

TEST(FolderScanPairing, SymbolicLinksAreFollowedButNeverAroundALoop)
{
    TwoTrees trees;
    trees.PutBoth("real/f.txt", "f");
    fs::create_directory_symlink("..", trees.Root(1) / "real" / "up");   // back to the root
    fs::create_directory_symlink(".", trees.Root(2) / "self");           // to itself
    fs::create_directory_symlink("real", trees.Root(1) / "alias");       // an ordinary link
    trees.Put(2, "alias/f.txt", "f");
    TestHost host(trees.Folder(1), trees.Folder(2));
    FolderScan scan(host);
    scan.Run(host.folders[0], host.folders[1]);
    // "up" names the root being read and "self" the folder holding it: both
    // are listed but not read, so they add no files.
    EXPECT_EQ(host.rows, (Rows{"The same\t/alias/f.txt", "The same\t/real/f.txt"}));
    const auto isUp = [](const FolderEntry &entry) { return entry.path.ends_with("/real/up"); };
    const FolderListing &real = *scan.Listing(1)->Entries().back().children;
    const auto up = std::find_if(real.Entries().begin(), real.Entries().end(), isUp);
    ASSERT_NE(up, real.Entries().end());
    EXPECT_TRUE(up->isFolder);
    EXPECT_EQ(up->children->Count(), 0);
}

// A link to a folder that holds a compared tree (the file-system root, the
// other tree) is a way back up and is not read; nor is a folder that a link
// has led to before.
TEST(FolderScanPairing, LinksToFoldersHoldingARootOrReadBeforeAreNotRead)
{
    TwoTrees trees;
    trees.Put(2, "x.txt", "x");
    WriteFile(trees.Dir() / "beside" / "f.txt", "f");
    fs::create_directories(trees.Root(1));
    fs::create_directory_symlink("/", trees.Root(1) / "slash");
    fs::create_directory_symlink(trees.Root(2), trees.Root(1) / "other");
    fs::create_directory_symlink(trees.Dir() / "beside", trees.Root(1) / "link1");
    fs::create_directory_symlink(trees.Dir() / "beside", trees.Root(1) / "link2");
    int asked = 0;
    // However wrong, the walk stops after a few thousand folders.
    const auto listing = FolderListing::Read(trees.Folder(1), [&] { return ++asked > 5000; }, {trees.Folder(2)});
    std::vector<std::string> counts;
    for (const FolderEntry &entry : listing->Entries())
        counts.push_back(entry.path.substr(trees.Folder(1).size()) + " " + std::to_string(entry.children->Count()));
    EXPECT_EQ(counts, (std::vector<std::string>{"/link1 1", "/link2 0", "/other 0", "/slash 0"}));
}

// ---- Exception strings -------------------------------------------------------------------

TEST(FolderScanExceptions, StringsApplyToFolderAndFileNamesWhileSwitchedOn)
{
    TwoTrees trees;
    trees.Put(1, "Debug/app.o", "o");
    trees.Put(1, "src/mydebug.txt", "t");
    trees.Put(1, "src/main.c", "c");
    struct Row {
        const char *name;
        const char *strings;
        int enabled;
        Rows expected;
    };
    const Row rows[] = {
        {"default strings", "\\Debug\\,\\Release\\,", 1, {"Only in folder1\t/src/main.c", "Only in folder1\t/src/mydebug.txt"}},
        {"plain word", "debug,", 1, {"Only in folder1\t/src/main.c"}},
        {"switched off", "debug,", 0,
         {"Only in folder1\t/Debug/app.o", "Only in folder1\t/src/main.c", "Only in folder1\t/src/mydebug.txt"}},
        {"no strings", "", 1,
         {"Only in folder1\t/Debug/app.o", "Only in folder1\t/src/main.c", "Only in folder1\t/src/mydebug.txt"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TestHost host(trees.Folder(1), trees.Folder(2));
        host.engine.SetExceptionStrings(row.strings);
        host.engine.exceptionStringsEnabled = row.enabled;
        EXPECT_EQ(RunScan(host), row.expected);
    }
    TestHost empty(trees.Folder(1), trees.Folder(2));
    empty.engine.exceptionStrings = {""}; // as the Folders page can leave it
    EXPECT_EQ(RunScan(empty), Rows{});
}

// ---- Responsiveness and abort ---------------------------------------------------------------

TEST(FolderScanAbort, StopBetweenPairingStepsKeepsTheRowsSoFar)
{
    TwoTrees trees;
    for (const char *name : {"a", "b", "c", "d"})
        trees.Put(1, name, name);
    TestHost counting(trees.Folder(1), trees.Folder(2));
    RunScan(counting);
    const int listingPumps = counting.pumps - 4; // one pump after each of the four steps

    TestHost host(trees.Folder(1), trees.Folder(2));
    host.abortAtPump = listingPumps + 2;
    FolderScan scan(host);
    scan.Run(host.folders[0], host.folders[1]);
    EXPECT_EQ(host.rows, (Rows{"Only in folder1\t/a", "Only in folder1\t/b"}));
    EXPECT_TRUE(scan.WasStopped());
    EXPECT_FALSE(scan.IsRunning());
    EXPECT_EQ(host.statuses.back(), "Done.");
}

TEST(FolderScanAbort, ListingAsksBeforeEveryFolderAndStopsAtOnce)
{
    TwoTrees trees;
    for (int i = 0; i < 5; ++i)
        trees.PutBoth("f" + std::to_string(i) + "/x", "x");
    TestHost counting(trees.Folder(1), trees.Folder(2));
    counting.showSame = 0;
    RunScan(counting);
    EXPECT_EQ(counting.pumps, 12 + 5); // 6 folders a side, then one pump per pairing step

    TestHost host(trees.Folder(1), trees.Folder(2));
    host.abortAtPump = 3;
    bool runningDuringPump = false;
    FolderScan scan(host);
    host.onPump = [&](TestHost &) { runningDuringPump = scan.IsRunning(); };
    scan.Run(host.folders[0], host.folders[1]);
    EXPECT_TRUE(runningDuringPump);
    EXPECT_EQ(host.pumps, 3);
    EXPECT_EQ(host.offers, 0);
    EXPECT_EQ(host.rows, Rows{});
}

TEST(FolderScanAbort, FolderBoxesAreReadAgainForEveryPath)
{
    TwoTrees trees;
    trees.PutBoth("a", "a");
    trees.PutBoth("b", "b");
    const fs::path other = trees.Dir() / "other"; // what box 1 names after the edit
    WriteFile(other / "b", "changed");
    SetWriteTime(other / "b", kTime + 1);
    TestHost host(trees.Folder(1), trees.Folder(2));
    host.onPump = [&](TestHost &h) {
        if (h.offers == 1)
            h.folders[0] = other.string(); // the user edits box 1 after the first row
    };
    EXPECT_EQ(RunScan(host), (Rows{"The same\t/a", "Different - 1 is more recent\t/b"}));
}

// Files are compared ahead of their turn; what the window's handlers change
// meanwhile is what the row must say.
TEST(FolderScanAbort, AFileChangedWhileTheRunWaitsIsComparedAsItIsAtItsTurn)
{
    TwoTrees trees;
    for (int n = 0; n < 40; ++n)
        trees.PutBoth("f" + std::to_string(100 + n), "same");
    TestHost host(trees.Folder(1), trees.Folder(2));
    host.onPump = [&](TestHost &h) {
        if (h.offers != 1)
            return;
        // Long enough for the pairs after the first to be compared ahead.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        h.onPump = nullptr;
        trees.Put(2, "f139", "SAME", kTime + 1);
    };
    const Rows rows = RunScan(host);
    ASSERT_EQ(rows.size(), 40u);
    EXPECT_EQ(rows.back(), "Different - 2 is more recent\t/f139");
}

TEST(FolderScanListing, EmptyFolderPathListsTheRootWithSeparatorPaths)
{
    int asked = 0;
    // Stop after the root itself has been read: its entries, not the whole disk.
    const auto listing = FolderListing::Read("", [&] { return ++asked > 1; });
    bool sawTmp = false;
    for (const FolderEntry &entry : listing->Entries()) {
        EXPECT_EQ(entry.path.rfind('/'), 0u) << entry.path;
        if (entry.path == "/tmp")
            sawTmp = entry.isFolder;
    }
    EXPECT_TRUE(sawTmp);
}

// Files are read without a look at their sizes only where a short read is
// the end of the file: never under /proc, whose files are made up as read.
TEST(FolderScanListing, StoredFilesAreThoseOfFileSystemsThatStoreThem)
{
    if (!fs::exists("/proc/self/status"))
        GTEST_SKIP() << "no /proc on this system";
    const auto find = [](const FolderListing &listing, std::string_view name) -> const FolderEntry * {
        for (const FolderEntry &entry : listing.Entries()) {
            if (entry.path.ends_with(name))
                return &entry;
        }
        return nullptr;
    };
    int asked = 0; // only /proc/self itself is read
    const auto proc = FolderListing::Read("/proc/self", [&] { return ++asked > 1; });
    const FolderEntry *status = find(*proc, "/status");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->regularFile);
    EXPECT_FALSE(status->storedFile);

    TempDir dir;
    WriteFile(dir / "file", "text");
    struct statfs system;
    ASSERT_EQ(statfs(dir.path().c_str(), &system), 0);
    constexpr long kExt = 0xEF53;
    constexpr long kTmpfs = 0x01021994;
    constexpr long kOverlay = 0x794C7630;
    if (system.f_type != kExt && system.f_type != kTmpfs && system.f_type != kOverlay)
        GTEST_SKIP() << "temporary files on another file system";
    const auto listing = FolderListing::Read(dir.path().string(), nullptr);
    ASSERT_NE(find(*listing, "/file"), nullptr);
    EXPECT_TRUE(find(*listing, "/file")->storedFile);
}

TEST(FolderScanListing, MissingFolderGivesAnEmptyListing)
{
    TempDir dir;
    EXPECT_EQ(FolderListing::Read((dir / "missing").string(), nullptr)->Count(), 0);
    WriteFile(dir / "file", "not a folder");
    EXPECT_EQ(FolderListing::Read((dir / "file").string(), nullptr)->Count(), 0);
}

} // namespace
} // namespace lindo
