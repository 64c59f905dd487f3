#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

QString Q(const fs::path &path)
{
    return QString::fromStdString(path.string());
}

// Puts one raw value into the file the way a hand edit or an older or newer
// program might, bypassing the store's own conversions.
void PutRaw(const fs::path &file, const QString &name, const QVariant &value)
{
    QSettings settings(Q(file), QSettings::IniFormat);
    settings.setValue(name, value);
}

constexpr WindowRect kStart{10, 20, 300, 400};

// ---- Text, number and list values --------------------------------------------------

TEST(SettingsStoreText, ValuesComeBackAsWrittenAndAreStoredAsText)
{
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    store.WriteText(settings::kMergePath, "/home/u/merge, with comma and  blanks ");
    store.WriteNumber(settings::kColorDifferent, -170);
    store.WriteList(settings::kFilePath1, {"/a/one.txt", "/b/two.txt"});

    EXPECT_EQ(store.ReadText(settings::kMergePath), "/home/u/merge, with comma and  blanks ");
    EXPECT_EQ(store.ReadNumber(settings::kColorDifferent), -170);
    EXPECT_EQ(store.ReadText(settings::kColorDifferent), "-170");
    EXPECT_EQ(store.ReadText(settings::kFilePath1), "/a/one.txt,/b/two.txt,");
    EXPECT_EQ(store.ReadList(settings::kFilePath1), QStringList({"/a/one.txt", "/b/two.txt"}));

    // Values sit at the top level of the file and keep their kind there.
    QSettings raw(Q(dir / "Lindo.ini"), QSettings::IniFormat);
    EXPECT_EQ(raw.childGroups(), QStringList());
    EXPECT_EQ(raw.value(settings::kMergePath).metaType().id(), QMetaType::QString);
    EXPECT_EQ(raw.value(settings::kFilePath1).metaType().id(), QMetaType::QString);
}

TEST(SettingsStoreText, LengthLimitIsCountedInLocalBytes)
{
    struct Row {
        const char *name;
        QString text;
        bool comesBack;
    };
    const Row rows[] = {
        {"empty", QString(), true},
        {"exactly 1023", QString(1023, 'x'), true},
        {"1024", QString(1024, 'x'), false},
        {"1100", QString(1100, 'x'), false},
        {"511 two-byte characters", QString(511, QChar(0xE9)), true},
        {"512 two-byte characters", QString(512, QChar(0xE9)), false},
    };
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        store.WriteText(settings::kMergePath, row.text);
        const auto text = store.ReadText(settings::kMergePath);
        EXPECT_EQ(text.has_value(), row.comesBack);
        if (row.comesBack) {
            EXPECT_EQ(*text, row.text);
        }
    }
}

TEST(SettingsStoreList, PiecesAreSplitAtEveryComma)
{
    struct Row {
        const char *name;
        QVariant raw; // as it stands in the file
        QStringList expected;
    };
    const Row rows[] = {
        {"entry with a comma comes back as two", QString("a,b,c,"), {"a", "b", "c"}},
        {"runs and leading commas", QString(",,a,,b"), {"a", "b"}},
        {"missing final comma", QString("only"), {"only"}},
        {"empty text", QString(""), {}},
        {"only commas", QString(",,,"), {}},
        {"hand-written without quotes", QStringList({"x", "y", ""}), {"x", "y"}},
        {"binary value", QByteArray("a,b,"), {}},
    };
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PutRaw(dir / "Lindo.ini", settings::kFolderPath1, row.raw);
        EXPECT_EQ(store.ReadList(settings::kFolderPath1), row.expected);
    }
    EXPECT_TRUE(store.ReadList(settings::kFolderPath2).isEmpty()); // missing
}

TEST(SettingsStoreList, HistoryEntryWithCommaComesBackAsTwoEntries)
{
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    store.WriteList(settings::kFilePath2, {"/x/a,b.txt", "/y"});
    EXPECT_EQ(store.ReadList(settings::kFilePath2), QStringList({"/x/a", "b.txt", "/y"}));
}

