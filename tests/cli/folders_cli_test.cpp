// `lindo --folders` run as a user runs it, with its own settings file.
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace lindo {
namespace {

namespace fs = std::filesystem;
using test::RunCommand;
using test::ShellQuote;
using test::TempDir;
using test::WriteFile;

class FoldersCommand : public testing::Test {
protected:
    FoldersCommand()
    {
        WriteFile(m_dir / "one" / "same.txt", "same");
        WriteFile(m_dir / "two" / "same.txt", "same");
        WriteFile(m_dir / "one" / "Debug" / "app.o", "object");
        WriteFile(m_dir / "one" / "src" / "a.c", "int a;");
        WriteFile(m_dir / "two" / "src" / "a.c", "int a = 1;");
        WriteFile(m_dir / "two" / "src" / "b.c", "int b;");
        fs::last_write_time(m_dir / "one" / "src" / "a.c", fs::file_time_type::clock::now() - std::chrono::hours(1));
    }

    void Settings(const std::string &text) { WriteFile(m_dir / "settings.ini", "[General]\n" + text); }

    // Runs in the temporary folder, so the two folders can be given relatively.
    test::RunResult Run(const std::string &arguments)
    {
        return RunCommand("cd " + ShellQuote(m_dir.path().string()) + " && LINDO_SETTINGS_FILE="
                          + ShellQuote((m_dir / "settings.ini").string()) + " " + ShellQuote(LINDO_BINARY)
                          + " --folders " + arguments);
    }

    TempDir m_dir;
};

TEST_F(FoldersCommand, PrintsAdmittedRowsWithDefaultSettings)
{
    const auto result = Run("one two");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Different - 2 is more recent\t/src/a.c\n"
                          "Only in folder2\t/src/b.c\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(FoldersCommand, SettingsDecideShowSameAndExceptionStrings)
{
    struct Row {
        const char *name;
        std::string settings;
        std::string out;
    };
    const std::string changed = "Different - 2 is more recent\t/src/a.c\nOnly in folder2\t/src/b.c\n";
    const Row rows[] = {
        {"show same", "FoldersShowSame=1\n", "The same\t/same.txt\n" + changed},
        {"exception strings stored empty", "FoldersExceptionStrings=\n",
         "Only in folder1\t/Debug/app.o\n" + changed},
        {"exception strings switched off", "FoldersExStrEnabled=0\n", "Only in folder1\t/Debug/app.o\n" + changed},
        {"own exception strings", "FoldersExceptionStrings=\"\\\\src\\\\,\"\n", "Only in folder1\t/Debug/app.o\n"},
        {"show same off", "FoldersShowSame=0\n", changed},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Settings(row.settings);
        const auto result = Run("one two");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, row.out);
    }
}

TEST_F(FoldersCommand, TrailingSeparatorAndAbsolutePaths)
{
    const auto result = Run(ShellQuote((m_dir / "one").string() + "/") + " two/");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Only in folder1\tDebug/app.o\n"
                          "Different - 2 is more recent\tsrc/a.c\n"
                          "Only in folder2\tsrc/b.c\n");
}

TEST_F(FoldersCommand, ExitsZeroOnlyWhenNoListedRowDiffers)
{
    WriteFile(m_dir / "same1" / "a.txt", "a");
    WriteFile(m_dir / "same2" / "a.txt", "a");
    WriteFile(m_dir / "same1" / "Debug" / "x.o", "only here");
    for (const char *showSame : {"FoldersShowSame=0\n", "FoldersShowSame=1\n"}) {
        SCOPED_TRACE(showSame);
        Settings(showSame);
        EXPECT_EQ(Run("same1 same2").exitCode, 0); // Debug is left out by the default strings
        const auto all = Run("--no-exceptions same1 same2");
        EXPECT_EQ(all.exitCode, 1);
        EXPECT_NE(all.out.find("Only in folder1\t/Debug/x.o\n"), std::string::npos) << all.out;
    }
    // A full disk: the message and the status come out on the group's output.
    const auto full = RunCommand("{ cd " + ShellQuote(m_dir.path().string()) + " && LINDO_SETTINGS_FILE=settings.ini "
                                 + ShellQuote(LINDO_BINARY)
                                 + " --folders one two 2>&1 >/dev/full; echo \"exit $?\"; }");
    EXPECT_NE(full.out.find("standard output"), std::string::npos) << full.out;
    EXPECT_NE(full.out.find("exit 2\n"), std::string::npos) << full.out;

    const auto help = RunCommand(ShellQuote(LINDO_BINARY) + " --help");
    EXPECT_NE(help.out.find("FoldersShowSame"), std::string::npos);
    EXPECT_NE(help.out.find("exception strings"), std::string::npos);
    EXPECT_NE(help.out.find("--no-exceptions"), std::string::npos);
}

TEST_F(FoldersCommand, NamesThatWouldBreakTheLineAreQuoted)
{
    WriteFile(m_dir / "one" / "tab\there", "1");
    WriteFile(m_dir / "one" / "line\nfeed", "1");
    WriteFile(m_dir / "one" / "carriage\rreturn", "1");
    WriteFile(m_dir / "one" / "back\\slash \"q\"", "1");
    WriteFile(m_dir / "one" / "caf\xc3\xa9\x01", "1");
    const auto result = Run("one two");
    EXPECT_EQ(result.exitCode, 1);
    for (const char *row : {"Only in folder1\t\"/tab\\there\"\n", "Only in folder1\t\"/line\\nfeed\"\n",
                            "Only in folder1\t\"/carriage\\rreturn\"\n",
                            "Only in folder1\t\"/back\\\\slash \\\"q\\\"\"\n",
                            "Only in folder1\t\"/caf\xc3\xa9\\001\"\n"})
        EXPECT_NE(result.out.find(row), std::string::npos) << row << "\nin:\n" << result.out;
}

TEST_F(FoldersCommand, UnreadableFolderIsAnError)
{
    const auto missing = Run("one nowhere");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("nowhere"), std::string::npos) << missing.err;

    const auto file = Run("one/same.txt two");
    EXPECT_EQ(file.exitCode, 2);
    EXPECT_EQ(file.out, "");

    const auto usage = Run("one");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("--folders DIR1 DIR2"), std::string::npos);
}

