// Writing the merge output to a file: the bytes, and that a failure never
// truncates or half-writes an existing file.

#include "enginetestutil.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

class RecordingReporter : public FileErrorReporter {
public:
    void ReportFileError(const std::string &message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

class MergeToFile : public testing::Test {
protected:
    void SetUp() override
    {
        engine.SetReporter(&reporter);
        WriteFile(dir / "first.txt", "top\nonly in first\nbottom");
        WriteFile(dir / "second.txt", "top\r\nbottom\r\n");
        ASSERT_TRUE(engine.Load((dir / "first.txt").string(), (dir / "second.txt").string()));
        engine.Compare();
        engine.BuildMergeList();
    }

    const std::string expected = "top\r\nonly in first\r\nbottom\r\n";
    TempDir dir;
    RecordingReporter reporter;
    DiffEngine engine;
};

TEST_F(MergeToFile, WritesTheMergeBytesReplacingOldContents)
{
    WriteFile(dir / "out.txt", std::string(10000, 'z'));
    ASSERT_TRUE(engine.WriteMergeFile((dir / "out.txt").string()));
    EXPECT_EQ(ReadFile(dir / "out.txt"), expected);
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(FolderContents(dir.path()), (std::vector<std::string>{"first.txt", "out.txt", "second.txt"}));
}

TEST_F(MergeToFile, EmptyMergeCreatesAnEmptyFile)
{
    DiffEngine quiet;
    quiet.autoSelect = 0;
    quiet.LoadTexts("a\n", "b\n");
    quiet.Compare();
    quiet.BuildMergeList();
    ASSERT_TRUE(quiet.WriteMergeFile((dir / "empty.txt").string()));
    EXPECT_TRUE(fs::exists(dir / "empty.txt"));
    EXPECT_EQ(fs::file_size(dir / "empty.txt"), 0u);
}

TEST_F(MergeToFile, TheFirstInputItselfCanBeTheTarget)
{
    ASSERT_TRUE(engine.WriteMergeFile((dir / "first.txt").string()));
    EXPECT_EQ(ReadFile(dir / "first.txt"), expected);
}

TEST_F(MergeToFile, KeepsTheTargetsPermissions)
{
    WriteFile(dir / "out.txt", "old");
    fs::permissions(dir / "out.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(engine.WriteMergeFile((dir / "out.txt").string()));
    EXPECT_EQ(fs::status(dir / "out.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(MergeToFile, WritesThroughASymbolicLink)
{
    WriteFile(dir / "real" / "target.txt", "old");
    fs::create_symlink("real/target.txt", dir / "link.txt");
    ASSERT_TRUE(engine.WriteMergeFile((dir / "link.txt").string()));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadFile(dir / "real" / "target.txt"), expected);
}

TEST_F(MergeToFile, MissingFolderIsReported)
{
    const std::string target = (dir / "no" / "such" / "out.txt").string();
    EXPECT_FALSE(engine.WriteMergeFile(target));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], target + " was not found.");
}

TEST_F(MergeToFile, AFolderAsTargetIsDeniedAndLeftAlone)
{
    WriteFile(dir / "folder" / "keep.txt", "keep");
    EXPECT_FALSE(engine.WriteMergeFile((dir / "folder").string()));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], "Access to " + (dir / "folder").string() + " was denied.");
    EXPECT_EQ(ReadFile(dir / "folder" / "keep.txt"), "keep");
}

TEST_F(MergeToFile, FullDeviceReportsDiskFull)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_FALSE(engine.WriteMergeFile("/dev/full"));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0], "Disk full while accessing /dev/full.");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(MergeToFile, ReadOnlyFileIsRefusedEvenInAWritableFolder)
{
    WriteFile(dir / "out.txt", "old contents");
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir / "out.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string target = (dir / "out.txt").string();
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        const bool written = engine.WriteMergeFile(target);
        return !written && reporter.messages == std::vector<std::string>{"Access to " + target + " was denied."};
    }));
    EXPECT_EQ(ReadFile(dir / "out.txt"), "old contents");
    EXPECT_EQ(FolderContents(dir.path()), (std::vector<std::string>{"first.txt", "out.txt", "second.txt"}));
}

TEST_F(MergeToFile, AWritableFileInAReadOnlyFolderIsWrittenInPlace)
{
    fs::permissions(dir.path(), fs::perms::all); // reachable for an ordinary user
    WriteFile(dir / "ro" / "out.txt", "old contents");
    fs::permissions(dir / "ro" / "out.txt", fs::perms::all);
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read
                                    | fs::perms::others_exec);
    // The copy of the old contents, kept while the file is written, goes to
    // the state folder when the file's folder cannot take it.
    fs::create_directories(dir / "state");
    fs::permissions(dir / "state", fs::perms::all);
    // As root permissions stop nothing: the write is tried as an ordinary user.
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        const bool written = engine.WriteMergeFile((dir / "ro" / "out.txt").string()) && reporter.messages.empty();
        ::unsetenv("XDG_STATE_HOME");
        return written;
    }));
    EXPECT_EQ(ReadFile(dir / "ro" / "out.txt"), expected);
    EXPECT_EQ(FolderContents(dir / "ro"), std::vector<std::string>{"out.txt"});
    EXPECT_EQ(FolderContents(dir / "state" / "lindo"), std::vector<std::string>{});
}

// Targets that are no files at all are named for what they are, at once.
TEST_F(MergeToFile, ASocketOrAPipeWithNoReaderIsRefusedByName)
{
    const std::string socketPath = (dir / "socket").string();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    const std::string pipePath = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(pipePath.c_str(), 0600), 0);
    EXPECT_FALSE(engine.WriteMergeFile(socketPath));
    EXPECT_FALSE(engine.WriteMergeFile(pipePath));
    ::close(listener);
    EXPECT_EQ(reporter.messages,
              (std::vector<std::string>{socketPath + " is a socket, not a file.", pipePath + " is a pipe with no reader."}));
    EXPECT_TRUE(fs::is_socket(socketPath));
    EXPECT_TRUE(fs::is_fifo(pipePath));
}

} // namespace
} // namespace lindo::test