TEST(SettingsStoreText, ExceptionStringsEmptyIsNotMissing)
{
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    EXPECT_FALSE(store.ReadText(settings::kFoldersExceptionStrings).has_value());
    store.WriteText(settings::kFoldersExceptionStrings, "");
    const auto text = store.ReadText(settings::kFoldersExceptionStrings);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->isEmpty());
    store.WriteList(settings::kFoldersExceptionStrings, {}); // the empty list is that same text
    EXPECT_EQ(store.ReadText(settings::kFoldersExceptionStrings), QString(""));
}

TEST(SettingsStoreNumber, LenientDecimalConversion)
{
    struct Row {
        const char *text;
        std::int32_t expected;
    };
    const Row rows[] = {
        {"170", 170},
        {"0", 0},
        {"  42", 42},
        {"\t\n 7", 7},
        {"-12", -12},
        {"+12", 12},
        {"  -3abc", -3},
        {"12 34", 12},
        {"red", 0},
        {"", 0},
        {"-", 0},
        {"- 5", 0},
        {"--5", 0},
        {"0x1F", 0},
        {"2147483647", std::numeric_limits<std::int32_t>::max()},
        {"2147483648", std::numeric_limits<std::int32_t>::max()},
        {"99999999999999999999999", std::numeric_limits<std::int32_t>::max()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-99999999999999999999999", std::numeric_limits<std::int32_t>::min()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(SettingsStore::DecimalValue(row.text), row.expected);
    }
}

TEST(SettingsStoreNumber, StoredTextsReadAsNumbers)
{
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    store.WriteText(settings::kColorIdentical, "black");
    store.WriteText(settings::kColorDifferent, "  -170 dark red");
    store.WriteText(settings::kColorInserted, "+255");
    EXPECT_EQ(store.ReadNumber(settings::kColorIdentical), 0);
    EXPECT_EQ(store.ReadNumber(settings::kColorDifferent), -170);
    EXPECT_EQ(store.ReadNumber(settings::kColorInserted), 255);
    EXPECT_FALSE(store.ReadNumber(settings::kFoldersShowSame).has_value());
    store.WriteNumber(settings::kFoldersShowSame, 1);
    EXPECT_EQ(store.ReadNumber(settings::kFoldersShowSame), 1);
}

// ---- Rectangles -----------------------------------------------------------------------

TEST(SettingsStoreRect, RoundTripIsSixteenLittleEndianBytes)
{
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    const WindowRect rect{-8, -1, 0x12345678, 1080};
    store.WriteRect(settings::kWindowPos, rect);

    QSettings raw(Q(dir / "Lindo.ini"), QSettings::IniFormat);
    const QVariant value = raw.value(settings::kWindowPos);
    ASSERT_EQ(value.metaType().id(), QMetaType::QByteArray);
    EXPECT_EQ(value.toByteArray(),
              QByteArray("\xF8\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x78\x56\x34\x12\x38\x04\x00\x00", 16));

    WindowRect back = kStart;
    store.ReadRect(settings::kWindowPos, back);
    EXPECT_EQ(back, rect);
}

TEST(SettingsStoreRect, StoredBytesReplaceOnlyAsManyAsThereAre)
{
    struct Row {
        const char *name;
        QVariant raw;
        WindowRect expected;
    };
    const QByteArray eight("\x01\x00\x00\x00\x02\x00\x00\x00", 8);
    const QByteArray twenty(20, '\x01');
    const Row rows[] = {
        {"8 bytes: left and top", eight, {1, 2, kStart.right, kStart.bottom}},
        {"3 bytes: low bytes of left", QByteArray("\x01\x02\x03", 3),
         {0x030201, kStart.top, kStart.right, kStart.bottom}},
        {"20 bytes: not used", twenty, kStart},
        {"empty binary: nothing replaced", QByteArray(), kStart},
        {"text counts with its terminator", QString("abc"),
         {0x00636261, kStart.top, kStart.right, kStart.bottom}},
        {"long text: not used", QString("a text that is too long"), kStart},
        {"other kinds: unchanged", QVariant(42), kStart},
    };
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PutRaw(dir / "Lindo.ini", settings::kMergedWindowPos, row.raw);
        WindowRect rect = kStart;
        store.ReadRect(settings::kMergedWindowPos, rect);
        EXPECT_EQ(rect, row.expected);
    }
    WindowRect rect = kStart;
    store.ReadRect(settings::kFoldersWindowPos, rect); // missing
    EXPECT_EQ(rect, kStart);
}

