// Merge targets that cannot simply be written: each write either succeeds or
// reports its message, and no existing file is ever truncated or left
// half-written, nor any temporary file left behind.

#include "engine/diffengine.h"
#include "faultsupport.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

const std::string kFirst = "top\nonly in first\nbottom\n";
const std::string kSecond = "top\r\nbottom\r\n";
const std::string kMerged = "top\r\nonly in first\r\nbottom\r\n";
const std::string kOld = "old contents that must survive\n";

struct OutputCase {
    const char *name;
    // Prepares the folder and gives the target path as the user names it.
    std::function<std::string(const fs::path &)> make;
    // The message on failure (%1: the target as named); null: the write succeeds.
    const char *message;
    // On success, the file that must hold the merge (relative to the folder).
    const char *written = nullptr;
};

void PrintTo(const OutputCase &c, std::ostream *out)
{
    *out << c.name;
}

// Loads the folder's two inputs into engine, which reports to reporter, and
// builds their merge; false when they could not be loaded.
bool PrepareMerge(DiffEngine &engine, RecordingReporter &reporter, const fs::path &dir)
{
    engine.SetReporter(&reporter);
    if (!engine.Load((dir / "first.txt").string(), (dir / "second.txt").string()))
        return false;
    engine.Compare();
    engine.BuildMergeList();
    return true;
}

// Loads the two inputs from the folder, writes the merge to the case's target
// and checks the outcome; the description of everything that went wrong,
// empty when nothing did. Runs as it is, or as an ordinary user.
std::string RunOutputCase(const OutputCase &c, const fs::path &dir)
{
    std::string problems;
    DiffEngine engine;
    RecordingReporter reporter;
    if (!PrepareMerge(engine, reporter, dir))
        return "inputs not loaded\n";

    const std::string target = c.make(dir);
    const FolderRecord before = RecordFolder(dir);
    const bool written = engine.WriteMergeFile(target);
    FolderRecord after = RecordFolder(dir);

    if (c.message) {
        std::string expected = c.message;
        expected.replace(expected.find("%1"), 2, target);
        if (written)
            problems += "the write succeeded\n";
        if (reporter.messages != std::vector<std::string>{expected})
            problems += "messages: " + (reporter.messages.empty() ? "none" : reporter.messages[0]) + "\n";
    } else {
        if (!written || !reporter.messages.empty())
            problems += "failed: " + (reporter.messages.empty() ? "" : reporter.messages[0]) + "\n";
        if (c.written) {
            const auto found = after.find(c.written);
            if (found == after.end() || found->second != "file " + kMerged)
                problems += std::string("no merge in ") + c.written + "\n";
            // Apart from the file that was to be written, nothing changes.
            after.erase(c.written);
            FolderRecord expectedBefore = before;
            expectedBefore.erase(c.written);
            problems += RecordChanges(expectedBefore, after);
            return problems;
        }
    }
    problems += RecordChanges(before, after);
    return problems;
}

fs::path Inputs(const fs::path &dir)
{
    WriteFile(dir / "first.txt", kFirst);
    WriteFile(dir / "second.txt", kSecond);
    return dir;
}

// Merges the folder's two inputs into target; the messages reported.
std::vector<std::string> MergeInto(const fs::path &dir, const std::string &target)
{
    DiffEngine engine;
    RecordingReporter reporter;
    if (!PrepareMerge(engine, reporter, dir))
        return {"inputs not loaded"};
    engine.WriteMergeFile(target);
    return reporter.messages;
}

