#include "folderscan/filecomparer.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace lindo {
namespace {

namespace fs = std::filesystem;

// A comparison made ahead of its turn is used only while both paths still
// stamp as they did when it was made, so the stamps it reports must be what
// a fresh look at each path gives, side for side, whatever the path names.
TEST(FileComparerStamps, AreWhatEachPathNamedWhenLookedUp)
{
    test::TempDir dir;
    const auto path = [&](const char *name) { return (dir.path() / name).string(); };
    test::WriteFile(dir.path() / "a", "same");
    test::WriteFile(dir.path() / "b", "same");
    test::WriteFile(dir.path() / "long", "different length");
    fs::create_directory(dir.path() / "folder");
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
    fs::create_symlink(dir.path() / "b", dir.path() / "link");

    struct Row {
        const char *first;
        const char *second;
        bool listedRegular;
    };
    for (const Row &row : {Row{"a", "b", true}, Row{"a", "long", true}, Row{"a", "missing", true},
                           Row{"missing", "b", false}, Row{"pipe", "a", false}, Row{"a", "folder", false},
                           Row{"dangling", "a", false}, Row{"link", "a", false}, Row{"a", "link", true}}) {
        FileComparer comparer;
        comparer.KeepFolders();
        const FileComparer::Result result =
            comparer.Compare(path(row.first), path(row.second), row.listedRegular, row.listedRegular);
        EXPECT_EQ(result.stamps[0], FileComparer::Stamp(path(row.first))) << row.first << " " << row.second;
        EXPECT_EQ(result.stamps[1], FileComparer::Stamp(path(row.second))) << row.first << " " << row.second;
    }
    EXPECT_EQ(FileComparer::Stamp(path("missing")), 0u);
    EXPECT_NE(FileComparer::Stamp(path("a")), FileComparer::Stamp(path("b")));
    const std::uint64_t before = FileComparer::Stamp(path("a"));
    test::WriteFile(dir.path() / "a", "else");
    const timespec later[2] = {{UTIME_OMIT, 0}, {2000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path("a").c_str(), later, 0), 0);
    EXPECT_NE(FileComparer::Stamp(path("a")), before);
}

} // namespace
} // namespace lindo