TEST(SettingsStoreRect, RectangleWhereTextIsExpectedReadsAsAbsent)
{
    TempDir dir;
    const SettingsStore store(Q(dir / "Lindo.ini"));
    store.WriteRect(settings::kMergePath, {0x30, 0x31, 0x32, 0x33}); // bytes that look like digits
    EXPECT_FALSE(store.ReadText(settings::kMergePath).has_value());
    EXPECT_FALSE(store.ReadNumber(settings::kMergePath).has_value());
    EXPECT_TRUE(store.ReadList(settings::kMergePath).isEmpty());
}

// ---- No caching -------------------------------------------------------------------------

TEST(SettingsStoreSharing, TwoStoresOnOneFileSeeEachOthersWritesAtOnce)
{
    TempDir dir;
    const SettingsStore first(Q(dir / "Lindo.ini"));
    const SettingsStore second(Q(dir / "Lindo.ini"));
    first.WriteNumber(settings::kFoldersShowSame, 1);
    EXPECT_EQ(second.ReadNumber(settings::kFoldersShowSame), 1);
    second.WriteNumber(settings::kFoldersShowSame, 0);
    EXPECT_EQ(first.ReadNumber(settings::kFoldersShowSame), 0);
    first.WriteRect(settings::kWindowPos, {1, 2, 3, 4});
    WindowRect rect;
    second.ReadRect(settings::kWindowPos, rect);
    EXPECT_EQ(rect, (WindowRect{1, 2, 3, 4}));

    // Another program rewriting the file is seen at the next read as well.
    WriteFile(dir / "Lindo.ini", "[General]\nFoldersShowSame=17\nMergePath=/other\n");
    EXPECT_EQ(first.ReadNumber(settings::kFoldersShowSame), 17);
    EXPECT_EQ(second.ReadText(settings::kMergePath), "/other");
}

// ---- Where the store lives ----------------------------------------------------------

