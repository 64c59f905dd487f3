// Inputs that are not plain text files, or not there, or not still: each is
// either read whole or refused with its message, and a refusal keeps the
// previous comparison exactly as it was.

#include "engine/diffengine.h"
#include "faultsupport.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sstream>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

std::string MergeText(DiffEngine &engine)
{
    engine.BuildMergeList();
    std::ostringstream out;
    engine.WriteMergeText(out);
    return out.str();
}

std::string RandomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

struct InputCase {
    const char *name;
    // Makes the input in the folder and gives its path.
    std::function<std::string(const fs::path &)> make;
    // Read whole: the bytes it must read as. Refused: the message, %1 for its path.
    std::optional<std::string> bytes;
    const char *message = nullptr;
};

void PrintTo(const InputCase &c, std::ostream *out)
{
    *out << c.name;
}

std::string Written(const fs::path &path, const std::string &bytes)
{
    WriteFile(path, bytes);
    return path.string();
}

const std::string kBinary = RandomBytes(64 * 1024, 7) + std::string(100, '\0') + "\nend";
const std::string kInvalidUtf8 = "caf\xe9\n\xc3\x28\n\xed\xa0\x80 surrogate\n\xf8\x88\x80\x80\x80\nok\n";

const InputCase kInputCases[] = {
    {"MissingFile", [](const fs::path &dir) { return (dir / "missing.txt").string(); }, std::nullopt,
     "%1 was not found."},
    {"AFolder",
     [](const fs::path &dir) {
         fs::create_directory(dir / "folder");
         return (dir / "folder").string();
     },
     std::nullopt, "Access to %1 was denied."},
    {"LinkToNothing",
     [](const fs::path &dir) {
         fs::create_symlink("nowhere.txt", dir / "dangling");
         return (dir / "dangling").string();
     },
     std::nullopt, "%1 was not found."},
    {"LinkLoop",
     [](const fs::path &dir) {
         fs::create_symlink("loop", dir / "loop");
         return (dir / "loop").string();
     },
     std::nullopt, "%1 contains an invalid path."},
    {"NullDevice", [](const fs::path &) { return std::string("/dev/null"); }, std::string(), nullptr},
    {"BinaryWithNulBytes", [](const fs::path &dir) { return Written(dir / "binary", kBinary); }, kBinary,
     nullptr},
    {"InvalidUtf8", [](const fs::path &dir) { return Written(dir / "latin1", kInvalidUtf8); }, kInvalidUtf8,
     nullptr},
    {"CrOnlyLineEnds", [](const fs::path &dir) { return Written(dir / "mac", "one\rtwo\rthree\r"); },
     std::string("one\rtwo\rthree\r"), nullptr},
    {"NameWithNewlineAndInvalidUtf8",
     [](const fs::path &dir) { return Written(dir / "odd\nname\xff.txt", "x\ny\n"); }, std::string("x\ny\n"),
     nullptr},
};

class InputFaults : public testing::TestWithParam<InputCase> {
protected:
    void SetUp() override
    {
        engine.SetReporter(&reporter);
        WriteFile(dir / "before1", "a\nb\nc\n");
        WriteFile(dir / "before2", "a\nc\n");
        ASSERT_TRUE(engine.Load((dir / "before1").string(), (dir / "before2").string()));
        engine.Compare();
        mergeBefore = MergeText(engine);
    }

    TempDir dir;
    RecordingReporter reporter;
    DiffEngine engine;
    std::string mergeBefore;
};

