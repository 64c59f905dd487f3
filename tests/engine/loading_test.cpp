// Reading files into lines, the failures of Load with their messages, and the
// exception-string text services.

#include "enginetestutil.h"
#include "engine/lineinterner.h"
#include "engine/texthash.h"
#include "engine/textreader.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo::test {
namespace {

std::vector<std::string> TextsOf(const DiffLines &lines)
{
    std::vector<std::string> texts;
    for (const DiffLine &line : lines)
        texts.emplace_back(line.text);
    return texts;
}

struct SplitCase {
    const char *name;
    std::string bytes;
    std::vector<std::string> lines;
};

// Keeps test names readable: a case prints as its name.
void PrintTo(const SplitCase &c, std::ostream *out)
{
    *out << c.name;
}


class LineSplitting : public testing::TestWithParam<SplitCase> {};

TEST_P(LineSplitting, CutsLinesAsTextModeReadingDoes)
{
    DiffLines lines;
    ReadLines(GetParam().bytes, lines);
    EXPECT_EQ(TextsOf(lines), GetParam().lines);
    for (const DiffLine &line : lines)
        EXPECT_EQ(line.link, -1);
}

const SplitCase kSplitCases[] = {
    {"EmptyFile", "", {}},
    {"CrLfEnds", "one\r\ntwo\r\n", {"one", "two"}},
    {"LfThenNoFinalEnd", "one\ntwo", {"one", "two"}},
    {"TwoCrBeforeLfKeepOne", "one\r\r\n", {"one\r"}},
    {"LoneCrStaysInText", "a\rb\n", {"a\rb"}},
    {"EmptyLines", "\n\n", {"", ""}},
    {"OnlyACr", "\r", {"\r"}},
    {"TabsAndTrailingBlanksStay", "\tx  \n", {"\tx  "}},
    {"NulAndCtrlZAreOrdinaryBytes", std::string("a\0b\x1a" "c\n\x1a", 7), {std::string("a\0b\x1a" "c", 5), "\x1a"}},
    {"InvalidUtf8Stays", "\xff\xfe\n", {"\xff\xfe"}},
};

INSTANTIATE_TEST_SUITE_P(ReadLines, LineSplitting, testing::ValuesIn(kSplitCases),
                         [](const testing::TestParamInfo<SplitCase> &info) { return std::string(info.param.name); });

class RecordingReporter : public FileErrorReporter {
public:
    void ReportFileError(const std::string &message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

class LoadFromFiles : public testing::Test {
protected:
    void SetUp() override
    {
        engine.SetReporter(&reporter);
        WriteFile(dir / "one", "a\nb\nc\n");
        WriteFile(dir / "two", "a\nc\n");
        ASSERT_TRUE(engine.Load((dir / "one").string(), (dir / "two").string()));
        engine.Compare();
        before1 = Describe(engine, 1);
        before2 = Describe(engine, 2);
    }

    // A failed load reports exactly one message and changes nothing, not even
    // the options the lines on hand were compared with.
    void ExpectFailureKeepsState(const std::string &path1, const std::string &path2, const std::string &message)
    {
        engine.keyOptions.ignoreCase = true;
        EXPECT_FALSE(engine.Load(path1, path2));
        EXPECT_FALSE(engine.LoadedKeyOptions().Any());
        ASSERT_EQ(reporter.messages.size(), 1u);
        EXPECT_EQ(reporter.messages[0], message);
        EXPECT_EQ(TextsOf(engine.Lines(1)), (std::vector<std::string>{"a", "b", "c"}));
        EXPECT_EQ(TextsOf(engine.Lines(2)), (std::vector<std::string>{"a", "c"}));
        EXPECT_EQ(Describe(engine, 1), before1);
        EXPECT_EQ(Describe(engine, 2), before2);
    }

    TempDir dir;
    RecordingReporter reporter;
    DiffEngine engine;
    std::string before1;
    std::string before2;
};

TEST_F(LoadFromFiles, ReadsBothFiles)
{
    EXPECT_EQ(before1, "0-0:M p0 a-1 | 1-1:O p-1 a1 S | 2-2:M p1 a-1");
    EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(LoadFromFiles, MissingSecondFileIsReportedByItsAbsolutePath)
{
    const std::string missing = (dir / "missing.txt").string();
    ExpectFailureKeepsState((dir / "one").string(), missing, missing + " was not found.");
}

TEST_F(LoadFromFiles, RelativePathIsShownAbsolute)
{
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    ExpectFailureKeepsState("nothere/../gone.txt", (dir / "two").string(), (dir / "gone.txt").string() + " was not found.");
    std::filesystem::current_path(cwd);
}

TEST_F(LoadFromFiles, AFolderIsNotAnEmptyFile)
{
    ExpectFailureKeepsState(dir.path().string(), (dir / "two").string(),
                            "Access to " + dir.path().string() + " was denied.");
}

TEST_F(LoadFromFiles, EmptyPathIsNotFound)
{
    EXPECT_FALSE(engine.Load("", (dir / "two").string()));
    EXPECT_EQ(reporter.messages, std::vector<std::string>{"(no file name) was not found."});
}

TEST_F(LoadFromFiles, PathThroughAFileIsAnInvalidPath)
{
    const std::string through = (dir / "one" / "x").string();
    ExpectFailureKeepsState(through, (dir / "two").string(), through + " contains an invalid path.");
}

TEST_F(LoadFromFiles, UnreadableFileIsDenied)
{
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all); // reachable for an ordinary user
    WriteFile(dir / "secret", "x\n");
    chmod((dir / "secret").c_str(), 0);
    chmod((dir / "two").c_str(), 0644);
    // As root permissions stop nothing: the check runs as an ordinary user.
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        ExpectFailureKeepsState((dir / "secret").string(), (dir / "two").string(),
                                "Access to " + (dir / "secret").string() + " was denied.");
        return !testing::Test::HasFailure();
    }));
}

