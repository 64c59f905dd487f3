// A write whose flush to the disk fails is a failed write, whichever way the
// writer put the bytes in place. Flushing is made to fail by standing in for
// fsync at link time (see CMakeLists.txt), since no ordinary file system can
// be told to fail it.

#include "engine/safewrite.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {
bool g_failFsync = false;
} // namespace

extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd)
{
    if (!g_failFsync)
        return __real_fsync(fd);
    errno = EIO;
    return -1;
}

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

class FailingFlush : public testing::Test {
protected:
    void SetUp() override { g_failFsync = true; }
    void TearDown() override { g_failFsync = false; }
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

TEST_F(FailingFlush, WritingInPlaceFails)
{
    // A second hard link makes the writer keep the file and write into it.
    WriteFile(dir / "out.txt", "old contents");
    fs::create_hard_link(dir / "out.txt", dir / "link.txt");
    SafeFileWriter writer((dir / "out.txt").string());
    ASSERT_EQ(writer.Open(), std::nullopt);
    ASSERT_EQ(writer.Write("new contents"), std::nullopt);
    EXPECT_NE(writer.Commit(), std::nullopt);
}

} // namespace
} // namespace lindo::test