TEST_P(InputFaults, ReadWholeOrRefusedWithItsMessageOnEitherSide)
{
    const InputCase &c = GetParam();
    const std::string path = c.make(dir.path());
    for (int side = 1; side <= 2; ++side) {
        SCOPED_TRACE(side);
        reporter.messages.clear();
        const std::string other = (dir / "before2").string();
        const bool loaded = side == 1 ? engine.Load(path, other) : engine.Load(other, path);
        if (!c.bytes) {
            EXPECT_FALSE(loaded);
            ASSERT_EQ(reporter.messages.size(), 1u);
            std::string expected = c.message;
            expected.replace(expected.find("%1"), 2, path);
            EXPECT_EQ(reporter.messages[0], expected);
            // The previous comparison stands, sections and all.
            EXPECT_EQ(engine.Lines(1).size(), 3u);
            EXPECT_EQ(engine.Sections(1).size(), 3u);
            EXPECT_EQ(MergeText(engine), mergeBefore);
            continue;
        }
        ASSERT_TRUE(loaded);
        EXPECT_TRUE(reporter.messages.empty());
        engine.Compare();
        // Merged with a file it shares nothing with, every line of the input
        // comes out once, as it was read, with CR LF when it has one.
        const std::string merged = MergeText(engine);
        const std::string lineEnd = c.bytes->find("\r\n") != std::string::npos ? "\r\n" : "\n";
        const std::string alone = WithLineEnds(*c.bytes, lineEnd);
        EXPECT_NE(merged.find(alone), std::string::npos);
        EXPECT_EQ(merged.size(), alone.size() + WithLineEnds("a\nc\n", lineEnd).size());
        ASSERT_TRUE(engine.Load((dir / "before1").string(), (dir / "before2").string()));
        engine.Compare();
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, InputFaults, testing::ValuesIn(kInputCases),
                         [](const testing::TestParamInfo<InputCase> &info) { return std::string(info.param.name); });

TEST(InputFaultsAsUser, AnUnreadableFileIsDeniedAndChangesNothing)
{
    TempDir dir;
    OpenToEveryone(dir.path());
    WriteFile(dir / "one", "a\nb\n");
    WriteFile(dir / "secret", "hidden\n");
    chmod((dir / "secret").c_str(), 0);
    const std::string secret = (dir / "secret").string();
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        RecordingReporter reporter;
        DiffEngine engine;
        engine.SetReporter(&reporter);
        if (!engine.Load((dir / "one").string(), (dir / "one").string()))
            return false;
        engine.Compare();
        return !engine.Load((dir / "one").string(), secret) && reporter.messages.size() == 1
               && reporter.messages[0] == "Access to " + secret + " was denied."
               && engine.Lines(2).size() == 2 && engine.Sections(2).size() == 1;
    }));
}

// Writes `chunks` pieces of `piece` into fd, pausing between them, then exits.
void FeedAndExit(int fd, const std::string &piece, int chunks)
{
    for (int n = 0; n < chunks; ++n) {
        if (write(fd, piece.data(), piece.size()) != static_cast<ssize_t>(piece.size()))
            _exit(1);
        if (n % 64 == 0)
            usleep(1000);
    }
    _exit(0);
}

TEST(InputFaultsWhileRead, AFifoFedSlowlyByAnotherProcessIsReadToItsEnd)
{
    TempDir dir;
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string piece = "a line of the pipe\n";
    constexpr int kChunks = 20000;
    const pid_t writer = fork();
    if (writer == 0)
        FeedAndExit(open(fifo.c_str(), O_WRONLY), piece, kChunks);
    WriteFile(dir / "other", "other\n");
    DiffEngine engine;
    RecordingReporter reporter;
    engine.SetReporter(&reporter);
    ASSERT_TRUE(engine.Load(fifo.string(), (dir / "other").string()));
    int status = 0;
    waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(engine.Lines(1).size(), static_cast<std::size_t>(kChunks));
    EXPECT_EQ(engine.Lines(1).back().text, "a line of the pipe");
}

