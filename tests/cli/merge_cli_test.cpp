// The headless command line, run as a user runs it.

#include "cli/signalcleanup.h"
#include "engine/safewrite.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace lindo::test {
namespace {

std::string Lindo(const std::string &arguments)
{
    return ShellQuote(LINDO_BINARY) + " " + arguments;
}

class CommandLine : public testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(dir / "w1", "}\na\n}\nb\n}\n");
        WriteFile(dir / "w2", "a\n}\ne\n}");
    }

    std::string P(const char *name) const { return ShellQuote((dir / name).string()); }

    TempDir dir;
};

TEST_F(CommandLine, MergeWritesTheMergeBytesToStandardOutput)
{
    const RunResult result = RunCommand(Lindo("--merge " + P("w1") + " " + P("w2")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "}\na\n}\ne\n}\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(CommandLine, MergeToAFileWithDashO)
{
    const RunResult result = RunCommand(Lindo("--merge " + P("w1") + " " + P("w2") + " -o " + P("out")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadFile(dir / "out"), "}\na\n}\ne\n}\n");
}

TEST_F(CommandLine, SectionsListsBothSidesWithStatusAndSelection)
{
    const RunResult result = RunCommand(Lindo("--sections " + P("w1") + " " + P("w2")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "1 0 0 0 only -1 0 1\n"
              "1 1 1 2 matching 0 -1 0\n"
              "1 2 3 3 different 1 -1 0\n"
              "1 3 4 4 matching 2 -1 0\n"
              "2 0 0 1 matching 1 -1 1\n"
              "2 1 2 2 different 2 -1 1\n"
              "2 2 3 3 matching 3 -1 1\n");
}

TEST_F(CommandLine, SectionsWithoutStatusSayNone)
{
    WriteFile(dir / "x", "p\n");
    WriteFile(dir / "y", "q\n");
    const RunResult result = RunCommand(Lindo("--sections " + P("x") + " " + P("y")));
    EXPECT_EQ(result.out, "1 0 0 0 none -1 -1 1\n2 0 0 0 none -1 -1 1\n");
}

TEST_F(CommandLine, FileFailureSaysWhyAndExitsWithTwo)
{
    const RunResult result = RunCommand(Lindo("--merge " + P("w1") + " " + P("missing")));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, (dir / "missing").string() + " was not found.\n");
}

TEST_F(CommandLine, AnEmptyFileNameIsNamedInTheMessage)
{
    const RunResult result = RunCommand(Lindo("--merge '' " + P("w2")));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "(no file name) was not found.\n");
}

TEST_F(CommandLine, UnwritableTargetSaysWhyAndExitsWithTwo)
{
    const RunResult result = RunCommand(Lindo("--merge " + P("w1") + " " + P("w2") + " -o /dev/full"));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "Disk full while accessing /dev/full.\n");
}

TEST_F(CommandLine, FullStandardOutputIsAFailure)
{
    const RunResult result = RunCommand("(" + Lindo("--merge " + P("w1") + " " + P("w2")) + " >/dev/full)");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "Disk full while accessing /dev/stdout.\n");
}

TEST_F(CommandLine, PipesFromProcessSubstitutionWork)
{
    const RunResult result =
        RunCommand("bash -c " + ShellQuote(Lindo("--merge <(printf 'x\\ny\\n') <(printf 'y\\nz\\n')")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "x\ny\nz\n");
}

TEST_F(CommandLine, UsageErrorsExitWithTwoAndHelpWithZero)
{
    for (const char *arguments : {"--merge", "--merge a", "--merge a b c", "--sections a", "--bogus",
                                  "--merge a b -x c"}) {
        const RunResult result = RunCommand(Lindo(arguments));
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_NE(result.err.find("Usage: lindo"), std::string::npos) << arguments;
    }
    const RunResult help = RunCommand(Lindo("--help"));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--merge FILE1 FILE2 [-o OUT]"), std::string::npos);
}

// Which lines link depends on what is ignored; the merge keeps each line's
// own bytes.
TEST_F(CommandLine, IgnoreOptionsDecideWhichLinesAreEqual)
{
    WriteFile(dir / "k1", "int  a;\nB\nx y\nc\n");
    WriteFile(dir / "k2", "int a;  \nb\nxy\nd\n");
    const struct {
        const char *options;
        const char *firstSection; // side 1's first line of the listing
    } rows[] = {
        {"", "1 0 0 3 none -1 -1 1"},
        {"-b", "1 0 0 0 matching 0 -1 0"},
        {"--ignore-space-change", "1 0 0 0 matching 0 -1 0"},
        {"-i", "1 0 0 0 different 0 -1 0"},
        {"-b --ignore-case", "1 0 0 1 matching 0 -1 0"},
        {"-wi", "1 0 0 2 matching 0 -1 0"},
        {"--ignore-all-space --", "1 0 0 0 matching 0 -1 0"},
    };
    for (const auto &row : rows) {
        const std::string files = " " + P("k1") + " " + P("k2");
        const RunResult result = RunCommand(Lindo("--sections " + std::string(row.options) + files));
        EXPECT_EQ(result.exitCode, 0) << row.options;
        EXPECT_EQ(result.out.substr(0, result.out.find('\n')), row.firstSection) << row.options;
    }
    const RunResult merge = RunCommand(Lindo("--merge " + P("k1") + " " + P("k2") + " -o " + P("out") + " -bi"));
    EXPECT_EQ(merge.exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "out"), "int a;  \nb\nxy\nd\n");
    EXPECT_EQ(RunCommand(Lindo("--merge -bx " + P("k1") + " " + P("k2"))).exitCode, 2);
}

// "Привет" in KOI8-R is no valid UTF-8: read as Windows-1252 it is another
// text, read as KOI8-R the same as its UTF-8 twin.
TEST_F(CommandLine, EncodingNamesTheFallbackForBothModes)
{
    WriteFile(dir / "koi8", "\xF0\xD2\xC9\xD7\xC5\xD4\n");
    WriteFile(dir / "utf8", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n");
    WriteFile(dir / "ascii", "x\n");
    const std::string pair = " " + P("koi8") + " " + P("utf8");
    EXPECT_EQ(RunCommand(Lindo("--sections" + pair)).out, "1 0 0 0 none -1 -1 1\n2 0 0 0 none -1 -1 1\n");
    for (const char *name : {"koi8-r", "KOI8-R"}) {
        const RunResult sections = RunCommand(Lindo("--sections --encoding " + std::string(name) + pair));
        EXPECT_EQ(sections.out, "1 0 0 0 matching 0 -1 0\n2 0 0 0 matching 0 -1 1\n") << name;
    }
    const RunResult merge = RunCommand(Lindo("--merge " + P("koi8") + " --encoding KOI8-R " + P("ascii")));
    EXPECT_EQ(merge.exitCode, 0);
    EXPECT_EQ(merge.out, "\xF0\xD2\xC9\xD7\xC5\xD4\nx\n");
    for (const char *arguments : {"--merge --encoding no-such-thing", "--sections --encoding"}) {
        const RunResult wrong = RunCommand(Lindo(std::string(arguments) + pair));
        EXPECT_EQ(wrong.exitCode, 2) << arguments;
        EXPECT_NE(wrong.err.find("Usage: lindo"), std::string::npos) << arguments;
    }
    EXPECT_NE(RunCommand(Lindo("--merge --encoding no-such-thing" + pair)).err.find("unknown encoding: no-such-thing"),
              std::string::npos);
}

// Random pairs of files in UTF-16 LE and BE with BOMs, UTF-8 with a BOM,
// Windows-1252 and plain UTF-8, mixed, each with LF or CR LF: --sections
// gives what it gives for their decoded text, and --merge writes the merge of
// that text in the encoding the pair calls for.
TEST_F(CommandLine, EncodedPairsCompareAndMergeAsTheirText)
{
    struct Form {
        const char *encoding;
        const char *bom;
    };
    const Form forms[] = {{"UTF-16LE", "\xFF\xFE"}, {"UTF-16BE", "\xFE\xFF"}, {"UTF-8", "\xEF\xBB\xBF"},
                          {"WINDOWS-1252", ""}, {"UTF-8", ""}};
    // In Windows-1252 these words never make valid UTF-8.
    const char *const words[] = {"a", "b", "caf\xC3\xA9", "\xC3\xBC", "", "x y"};
    std::mt19937 random(25);
    const auto below = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int pair = 0; pair < 200; ++pair) {
        std::string texts[2];
        Form chosen[2];
        for (int n = 0; n < 2; ++n) {
            const bool ascii = below(4) == 0;
            const char *const lineEnd = below(3) == 0 ? "\r\n" : "\n";
            for (std::size_t line = below(8); line > 0; --line)
                texts[n] += std::string(words[below(ascii ? 2 : std::size(words))]) + lineEnd;
            chosen[n] = forms[below(std::size(forms))];
            WriteFile(dir / ("e" + std::to_string(n)), chosen[n].bom + Iconv(texts[n], chosen[n].encoding));
            WriteFile(dir / ("d" + std::to_string(n)), texts[n]);
        }
        const bool beyond[2] = {texts[0].find_first_of("\xC3") != std::string::npos,
                                texts[1].find_first_of("\xC3") != std::string::npos};
        // A Windows-1252 file of ASCII text reads as UTF-8.
        Form read[2];
        for (int n = 0; n < 2; ++n)
            read[n] = beyond[n] || std::strcmp(chosen[n].encoding, "WINDOWS-1252") != 0 ? chosen[n] : forms[4];
        const auto same = [](const Form &a, const Form &b) {
            return std::strcmp(a.encoding, b.encoding) == 0 && std::strcmp(a.bom, b.bom) == 0;
        };
        int written = 0; // the side whose form the merge takes, -1 for plain UTF-8
        if (!same(read[0], read[1]))
            written = beyond[0] && beyond[1] ? -1 : beyond[1] ? 1 : 0;
        SCOPED_TRACE("pair " + std::to_string(pair));
        const std::string encoded = " " + P("e0") + " " + P("e1");
        const std::string decoded = " " + P("d0") + " " + P("d1");
        ASSERT_EQ(RunCommand(Lindo("--sections" + encoded)).out, RunCommand(Lindo("--sections" + decoded)).out);
        const std::string merge = RunCommand(Lindo("--merge" + decoded)).out;
        const std::string expected =
            written < 0 ? merge : read[written].bom + Iconv(merge, read[written].encoding);
        ASSERT_EQ(RunCommand(Lindo("--merge" + encoded)).out, expected);
    }
}

// Standard output named as a file is the stream the shell set up, pipe or
// appending redirect, never a file put in place of what it leads to.
struct StandardOutputRow {
    const char *name;
    const char *output;
    bool appending; // to a log through ">>"; otherwise into a pipe
};

class CommandLineStandardOutput : public CommandLine, public testing::WithParamInterface<StandardOutputRow> {};

TEST_P(CommandLineStandardOutput, MergeGoesIntoTheStreamAsItIs)
{
    WriteFile(dir / "log", "earlier\n");
    const std::string merge = Lindo("--merge " + P("w1") + " " + P("w2") + " -o " + GetParam().output);
    const bool appending = GetParam().appending;
    const RunResult result = RunCommand(appending ? "(" + merge + " >>" + P("log") + ")" : merge + " | cat");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    const std::string bytes = "}\na\n}\ne\n}\n";
    EXPECT_EQ(appending ? ReadFile(dir / "log") : result.out, appending ? "earlier\n" + bytes : bytes);
}

INSTANTIATE_TEST_SUITE_P(Outputs, CommandLineStandardOutput,
                         testing::Values(StandardOutputRow{"DevStdoutIntoAPipe", "/dev/stdout", false},
                                         StandardOutputRow{"DashIntoAPipe", "-", false},
                                         StandardOutputRow{"DevStdoutAppended", "/dev/stdout", true},
                                         StandardOutputRow{"DevFdAppended", "/dev/fd/1", true}),
                         [](const auto &info) { return std::string(info.param.name); });

// A signal that ends the program part way through a save takes the
// temporary file with it, and still ends the program as that signal.
class SignalDuringSave : public testing::TestWithParam<int> {};

TEST_P(SignalDuringSave, RemovesTheTemporaryAndEndsTheProgram)
{
    TempDir dir;
    WriteFile(dir / "out.txt", "old contents");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RemoveWriterTemporaryOnSignals();
        SafeFileWriter writer((dir / "out.txt").string());
        if (writer.Open() || writer.Write("new contents") || FolderContents(dir.path()).size() != 2)
            ::_exit(1);
        ::raise(GetParam());
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_EQ(FolderContents(dir.path()), std::vector<std::string>{"out.txt"});
    EXPECT_EQ(ReadFile(dir / "out.txt"), "old contents");
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringSave, testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto &info) { return std::string(::sigabbrev_np(info.param)); });

} // namespace
} // namespace lindo::test