const OutputCase kOutputCases[] = {
    {"NewFile", [](const fs::path &dir) { return (dir / "out.txt").string(); }, nullptr, "out.txt"},
    {"ExistingFileIsReplacedWhole",
     [](const fs::path &dir) {
         WriteFile(dir / "out.txt", std::string(100000, 'z'));
         return (dir / "out.txt").string();
     },
     nullptr, "out.txt"},
    {"TheFirstInputItself", [](const fs::path &dir) { return (dir / "first.txt").string(); }, nullptr,
     "first.txt"},
    {"LinkToAFile",
     [](const fs::path &dir) {
         WriteFile(dir / "real" / "target.txt", kOld);
         fs::create_symlink("real/target.txt", dir / "link.txt");
         return (dir / "link.txt").string();
     },
     nullptr, "real/target.txt"},
    {"LinkToAFileNotYetThere",
     [](const fs::path &dir) {
         fs::create_directory(dir / "real");
         fs::create_symlink("real/new.txt", dir / "link.txt");
         return (dir / "link.txt").string();
     },
     nullptr, "real/new.txt"},
    {"LinkToItself",
     [](const fs::path &dir) {
         fs::create_symlink("loop.txt", dir / "loop.txt");
         return (dir / "loop.txt").string();
     },
     "%1 contains an invalid path."},
    {"AFolder",
     [](const fs::path &dir) {
         WriteFile(dir / "folder" / "keep.txt", kOld);
         return (dir / "folder").string();
     },
     "Access to %1 was denied."},
    {"MissingFolder", [](const fs::path &dir) { return (dir / "no" / "out.txt").string(); },
     "%1 was not found."},
    {"PathThroughAFile", [](const fs::path &dir) { return (dir / "first.txt" / "out.txt").string(); },
     "%1 contains an invalid path."},
    {"FullDevice", [](const fs::path &) { return std::string("/dev/full"); }, "Disk full while accessing %1."},
    {"ReadOnlyFileWhoeverRuns",
     [](const fs::path &dir) {
         WriteFile(dir / "out.txt", kOld);
         chmod((dir / "out.txt").c_str(), 0444);
         return (dir / "out.txt").string();
     },
     "Access to %1 was denied."},
};

class OutputFaults : public testing::TestWithParam<OutputCase> {};

TEST_P(OutputFaults, SucceedsOrReportsAndKeepsEveryOtherFile)
{
    TempDir dir;
    EXPECT_EQ(RunOutputCase(GetParam(), Inputs(dir.path())), "");
}

INSTANTIATE_TEST_SUITE_P(Targets, OutputFaults, testing::ValuesIn(kOutputCases),
                         [](const testing::TestParamInfo<OutputCase> &info) { return std::string(info.param.name); });

// Cases where only the file modes stop the write, so they run as an ordinary user.
const OutputCase kUserCases[] = {
    {"NewFileInAReadOnlyFolder",
     [](const fs::path &dir) {
         WriteFile(dir / "ro" / "out.txt", kOld);
         chmod((dir / "ro").c_str(), 0555);
         return (dir / "ro" / "new.txt").string();
     },
     "Access to %1 was denied."},
    {"ReadOnlyFile",
     [](const fs::path &dir) {
         WriteFile(dir / "out.txt", kOld);
         chmod((dir / "out.txt").c_str(), 0444);
         return (dir / "out.txt").string();
     },
     "Access to %1 was denied."},
    {"ReadOnlyFileThroughALink",
     [](const fs::path &dir) {
         WriteFile(dir / "out.txt", kOld);
         chmod((dir / "out.txt").c_str(), 0444);
         fs::create_symlink("out.txt", dir / "link.txt");
         return (dir / "link.txt").string();
     },
     "Access to %1 was denied."},
    {"WritableFileInAWritableFolder",
     [](const fs::path &dir) {
         WriteFile(dir / "mine.txt", kOld);
         chmod((dir / "mine.txt").c_str(), 0666);
         return (dir / "mine.txt").string();
     },
     nullptr, "mine.txt"},
};

class OutputFaultsAsUser : public testing::TestWithParam<OutputCase> {};

TEST_P(OutputFaultsAsUser, SucceedsOrReportsAndKeepsEveryOtherFile)
{
    TempDir dir;
    Inputs(dir.path());
    OpenToEveryone(dir.path());
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        const std::string problems = RunOutputCase(GetParam(), dir.path());
        std::fputs(problems.c_str(), stderr);
        return problems.empty();
    }));
}

INSTANTIATE_TEST_SUITE_P(Targets, OutputFaultsAsUser, testing::ValuesIn(kUserCases),
                         [](const testing::TestParamInfo<OutputCase> &info) { return std::string(info.param.name); });