TEST_F(LoadFromFiles, FifoIsReadToItsEnd)
{
    const auto fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        const int fd = open(fifo.c_str(), O_WRONLY);
        const char text[] = "x\ny\n";
        const ssize_t written = write(fd, text, sizeof text - 1);
        _exit(written == sizeof text - 1 ? 0 : 1);
    }
    ASSERT_TRUE(engine.Load(fifo.string(), (dir / "two").string()));
    EXPECT_EQ(TextsOf(engine.Lines(1)), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(engine.Sections(1).empty());
    EXPECT_TRUE(engine.IsCompared());
}

TEST_F(LoadFromFiles, LongLineIsReadWhole)
{
    const std::string longLine(200000, 'q');
    WriteFile(dir / "long", "a\n" + longLine + "\nc");
    ASSERT_TRUE(engine.Load((dir / "long").string(), (dir / "two").string()));
    ASSERT_EQ(engine.Lines(1).size(), 3u);
    EXPECT_EQ(engine.Lines(1)[1].text, longLine);
}

TEST(FileErrorMessages, CausesAndCutting)
{
    EXPECT_EQ(FileErrorMessage(CauseFromErrno(ENOSPC), "/x"), "Disk full while accessing /x.");
    EXPECT_EQ(FileErrorMessage(CauseFromErrno(EIO), "/x"), "A hardware I/O error was reported while accessing /x.");
    EXPECT_EQ(FileErrorMessage(CauseFromErrno(EMFILE), "/x"),
              "/x could not be opened because there are too many open files.");
    EXPECT_EQ(FileErrorMessage(CauseFromErrno(ENOMEM), "/x"), "Out of memory.");
    EXPECT_EQ(FileErrorMessage(CauseFromErrno(EPROTO), "/x"), "An unknown error occurred while accessing /x.");
    const std::string longPath = "/" + std::string(2000, 'p');
    const std::string cut = FileErrorMessage(FileErrorCause::FileNotFound, longPath);
    EXPECT_EQ(cut.size(), 1022u);
    EXPECT_EQ(cut.substr(0, 10), longPath.substr(0, 10));
}

TEST(ExceptionStrings, SplitDropsEmptyPiecesAndJoinEndsEachWithAComma)
{
    DiffEngine engine;
    engine.SetExceptionStrings(",one,,two,");
    EXPECT_EQ(engine.exceptionStrings, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(engine.GetExceptionStringsText(), "one,two,");

    DiffEngine other;
    other.SetExceptionStrings("a,b");
    EXPECT_EQ(other.GetExceptionStringsText(), "a,b,");
    other.SetExceptionStrings("c"); // appends; the list is not emptied first
    EXPECT_EQ(other.GetExceptionStringsText(), "a,b,c,");

    DiffEngine empty;
    empty.SetExceptionStrings(",,,");
    EXPECT_TRUE(empty.exceptionStrings.empty());
    EXPECT_EQ(empty.GetExceptionStringsText(), "");
}

TEST(EngineDefaults, OptionsAndColourConstants)
{
    DiffEngine engine;
    EXPECT_EQ(engine.showSelections, 1);
    EXPECT_EQ(engine.autoSelect, 1);
    EXPECT_EQ(engine.exceptionStringsEnabled, 1);
    EXPECT_TRUE(engine.mergeDirectory.empty());
    EXPECT_EQ(DiffEngine::defaultColorIdentical, 0u);
    EXPECT_EQ(DiffEngine::defaultColorDifferent, 170u);
    EXPECT_EQ(DiffEngine::defaultColorInserted, 255u);
}

} // namespace
} // namespace lindo::test

