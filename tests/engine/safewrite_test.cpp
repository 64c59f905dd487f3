// The file writer on its own: flushing (made to fail, or watched, by standing
// in for fsync at link time, see CMakeLists.txt, since no ordinary file system
// can be told to fail it), what a replaced file keeps, and what other users
// and processes see while it works.

#include "engine/safewrite.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <acl/libacl.h>
#include <sys/acl.h>

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <unistd.h>

namespace {
bool g_failFsync = false;
ino_t g_failingFile = 0; // fails the flush of this file only
std::vector<ino_t> g_flushedFolders;
} // namespace

extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode))
        g_flushedFolders.push_back(status.st_ino);
    if (!g_failFsync && (g_failingFile == 0 || status.st_ino != g_failingFile))
        return __real_fsync(fd);
    errno = EIO;
    return -1;
}

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

bool Save(const fs::path &target, std::string_view bytes)
{
    SafeFileWriter writer(target.string());
    return !writer.Open() && !writer.Write(bytes) && !writer.Commit();
}

// Opens every file created in folder, as soon as it appears, until stop is
// closed; says it is watching through ready. How many it could open.
int CountOpenedNewFiles(const fs::path &folder, int ready, int stop)
{
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, folder.c_str(), IN_CREATE) < 0)
        return 1000;
    if (::write(ready, "r", 1) != 1)
        return 1000;
    int opened = 0;
    alignas(inotify_event) char events[4096];
    for (;;) {
        pollfd both[2] = {{watch, POLLIN, 0}, {stop, POLLIN, 0}};
        ::poll(both, 2, -1);
        if (!(both[0].revents & POLLIN))
            return opened;
        const ssize_t got = ::read(watch, events, sizeof events);
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(events + at);
            const int fd = ::open((folder / event->name).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                ++opened;
                ::close(fd);
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

ino_t InodeOf(const fs::path &path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

class FailingFlush : public testing::Test {
protected:
    void SetUp() override { g_failFsync = true; }
    void TearDown() override
    {
        g_failFsync = false;
        g_failingFile = 0;
    }
    TempDir dir;
};

TEST_F(FailingFlush, ReplacingTheFileFailsAndKeepsTheOldContents)
{
    WriteFile(dir / "out.txt", "old contents");
    SafeFileWriter writer((dir / "out.txt").string());
    ASSERT_EQ(writer.Open(), std::nullopt);
    ASSERT_EQ(writer.Write("new contents"), std::nullopt);
    EXPECT_NE(writer.Commit(), std::nullopt);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "old contents");
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"out.txt"});
}

TEST_F(FailingFlush, WritingInPlaceFailsAndNamesTheCopyOfTheOldContents)
{
    // A second hard link makes the writer keep the file and write into it.
    WriteFile(dir / "out.txt", "old contents");
    fs::create_hard_link(dir / "out.txt", dir / "link.txt");
    // Only the target's flush fails: the copy of its old contents must be made.
    g_failFsync = false;
    g_failingFile = InodeOf(dir / "out.txt");
    SafeFileWriter writer((dir / "out.txt").string());
    ASSERT_EQ(writer.Open(), std::nullopt);
    ASSERT_EQ(writer.Write("new contents"), std::nullopt);
    const auto failure = writer.Commit();
    ASSERT_NE(failure, std::nullopt);
    ASSERT_FALSE(writer.KeptCopy().empty());
    EXPECT_EQ(ReadFile(writer.KeptCopy()), "old contents");
    EXPECT_EQ(writer.FailureMessage(*failure), "Disk full while accessing " + (dir / "out.txt").string()
                                                   + ". Its old contents are kept in " + writer.KeptCopy() + ".");
}

TEST(SafeWrite, ReplacingFlushesTheFolder)
{
    TempDir dir;
    WriteFile(dir / "out.txt", "old contents");
    g_flushedFolders.clear();
    ASSERT_TRUE(Save(dir / "out.txt", "new contents"));
    EXPECT_EQ(ReadFile(dir / "out.txt"), "new contents");
    EXPECT_NE(std::find(g_flushedFolders.begin(), g_flushedFolders.end(), InodeOf(dir.path())), g_flushedFolders.end());
}

TEST(SafeWrite, StaleTemporariesAreRemovedButOnesInUseAreNot)
{
    TempDir dir;
    WriteFile(dir / "out.txt", "old contents");
    WriteFile(dir / ".out.txt.lindo-stale123", "left by a killed writer");
    WriteFile(dir / ".out.txt.lindo-inuse123", "being written");
    WriteFile(dir / ".other.txt.lindo-stale123", "another file's");
    const int inUse = ::open((dir / ".out.txt.lindo-inuse123").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(inUse, LOCK_EX), 0);
    ASSERT_TRUE(Save(dir / "out.txt", "new contents"));
    ::close(inUse);
    EXPECT_EQ(FolderContents(dir.path()),
              (std::vector<std::string>{".other.txt.lindo-stale123", ".out.txt.lindo-inuse123", "out.txt"}));
}