TEST(InputFaultsWhileRead, ProcessSubstitutionOnTheCommandLine)
{
    const RunResult result = RunCommand(
        "bash -c " + ShellQuote(ShellQuote(LINDO_BINARY) + " --merge <(seq 1 100000) <(seq 2 100001)"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    std::string expected;
    for (int n = 1; n <= 100001; ++n)
        expected += std::to_string(n) + "\n";
    EXPECT_EQ(result.out, expected);
}

TEST(InputFaultsWhileRead, AFileThatGrowsWhileReadGivesAConsistentPrefix)
{
    TempDir dir;
    const fs::path growing = dir / "growing";
    WriteFile(growing, "");
    WriteFile(dir / "other", "other\n");
    const pid_t writer = fork();
    if (writer == 0) {
        const int fd = open(growing.c_str(), O_WRONLY | O_APPEND);
        std::string piece;
        for (int n = 0; n < 200; ++n)
            piece += "line " + std::to_string(n) + "\n";
        FeedAndExit(fd, piece, 400);
    }
    // Read several times while the writer appends: every read is a prefix of
    // what is finally there, cut anywhere, even inside a line.
    std::vector<std::size_t> seen;
    for (int attempt = 0; attempt < 20; ++attempt) {
        DiffEngine engine;
        ASSERT_TRUE(engine.Load(growing.string(), (dir / "other").string()));
        std::string read;
        for (const DiffLine &line : engine.Lines(1)) {
            read += line.text;
            read += '\n';
        }
        const std::string now = ReadFile(growing);
        ASSERT_LE(read.size(), now.size() + 1);
        const std::size_t lastEnd = read.empty() ? 0 : read.size() - 1;
        EXPECT_EQ(now.compare(0, lastEnd, read, 0, lastEnd), 0) << "read " << read.size() << " bytes";
        seen.push_back(read.size());
        usleep(2000);
    }
    int status = 0;
    waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    DiffEngine engine;
    ASSERT_TRUE(engine.Load(growing.string(), (dir / "other").string()));
    EXPECT_EQ(engine.Lines(1).size(), 200u * 400u);
}

TEST(InputFaultsLarge, ATenMegabyteLineIsOneLineAndMergesWhole)
{
    TempDir dir;
    std::string line = RandomBytes(10 * 1024 * 1024, 3);
    for (char &byte : line) {
        if (byte == '\n')
            byte = ' ';
    }
    WriteFile(dir / "one", line);
    WriteFile(dir / "two", line + "\r\nafter\r\n");
    DiffEngine engine;
    ASSERT_TRUE(engine.Load((dir / "one").string(), (dir / "two").string()));
    ASSERT_EQ(engine.Lines(1).size(), 1u);
    ASSERT_EQ(engine.Lines(1)[0].text, engine.Lines(2)[0].text);
    engine.Compare();
    EXPECT_EQ(engine.Lines(1)[0].link, 0);
    engine.BuildMergeList();
    ASSERT_TRUE(engine.WriteMergeFile((dir / "merged").string()));
    EXPECT_TRUE(ReadFile(dir / "merged") == line + "\r\nafter\r\n");
}

TEST(InputFaultsLarge, FiveMillionShortLines)
{
    const MemoryFolder dir;
    ASSERT_FALSE(dir.path().empty());
    constexpr int kLines = 5000000;
    constexpr int kBlock = 1000;
    std::string block;
    for (int n = 0; n < kBlock; ++n)
        block += std::to_string(n) + '\n';
    std::string one;
    one.reserve(block.size() * (kLines / kBlock));
    for (int n = 0; n < kLines / kBlock; ++n)
        one += block;
    std::string two = one;
    two.replace(two.find("\n499\n") + 1, 3, "new");
    WriteFile(dir / "one", one);
    WriteFile(dir / "two", two);
    DiffEngine engine;
    ASSERT_TRUE(engine.Load((dir / "one").string(), (dir / "two").string()));
    ASSERT_EQ(engine.Lines(1).size(), static_cast<std::size_t>(kLines));
    ASSERT_EQ(engine.Lines(2).size(), static_cast<std::size_t>(kLines));
    engine.Compare();
    // Every line occurs thousands of times: no anchor, nothing links, and
    // the merge is the first file followed by the second, LF line ends and all.
    ASSERT_EQ(engine.Sections(1).size(), 1u);
    ASSERT_EQ(engine.Sections(2).size(), 1u);
    engine.BuildMergeList();
    ASSERT_TRUE(engine.WriteMergeFile((dir / "merged").string()));
    EXPECT_EQ(fs::file_size(dir / "merged"), one.size() + two.size());
}

} // namespace
} // namespace lindo::test