class ScopedVariable {
public:
    ScopedVariable(const char *name, const char *value)
        : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

TEST(SettingsStoreLocation, VariableNamesTheFileOtherwiseTheConfigurationFolder)
{
    TempDir dir;
    const ScopedVariable config("XDG_CONFIG_HOME", (dir / "config").c_str());
    const SettingsStore store;
    {
        const ScopedVariable file(settings::kStoreFileVariable, (dir / "chosen.ini").c_str());
        EXPECT_EQ(store.FilePath(), Q(dir / "chosen.ini"));
        store.WriteText(settings::kMergePath, "via variable");
    }
    {
        const ScopedVariable file(settings::kStoreFileVariable, nullptr);
        EXPECT_EQ(store.FilePath(), Q(dir / "config" / "Brannock" / "Lindo.ini"));
        EXPECT_FALSE(store.ReadText(settings::kMergePath).has_value());
        store.WriteText(settings::kMergePath, "via folder"); // creates the missing folders
    }
    EXPECT_EQ(SettingsStore(Q(dir / "chosen.ini")).ReadText(settings::kMergePath), "via variable");
    EXPECT_EQ(SettingsStore(Q(dir / "config" / "Brannock" / "Lindo.ini")).ReadText(settings::kMergePath),
              "via folder");
}

// ---- Failures are silent --------------------------------------------------------------

// Every kind of read gives its "absent" answer.
bool ReadsAllAbsent(const SettingsStore &store)
{
    WindowRect rect = kStart;
    store.ReadRect(settings::kWindowPos, rect);
    return !store.ReadText(settings::kMergePath) && !store.ReadNumber(settings::kFoldersShowSame)
           && store.ReadList(settings::kFilePath1).isEmpty() && rect == kStart;
}

void WriteOneOfEach(const SettingsStore &store)
{
    store.WriteText(settings::kMergePath, "/lost");
    store.WriteNumber(settings::kFoldersShowSame, 1);
    store.WriteList(settings::kFilePath1, {"lost"});
    store.WriteRect(settings::kWindowPos, {1, 2, 3, 4});
}

constexpr char kStoredText[] =
    "[General]\nMergePath=/kept\nFoldersShowSame=1\nFilePath1=kept,\nWindowPos=@ByteArray(0123456789abcdef)\n";

TEST(SettingsStoreFailure, MissingFileReadsAbsentAndFirstWriteCreatesIt)
{
    TempDir dir;
    const fs::path file = dir / "not" / "yet" / "Lindo.ini";
    const SettingsStore store(Q(file));
    test::StderrCapture capture;
    EXPECT_TRUE(ReadsAllAbsent(store));
    EXPECT_FALSE(fs::exists(file)); // reading creates nothing
    store.WriteText(settings::kMergePath, "/m");
    EXPECT_EQ(capture.Finish(), "");
    EXPECT_EQ(store.ReadText(settings::kMergePath), "/m");
    // Nothing but the file itself is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

TEST(SettingsStoreFailure, FolderInPlaceOfTheFileIsSilent)
{
    TempDir dir;
    fs::create_directories(dir / "Lindo.ini");
    const SettingsStore store(Q(dir / "Lindo.ini"));
    test::StderrCapture capture;
    EXPECT_TRUE(ReadsAllAbsent(store));
    WriteOneOfEach(store);
    EXPECT_TRUE(ReadsAllAbsent(store));
    EXPECT_EQ(capture.Finish(), "");
    EXPECT_TRUE(fs::is_directory(dir / "Lindo.ini"));
}

TEST(SettingsStoreFailure, FolderThatCannotBeCreatedIsSilent)
{
    TempDir dir;
    WriteFile(dir / "plain", "a file where a folder should be");
    const SettingsStore store(Q(dir / "plain" / "Brannock" / "Lindo.ini"));
    test::StderrCapture capture;
    WriteOneOfEach(store);
    EXPECT_TRUE(ReadsAllAbsent(store));
    EXPECT_EQ(capture.Finish(), "");
    EXPECT_EQ(ReadFile(dir / "plain"), "a file where a folder should be");
}

TEST(SettingsStoreFailure, DamagedLinesReadAbsentAndSoundOnesSurviveTheNextWrite)
{
    TempDir dir;
    WriteFile(dir / "Lindo.ini",
              "[General\nMergePath=/kept\n\x01\x02 a line without its sign\nFoldersShowSame=1\n[\n");
    const SettingsStore store(Q(dir / "Lindo.ini"));
    test::StderrCapture capture;
    EXPECT_EQ(store.ReadText(settings::kMergePath), "/kept");
    EXPECT_EQ(store.ReadNumber(settings::kFoldersShowSame), 1);
    EXPECT_TRUE(store.ReadList(settings::kFilePath1).isEmpty());
    store.WriteList(settings::kFilePath1, {"new"});
    // The damaged lines are dropped, and kept in a copy that the write names.
    EXPECT_NE(capture.Finish().find((dir / "Lindo.ini.bak").string()), std::string::npos);
    EXPECT_EQ(store.ReadList(settings::kFilePath1), QStringList({"new"}));
    EXPECT_EQ(store.ReadText(settings::kMergePath), "/kept");
    EXPECT_EQ(store.ReadNumber(settings::kFoldersShowSame), 1);
}

TEST(SettingsStoreFailure, BinaryGarbageReadsAbsent)
{
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    WriteFile(dir / "Lindo.ini", garbage);
    const SettingsStore store(Q(dir / "Lindo.ini"));
    test::StderrCapture capture;
    EXPECT_TRUE(ReadsAllAbsent(store));
    EXPECT_EQ(capture.Finish(), "");
}

TEST(SettingsStoreFailure, UnreadableFileIsSilentAndKeptAsItIs)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all); // reachable and writable for everyone
    const fs::path file = dir / "Lindo.ini";
    WriteFile(file, kStoredText);
    fs::permissions(file, fs::perms::none);
    EXPECT_TRUE(test::RunWithoutPrivileges([&] {
        const SettingsStore store(Q(file));
        test::StderrCapture capture;
        const bool absent = ReadsAllAbsent(store);
        WriteOneOfEach(store);
        return absent && ReadsAllAbsent(store) && capture.Finish().empty();
    }));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ(ReadFile(file), kStoredText);
}