TEST(SafeWrite, RemoveWriterTemporaryRemovesTheTemporaryOfAWriteInProgress)
{
    TempDir dir;
    WriteFile(dir / "out.txt", "old contents");
    SafeFileWriter writer((dir / "out.txt").string());
    ASSERT_EQ(writer.Open(), std::nullopt);
    ASSERT_EQ(writer.Write("new"), std::nullopt);
    ASSERT_EQ(FolderContents(dir.path()).size(), 2u);
    RemoveWriterTemporary();
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"out.txt"});
}

// A file that another user owns, with an access control list entry, an
// extended attribute and the set-group-id bit: saved by root, or by another
// user who may write it through its group, it keeps all of them.
struct KeptAttributesRow {
    const char *name;
    bool asRoot;
};

class KeptAttributes : public testing::TestWithParam<KeptAttributesRow> {};

TEST_P(KeptAttributes, OwnerGroupModeAclAndAttributesSurviveASave)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make a file owned by another user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path target = dir / "shared.txt";
    WriteFile(target, "old contents");
    constexpr uid_t kDaemon = 1;
    constexpr gid_t kNogroup = 65534;
    ASSERT_EQ(::chown(target.c_str(), kDaemon, kNogroup), 0);
    ASSERT_EQ(::chmod(target.c_str(), 02664), 0);
    acl_t acl = acl_from_text("u::rw-,u:2:r--,g::rw-,m::rw-,o::r--");
    const bool aclSet = acl && acl_set_file(target.c_str(), ACL_TYPE_ACCESS, acl) == 0;
    acl_free(acl);
    if (!aclSet || ::setxattr(target.c_str(), "user.note", "kept", 4, 0) != 0)
        GTEST_SKIP() << "the test folder's file system takes no access control lists or attributes";
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    const auto save = [&] { return Save(target, "new contents"); };
    ASSERT_TRUE(GetParam().asRoot ? save() : RunWithoutPrivileges(save));
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(ReadFile(target), "new contents");
    EXPECT_EQ(after.st_uid, kDaemon);
    EXPECT_EQ(after.st_gid, kNogroup);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    acl_t kept = acl_get_file(target.c_str(), ACL_TYPE_ACCESS);
    char *keptText = kept ? acl_to_any_text(kept, nullptr, ',', TEXT_ABBREVIATE | TEXT_NUMERIC_IDS) : nullptr;
    EXPECT_STREQ(keptText, "u::rw-,u:2:r--,g::rw-,m::rw-,o::r--");
    acl_free(keptText);
    acl_free(kept);
    char note[16] = {};
    EXPECT_EQ(::getxattr(target.c_str(), "user.note", note, sizeof note), 4);
    EXPECT_STREQ(note, "kept");
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"shared.txt"});
}

