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
    EXPECT_EQ(result.exitCode, 0);
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
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, row.out);
    }
}

TEST_F(FoldersCommand, TrailingSeparatorAndAbsolutePaths)
{
    const auto result = Run(ShellQuote((m_dir / "one").string() + "/") + " two/");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "Only in folder1\tDebug/app.o\n"
                          "Different - 2 is more recent\tsrc/a.c\n"
                          "Only in folder2\tsrc/b.c\n");
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

} // namespace
} // namespace lindo