namespace lindo::test {
namespace {

// The line list is reserved from a count taken beforehand: a wrong count
// would only cost a reallocation, but an exact one keeps the memory peak down.
TEST(LineSplitting, ReservesExactlyTheLinesItCuts)
{
    for (const std::string &bytes : {std::string(1000, '\n'), std::string(10000, '\n'), std::string("ab\ncd\r\nef"),
                                     std::string("\n\n\n\n\n\n\n\nx\n\n\n\n\n\n\n\n\n"), std::string(17, 'z')}) {
        DiffLines lines;
        ReadLines(bytes, lines);
        EXPECT_EQ(lines.capacity(), lines.size()) << bytes.size();
    }
}

// The compacting load, cut in chunks far smaller than its lines: side 2
// gets the lines ReadLines would give, texts side 1 has view side 1's bytes,
// and side 2's buffer keeps each text side 1 lacks once.
TEST(CompactingLoad, SecondSideKeepsOnlyTheTextsTheFirstLacks)
{
    const std::string first = "shared\r\n}\nonly first\n\n";
    const std::string second = "}\nnew one\r\nshared\nnew one\n" + std::string(40, 'x') + "\n}\n\nnew two";
    DiffLines lines1;
    ReadLines(first, lines1);
    TagLines(lines1, 0, lines1.size(), {});
    ByteBuffer bytes2(second);
    DiffLines lines2;
    InternCompacting(lines1, bytes2, lines2, 7);

    DiffLines expected;
    ReadLines(second, expected);
    ASSERT_EQ(TextsOf(lines2), TextsOf(expected));
    const std::string_view firstBytes(first);
    std::string kept;
    for (std::size_t n = 0; n < lines2.size(); ++n) {
        const std::string_view text = lines2[n].text;
        bool inFirst = false;
        for (const DiffLine &line : lines1)
            inFirst = inFirst || line.text == text;
        const bool viewsFirst = text.data() >= firstBytes.data() && text.data() <= firstBytes.data() + firstBytes.size();
        EXPECT_EQ(viewsFirst, inFirst) << n;
        bool seenBefore = false;
        for (std::size_t m = 0; m < n; ++m)
            seenBefore = seenBefore || lines2[m].text == text;
        if (!inFirst && !seenBefore)
            kept += text;
        for (const DiffLine &line : lines1)
            EXPECT_EQ(line.text == text, line.textId == lines2[n].textId) << n;
    }
    EXPECT_EQ(bytes2.View(), kept);
}

// A second file of the first one's size is compared while it is read: kept
// only when it differs, and then whole, wherever the first difference lies
// (the comparison reads it a mebibyte at a time).
TEST(ComparingRead, KeepsTheSecondFileOnlyWhenItDiffers)
{
    TempDir dir;
    std::string reference(3 * 1024 * 1024 + 5, 'r');
    for (std::size_t n = 0; n < reference.size(); n += 61)
        reference[n] = '\n';
    std::string late = reference;
    late[late.size() - 2] = 'x';
    std::string early = reference;
    early[3] = 'x';
    for (const std::string &bytes : {reference, late, early, reference + "more", reference.substr(0, 1500000)}) {
        WriteFile(dir / "file", bytes);
        ByteBuffer buffer;
        bool same = true;
        ASSERT_EQ(ReadFileBytesComparing((dir / "file").string(), reference, buffer, same), 0);
        EXPECT_EQ(same, bytes == reference) << bytes.size();
        EXPECT_TRUE(buffer.View() == (same ? std::string_view() : std::string_view(bytes))) << bytes.size();
    }
}

TEST(ComparingRead, IdenticalFilesLoadAsTwoSidesOfOneText)
{
    TempDir dir;
    WriteFile(dir / "one", "a\nb\na\n");
    WriteFile(dir / "two", "a\nb\na\n");
    DiffEngine engine;
    ASSERT_TRUE(engine.Load((dir / "one").string(), (dir / "two").string()));
    engine.Compare();
    EXPECT_EQ(LinksOf(engine, 1), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(LinksOf(engine, 2), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(MergeOf(engine), Text({"a", "b", "a"}));
}

// Line texts are compared word-wise when short: a difference in any byte,
// at every length, must still tell them apart.
TEST(TextComparison, SameTextSeesEveryByte)
{
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string text(length, 'a');
        EXPECT_TRUE(SameText(text, std::string(length, 'a'))) << length;
        EXPECT_FALSE(SameText(text, std::string(length + 1, 'a'))) << length;
        for (std::size_t at = 0; at < length; ++at) {
            std::string other = text;
            other[at] = 'b';
            EXPECT_FALSE(SameText(text, other)) << length << " " << at;
        }
    }
}

} // namespace
} // namespace lindo::test