TEST(SettingsStoreFailure, LostWritesLeaveTheFileAndTheReadsAsTheyWere)
{
    struct Row {
        const char *name;
        fs::perms folder;
        fs::perms file;
    };
    constexpr fs::perms kReadable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    constexpr fs::perms kReachable = kReadable | fs::perms::owner_exec | fs::perms::group_exec
                                     | fs::perms::others_exec;
    const Row rows[] = {
        {"unwritable folder", kReachable | fs::perms::owner_write, kReadable | fs::perms::owner_write},
        {"read-only file", fs::perms::all, kReadable},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        fs::permissions(dir.path(), kReachable | fs::perms::owner_write);
        const fs::path folder = dir / "Brannock";
        const fs::path file = folder / "Lindo.ini";
        WriteFile(file, kStoredText);
        fs::permissions(file, row.file);
        fs::permissions(folder, row.folder);
        EXPECT_TRUE(test::RunWithoutPrivileges([&] {
            const SettingsStore store(Q(file));
            test::StderrCapture capture;
            WriteOneOfEach(store);
            WindowRect rect;
            store.ReadRect(settings::kWindowPos, rect);
            // The old values still read: no write took place, not even in memory.
            return store.ReadText(settings::kMergePath) == "/kept"
                   && store.ReadNumber(settings::kFoldersShowSame) == 1
                   && store.ReadList(settings::kFilePath1) == QStringList({"kept"})
                   && rect == WindowRect{0x33323130, 0x37363534, 0x62613938, 0x66656463}
                   && capture.Finish().empty();
        }));
        EXPECT_EQ(ReadFile(file), kStoredText);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    }
}

// ---- What a rewrite keeps -----------------------------------------------------------

TEST(SettingsStoreRewrite, AnotherUsersFileKeepsItsOwnerAndMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to write another user's file";
    TempDir dir;
    const fs::path file = dir / "Lindo.ini";
    WriteFile(file, "[General]\nMergePath=/kept\n");
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    SettingsStore(Q(file)).WriteText(settings::kMergePath, "/new");
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, kNobody);
    EXPECT_EQ(after.st_gid, kNobody);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(SettingsStore(Q(file)).ReadText(settings::kMergePath), "/new");
}

TEST(SettingsStoreRewrite, LinesTheStoreDropsAreKeptOnceInACopyAndSaidSo)
{
    TempDir dir;
    const fs::path file = dir / "Lindo.ini";
    // Damaged lines are kept the same way (see the test of damaged lines).
    const std::string original = "; width=80 suits me\n[General]\nMergePath=/kept\n";
    WriteFile(file, original);
    const SettingsStore store(Q(file));
    test::StderrCapture capture;
    store.WriteText(settings::kMergePath, "/first");
    store.WriteText(settings::kMergePath, "/second");
    const std::string said = capture.Finish();
    EXPECT_NE(said.find((dir / "Lindo.ini.bak").string()), std::string::npos) << said;
    EXPECT_EQ(ReadFile(dir / "Lindo.ini.bak"), original);
    EXPECT_EQ(test::FolderContents(dir.path()), (std::vector<std::string>{"Lindo.ini", "Lindo.ini.bak"}));
    EXPECT_EQ(store.ReadText(settings::kMergePath), "/second");
}

TEST(SettingsStoreRewrite, AFileWithNothingToDropGetsNoCopy)
{
    TempDir dir;
    WriteFile(dir / "Lindo.ini", "[General]\nMergePath=/kept\n\n[Other]\nA=1\n");
    test::StderrCapture capture;
    SettingsStore(Q(dir / "Lindo.ini")).WriteText(settings::kMergePath, "/new");
    EXPECT_EQ(capture.Finish(), "");
    EXPECT_EQ(test::FolderContents(dir.path()), std::vector<std::string>{"Lindo.ini"});
}

} // namespace
} // namespace lindo