INSTANTIATE_TEST_SUITE_P(Writers, KeptAttributes,
                         testing::Values(KeptAttributesRow{"Root", true}, KeptAttributesRow{"GroupMember", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// Another user watches the folder and opens every file that appears in it
// at once: the new contents of a file only its owner may read must never be
// readable through the temporary file.
TEST(SafeWrite, TheTemporaryOfAPrivateFileIsNeverReadableByOthers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to watch as another user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path target = dir / "private.txt";
    WriteFile(target, "old secret");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    int ready[2];
    int stop[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(stop), 0);
    const pid_t observer = ::fork();
    ASSERT_GE(observer, 0);
    if (observer == 0) {
        ::close(ready[0]);
        ::close(stop[1]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(CountOpenedNewFiles(dir.path(), ready[1], stop[0]) > 0 ? 1 : 0);
    }
    ::close(ready[1]);
    ::close(stop[0]);
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    for (int save = 0; save < 200; ++save)
        ASSERT_TRUE(Save(target, "new secret " + std::to_string(save)));
    ::close(stop[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(observer, &status, 0), observer);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the observer read a temporary file";
    ::close(ready[0]);
}

// Writing in place, in processes of their own: a file with a second hard
// link is written in place.
class InPlaceProcesses : public testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(target, oldContents);
        fs::create_hard_link(target, dir / "link.txt");
    }

    // Starts a process that writes bytes over the target; exits 0 on success.
    pid_t StartWriter(const std::string &bytes)
    {
        const pid_t writer = ::fork();
        if (writer == 0) {
            // A lock this process holds is not the writer's.
            ::close_range(3, ~0U, 0);
            ::_exit(Save(target, bytes) ? 0 : 1);
        }
        return writer;
    }

    // Waits until the target's first byte is the given one.
    bool WaitForFirstByte(char wanted)
    {
        const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
        char first = 0;
        for (int poll = 0; poll < 200000; ++poll) {
            if (::pread(fd, &first, 1, 0) == 1 && first == wanted)
                break;
            ::usleep(50);
        }
        ::close(fd);
        return first == wanted;
    }

    static int ExitCode(pid_t process)
    {
        int status = 0;
        return ::waitpid(process, &status, 0) == process && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<std::string> KeptCopies() const
    {
        std::vector<std::string> copies;
        for (const std::string &name : FolderContents(dir.path())) {
            if (name.find(".lindo-old-") != std::string::npos)
                copies.push_back(ReadFile(dir / name));
        }
        return copies;
    }

    TempDir dir;
    const fs::path target = dir / "out.txt";
    const std::string oldContents = std::string(8 << 20, 'o');
    const std::string newContents = std::string(64 << 20, 'n');
};

TEST_F(InPlaceProcesses, KilledPartWayLeavesAWholeCopyOfTheOldContents)
{
    const pid_t writer = StartWriter(newContents);
    ASSERT_GT(writer, 0);
    const bool started = WaitForFirstByte('n');
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ASSERT_TRUE(started);
    const std::string left = ReadFile(target);
    if (left != newContents) {
        EXPECT_EQ(KeptCopies(), std::vector<std::string>{oldContents}) << "the target holds neither version";
    }
}

// This process is the first writer, half way through its write when a
// second writer starts: the second must wait until the first is done, then
// leave its own output whole.
TEST_F(InPlaceProcesses, ASecondWriterWaitsForTheFirstAndLeavesItsOutputWhole)
{
    const int first = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(first, LOCK_EX), 0);
    ASSERT_EQ(::pwrite(first, "half", 4, 0), 4);
    const pid_t second = StartWriter("x\n");
    ASSERT_GT(second, 0);
    ::usleep(300000);
    const std::string whileFirstWrites = ReadFile(target);
    ASSERT_EQ(::ftruncate(first, 4), 0);
    ::close(first);
    EXPECT_EQ(ExitCode(second), 0);
    EXPECT_EQ(whileFirstWrites, "half" + oldContents.substr(4)) << "the second writer did not wait";
    EXPECT_EQ(ReadFile(target), "x\n");
    EXPECT_TRUE(KeptCopies().empty());
}

// Runs check in a child process with a mount namespace of its own, so that
// mounts made there go away with it. Skips where mounting is not allowed.
void InOwnMountNamespace(const std::function<bool()> &check)
{
    constexpr int kCannotMount = 77;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(kCannotMount);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kCannotMount)
        GTEST_SKIP() << "mounting is not allowed here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// ramfs has no reservation of room at all (as NFSv3 and most FUSE file
// systems have none).
TEST(SafeWrite, WritesInPlaceOnAFileSystemThatCannotReserveRoom)
{
    TempDir dir;
    InOwnMountNamespace([&] {
        if (::mount("ramfs", dir.path().c_str(), "ramfs", 0, nullptr) != 0)
            ::_exit(77);
        WriteFile(dir / "out.txt", "old contents");
        fs::create_hard_link(dir / "out.txt", dir / "link.txt");
        return Save(dir / "out.txt", "new contents") && ReadFile(dir / "link.txt") == "new contents"
               && FolderContents(dir.path()) == std::vector<std::string>{"link.txt", "out.txt"};
    });
}

// A file bound over the target cannot be renamed over; it is written instead.
TEST(SafeWrite, WritesInPlaceWhereTheTargetIsAMountPoint)
{
    TempDir dir;
    WriteFile(dir / "out.txt", "old contents");
    WriteFile(dir / "elsewhere.txt", "bound contents");
    InOwnMountNamespace([&] {
        if (::mount((dir / "elsewhere.txt").c_str(), (dir / "out.txt").c_str(), nullptr, MS_BIND, nullptr) != 0)
            ::_exit(77);
        return Save(dir / "out.txt", "new contents") && ReadFile(dir / "out.txt") == "new contents";
    });
    EXPECT_EQ(ReadFile(dir / "elsewhere.txt"), "new contents");
    EXPECT_EQ(FolderContents(dir.path()), (std::vector<std::string>{"elsewhere.txt", "out.txt"}));
}

} // namespace
} // namespace lindo::test