// A path both folders hold that one cannot read is named on the error
// stream and fails the run, as diff does; the listing still goes on.
TEST_F(FoldersCommand, APathOneSideCannotReadIsNamedAndFailsTheRun)
{
    fs::create_symlink("nowhere", m_dir / "one" / "gone.txt"); // unreadable, even for root
    WriteFile(m_dir / "two" / "gone.txt", "here");
    const auto result = Run("one two");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.out.find("Not compared - 1 cannot be read\t/gone.txt\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Only in folder2\t/src/b.c\n"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find((m_dir / "one" / "gone.txt").string()), std::string::npos) << result.err;
}

// A link one side does not follow (it leads back up, or to a folder read by
// another way) while the other side has a real folder there: one row that
// says so, none of that folder's files as present on one side alone. Two
// such links facing each other are no row, as two empty folders would not be.
TEST_F(FoldersCommand, ALinkNotFollowedFacingARealFolderIsNamedAndFailsTheRun)
{
    fs::create_directory_symlink("..", m_dir / "one" / "src" / "up");
    WriteFile(m_dir / "two" / "src" / "up" / "deep.txt", "deep");
    fs::create_directory_symlink("src", m_dir / "one" / "twin"); // src is read first, by its own name
    WriteFile(m_dir / "two" / "twin" / "t.c", "t");
    fs::create_directory_symlink("..", m_dir / "one" / "Debug" / "loop"); // nothing faces it
    for (const char *side : {"one", "two"})
        fs::create_directory_symlink("src", m_dir / side / "zalias"); // a link faces a link: src is compared
    const auto result = Run("one two");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "Different - 2 is more recent\t/src/a.c\n"
                          "Only in folder2\t/src/b.c\n"
                          "Not compared - 1 is a link not followed\t/src/up\n"
                          "Not compared - 1 is a link not followed\t/twin\n");
    EXPECT_NE(result.err.find((m_dir / "one" / "src" / "up").string() + " is a link that was not followed: it leads back"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find((m_dir / "one" / "twin").string() + " is a link that was not followed: the folder"),
              std::string::npos)
        << result.err;
}

} // namespace
} // namespace lindo
