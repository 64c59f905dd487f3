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

// Without stamps, pairs of listed files are decided from one read of each
// before any look at their sizes; every pair must still come out as the
// looked-up way has it, times included where the files differ.
TEST(FileComparerWithoutStamps, DecidesAsTheLookedUpWay)
{
    test::TempDir dir;
    const auto path = [&](const char *name) { return (dir.path() / name).string(); };
    const std::string small = "a few bytes\n";
    const std::string page(4096, 'p');
    const std::string big(FileComparer::kReadAhead + 100, 'b');
    const struct {
        const char *name;
        std::string bytes;
    } files[] = {
        {"small", small},          {"smallCopy", small},      {"smallLast", small.substr(0, small.size() - 1) + "!"},
        {"smallLonger", small + "x"}, {"empty", ""},          {"emptyCopy", ""},
        {"page", page},            {"pageCopy", page},        {"pageLast", page.substr(0, 4095) + "!"},
        {"big", big},              {"bigCopy", big},          {"bigLast", big.substr(0, big.size() - 1) + "!"},
        {"bigLonger", big + "x"},
    };
    std::int64_t seconds = 1000000000;
    for (const auto &file : files) {
        test::WriteFile(dir.path() / file.name, file.bytes);
        const timespec times[2] = {{UTIME_OMIT, 0}, {seconds += 100, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path(file.name).c_str(), times, 0), 0);
    }
    fs::create_directory(dir.path() / "folder");
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);

    // Listed as regular files on both sides: a folder or a pipe there stands
    // for one that took a file's place after the folder was read.
    using Outcome = FileComparer::Outcome;
    const struct {
        const char *first;
        const char *second;
        Outcome outcome;
    } pairs[] = {
        {"small", "smallCopy", Outcome::Same},        {"small", "smallLast", Outcome::Different},
        {"smallLast", "small", Outcome::Different},   {"small", "smallLonger", Outcome::Different},
        {"empty", "emptyCopy", Outcome::Same},        {"empty", "small", Outcome::Different},
        {"page", "pageCopy", Outcome::Same},          {"page", "pageLast", Outcome::Different},
        {"big", "bigCopy", Outcome::Same},            {"big", "bigLast", Outcome::Different},
        {"big", "bigLonger", Outcome::Different},     {"small", "missing", Outcome::Missing2},
        {"small", "folder", Outcome::Missing2},       {"small", "pipe", Outcome::Special},
        {"pipe", "small", Outcome::Special},
    };
    FileComparer lookedUp;
    FileComparer unlooked;
    unlooked.KeepFolders();
    unlooked.LeaveOutStamps();
    for (const auto &[first, second, outcome] : pairs) {
        const FileComparer::Result expected = lookedUp.Compare(path(first), path(second), true, true, true);
        const FileComparer::Result result = unlooked.Compare(path(first), path(second), true, true, true);
        EXPECT_EQ(expected.outcome, outcome) << first << " " << second;
        EXPECT_EQ(result.outcome, outcome) << first << " " << second;
        if (outcome == Outcome::Different) {
            EXPECT_EQ(result.time1, expected.time1) << first << " " << second;
            EXPECT_EQ(result.time2, expected.time2) << first << " " << second;
        }
    }
    // Files not both stored (a pseudo-file's read may end short of its end)
    // are looked up, stamps and all.
    EXPECT_EQ(unlooked.Compare(path("small"), path("smallCopy"), true, true, true).stamps[0], 0u);
    EXPECT_NE(unlooked.Compare(path("small"), path("smallCopy"), true, true, false).stamps[0], 0u);
}

} // namespace
} // namespace lindo