// While it lives, no file can grow past 64 KiB, as if the disk were full
// there: a write beyond fails (the signal it raises is ignored).
class FileSizeLimit {
public:
    FileSizeLimit()
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    sighandler_t m_savedHandler = SIG_DFL;
};

// Two inputs in the folder whose merge is several times what FileSizeLimit
// lets a file hold, and an old file at target that anyone may write.
void LargeInputs(const fs::path &dir, const fs::path &target)
{
    std::string big;
    for (int n = 0; n < 50000; ++n)
        big += "line " + std::to_string(n) + "\n";
    WriteFile(dir / "first.txt", big);
    WriteFile(dir / "second.txt", "");
    WriteFile(target, kOld);
    chmod(target.c_str(), 0666);
}

// A file-size limit makes a write fail part-way, as a disk that fills up
// does: the old file stays whole and the partial copy goes away.
TEST(OutputFaultsPartWay, AWriteThatFailsHalfWayKeepsTheOldFileWhole)
{
    TempDir dir;
    const std::string target = (dir / "out.txt").string();
    LargeInputs(dir.path(), target);
    OpenToEveryone(dir.path());
    const FolderRecord before = RecordFolder(dir.path());
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        DiffEngine engine;
        RecordingReporter reporter;
        if (!PrepareMerge(engine, reporter, dir.path()))
            return false;
        const FileSizeLimit limit;
        return !engine.WriteMergeFile(target)
               && reporter.messages == std::vector<std::string>{"Disk full while accessing " + target + "."};
    }));
    EXPECT_EQ(RecordChanges(before, RecordFolder(dir.path())), "");
}

// Replacing a file that has other names would leave them with the old text.
TEST(OutputInPlace, AHardLinkedTargetKeepsItsOtherName)
{
    TempDir dir;
    Inputs(dir.path());
    WriteFile(dir / "out.txt", kOld);
    fs::create_hard_link(dir / "out.txt", dir / "other-name.txt");
    EXPECT_EQ(MergeInto(dir.path(), (dir / "out.txt").string()), std::vector<std::string>{});
    EXPECT_EQ(ReadFile(dir / "out.txt"), kMerged);
    EXPECT_EQ(ReadFile(dir / "other-name.txt"), kMerged);
    EXPECT_EQ(RecordFolder(dir.path()).size(), 4u); // no new file left beside them
}

// As in /tmp: the folder lets anyone add files but only a file's owner
// rename over it, and the file is someone else's (when the suite runs as
// root; otherwise it is our own and is simply replaced).
TEST(OutputInPlace, AnotherUsersWritableFileInAStickyFolder)
{
    TempDir dir;
    Inputs(dir.path());
    WriteFile(dir / "tmp" / "out.txt", kOld);
    chmod((dir / "tmp" / "out.txt").c_str(), 0666);
    chmod((dir / "tmp").c_str(), 01777);
    OpenToEveryone(dir.path());
    const std::string target = (dir / "tmp" / "out.txt").string();
    EXPECT_TRUE(RunWithoutPrivileges([&] { return MergeInto(dir.path(), target).empty(); }));
    EXPECT_EQ(ReadFile(target), kMerged);
    EXPECT_EQ(RecordFolder(dir / "tmp").size(), 1u);
}

// Written in place (its folder takes no new file), a merge too big for the
// room left fails before it overwrites anything.
TEST(OutputInPlace, AFullDiskFailsBeforeAnyOldByteIsTouched)
{
    TempDir dir;
    const std::string target = (dir / "ro" / "out.txt").string();
    LargeInputs(dir.path(), target);
    chmod((dir / "ro").c_str(), 0555);
    OpenToEveryone(dir.path());
    const FolderRecord before = RecordFolder(dir.path());
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        const FileSizeLimit limit;
        return MergeInto(dir.path(), target) == std::vector<std::string>{"Disk full while accessing " + target + "."};
    }));
    EXPECT_EQ(RecordChanges(before, RecordFolder(dir.path())), "");
}

} // namespace
} // namespace lindo::test
