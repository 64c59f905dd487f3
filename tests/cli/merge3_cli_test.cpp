// `lindo --merge3`, run as a user runs it: what it writes, where, and the
// exit status git and scripts go by.

#include "support/testfiles.h"

#include <gtest/gtest.h>

namespace lindo::test {
namespace {

class Merge3Command : public testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(dir / "base", "a\nb\nc\nd\n");
        WriteFile(dir / "mine", "A\nb\nc\nd\n");
        WriteFile(dir / "theirs", "a\nb\nc\nD\n");
        WriteFile(dir / "clash", "X\nb\nc\nd\n");
    }

    // Runs lindo --merge3 in the test's folder, so file names stay short.
    RunResult Run(const std::string &arguments) const
    {
        return RunCommand("cd " + ShellQuote(dir.path().string()) + " && " + ShellQuote(LINDO_BINARY) + " --merge3 " +
                          arguments);
    }

    TempDir dir;
};

TEST_F(Merge3Command, CleanMergeGoesToStandardOutputWithStatusZero)
{
    const RunResult result = Run("mine base theirs");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "A\nb\nc\nD\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(Merge3Command, ConflictsAreMarkedWithTheFileNamesAndStatusOne)
{
    const RunResult result = Run("mine base clash");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "<<<<<<< mine\nA\n=======\nX\n>>>>>>> clash\nb\nc\nd\n");
}

TEST_F(Merge3Command, Diff3AndLabelsLikeGitMergeFile)
{
    const RunResult result = Run("-L ours -L old -L other mine base clash --diff3");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "<<<<<<< ours\nA\n||||||| old\na\n=======\nX\n>>>>>>> other\nb\nc\nd\n");
}

TEST_F(Merge3Command, DashOWritesTheFileAndDashOStdoutWritesStandardOutput)
{
    RunResult result = Run("mine base clash -o merged");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadFile(dir / "merged"), "<<<<<<< mine\nA\n=======\nX\n>>>>>>> clash\nb\nc\nd\n");
    EXPECT_EQ(FolderContents(dir.path()), (std::vector<std::string>{"base", "clash", "merged", "mine", "theirs"}));
    result = Run("mine base theirs -o - | cat");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "A\nb\nc\nD\n");
}

TEST_F(Merge3Command, EmptyBaseMergesWhatBothSidesAdded)
{
    WriteFile(dir / "empty", "");
    const RunResult result = Run("mine empty mine");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "A\nb\nc\nd\n");
}

TEST_F(Merge3Command, TroubleSaysWhyAndExitsWithTwo)
{
    RunResult result = Run("mine missing theirs");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, (dir / "missing").string() + " was not found.\n");
    result = Run("mine base");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.rfind("Usage: lindo", 0), 0u);
    result = Run("mine base theirs -o");
    EXPECT_EQ(result.exitCode, 2);
}

TEST_F(Merge3Command, EncodingNamesHowFilesNeitherUtf8NorMarkedAreRead)
{
    // FILE1 in KOI8-R, FILE2 in UTF-8: the merge is UTF-8, so it shows how
    // FILE1 was read.
    WriteFile(dir / "koi8", "\xF0\xD2\xC9\xD7\xC5\xD4\nb\nc\nd\n");
    WriteFile(dir / "utf8", "a\nb\nc\n\xCF\x89\n");
    RunResult result = Run("--encoding koi8-r koi8 base utf8");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\nb\nc\n\xCF\x89\n");
    result = Run("--encoding no-such-encoding mine base theirs");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.rfind("lindo: unknown encoding: no-such-encoding\n", 0), 0u);
}

} // namespace
} // namespace lindo::test
