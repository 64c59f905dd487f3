// The main window over a settings file that is missing, empty, damaged, a
// folder, huge garbage, unreadable or unwritable: it starts with the defaults
// where it must, never shows a message, and its close sequence either saves
// or, where the file cannot be written, leaves it exactly as it was.

#include "app/mainwindowfixture.h"
#include "faultsupport.h"
#include "settingsstore/settingsnames.h"

#include <QElapsedTimer>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

enum class AfterClose {
    Saved, // the close sequence's values can be read back
    Kept,  // the file (or what stands in its place) is exactly as it was
};

struct StoreCase {
    const char *name;
    // Prepares the settings file (or what stands in its place) in the folder
    // and gives the path the program is to use.
    std::function<fs::path(const fs::path &folder)> make;
    AfterClose after;
    bool asUser = false; // only the file modes stand in the way: run as an ordinary user
    // Colours the window must start with (identical, different, inserted).
    Colour colours[3] = {0, 170, 255};
};

void PrintTo(const StoreCase &c, std::ostream *out)
{
    *out << c.name;
}

std::string Garbage(std::size_t size)
{
    std::mt19937 random(11);
    std::string bytes(size, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

const char kSoundColours[] = "[General]\nColorIdentical=1\nColorDifferent=2\nColorInserted=3\n";

fs::path Written(const fs::path &path, const std::string &bytes, mode_t mode = 0644)
{
    WriteFile(path, bytes);
    chmod(path.c_str(), mode);
    return path;
}

const StoreCase kStoreCases[] = {
    {"Missing", [](const fs::path &folder) { return folder / "settings.ini"; }, AfterClose::Saved},
    {"Empty", [](const fs::path &folder) { return Written(folder / "settings.ini", ""); }, AfterClose::Saved},
    {"Damaged",
     [](const fs::path &folder) {
         return Written(folder / "settings.ini", "[General\nColorIdentical\nFilePath1=@Variant(\\0\\0\\0\\x7f)\n=\n"
                                                 "[\nWindowPos=@Variant(\\0\\0\\0\\x7f)\nColorInserted=\"open\n");
     },
     AfterClose::Saved},
    {"FolderInItsPlace",
     [](const fs::path &folder) {
         fs::create_directories(folder / "settings.ini" / "inside");
         return folder / "settings.ini";
     },
     AfterClose::Kept},
    {"APipeInItsPlace",
     [](const fs::path &folder) {
         mkfifo((folder / "settings.ini").c_str(), 0644);
         return folder / "settings.ini";
     },
     AfterClose::Kept},
    {"TenMegabytesOfGarbage",
     [](const fs::path &folder) { return Written(folder / "settings.ini", Garbage(10 << 20)); },
     AfterClose::Saved},
    {"Unreadable", [](const fs::path &folder) { return Written(folder / "settings.ini", kSoundColours, 0); },
     AfterClose::Kept, true},
    {"Unwritable", [](const fs::path &folder) { return Written(folder / "settings.ini", kSoundColours, 0444); },
     AfterClose::Kept, true, {1, 2, 3}},
    {"FolderUnwritable",
     [](const fs::path &folder) {
         fs::create_directories(folder / "locked");
         chmod((folder / "locked").c_str(), 0555);
         return folder / "locked" / "settings.ini";
     },
     AfterClose::Kept, true},
};

// What a user-level run of one case is told, through its environment.
constexpr char kCaseVariable[] = "LINDO_FAULT_CASE";
constexpr char kFolderVariable[] = "LINDO_FAULT_FOLDER";
constexpr char kSettingsVariable[] = "LINDO_FAULT_SETTINGS";
constexpr int kCannotStart = 77;
constexpr char kRanMark[] = "ran-as-user";

// The main window over the settings file at `settings`, opened, used and closed.
class StoreFaults : public MainWindowTest {
protected:
    // What went wrong, empty when nothing did. `folder` holds the settings file.
    std::string OpenAndClose(const StoreCase &c, const fs::path &folder, const fs::path &settings)
    {
        setenv(settings::kStoreFileVariable, settings.c_str(), 1);
        std::string problems;
        const FolderRecord before = RecordFolder(folder);
        CCompareDialog &w = Open();
        const DiffEngine &engine = w.Engine();
        if (engine.colorIdentical != c.colours[0] || engine.colorDifferent != c.colours[1]
            || engine.colorInserted != c.colours[2])
            problems += "colours not as expected\n";
        if (w.FirstPathBox()->count() != 0 || w.SecondPathBox()->count() != 0)
            problems += "histories not empty\n";
        if (engine.exceptionStrings.size() != 11)
            problems += "not the default exception strings\n";
        CompareFiles("one.txt", "two.txt");
        w.close();
        for (const PromptRequest &request : prompter.requests)
            problems += "asked: " + request.text.toStdString() + "\n";

        if (c.after == AfterClose::Kept) {
            problems += RecordChanges(before, RecordFolder(folder));
        } else {
            const SettingsStore store;
            if (store.ReadList(settings::kFilePath1) != QStringList{QPath("one.txt")})
                problems += "history not saved\n";
            if (store.ReadNumber(settings::kColorDifferent) != 170)
                problems += "colours not saved\n";
        }
        return problems;
    }

    // Runs this program again in a new process as the "nobody" user, on the
    // one case; its exit status 0 when the case passed there. A forked copy
    // of a window process cannot be used: the painting threads stay behind.
    static int RunCaseAsUser(const StoreCase &c, const fs::path &folder, const fs::path &settings)
    {
        const std::string filter = "--gtest_filter=StoreFaultAsUser.RunsTheCaseItIsGiven";
        const std::string caseSetting = std::string(kCaseVariable) + "=" + c.name;
        const std::string folderSetting = std::string(kFolderVariable) + "=" + folder.string();
        const std::string settingsSetting = std::string(kSettingsVariable) + "=" + settings.string();
        std::vector<char *> environment;
        for (char **variable = environ; *variable; ++variable)
            environment.push_back(*variable);
        environment.push_back(const_cast<char *>(caseSetting.c_str()));
        environment.push_back(const_cast<char *>(folderSetting.c_str()));
        environment.push_back(const_cast<char *>(settingsSetting.c_str()));
        environment.push_back(nullptr);
        char *arguments[] = {const_cast<char *>("test"), const_cast<char *>(filter.c_str()), nullptr};
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            constexpr uid_t kNobody = 65534;
            if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0)
                execve("/proc/self/exe", arguments, environment.data());
            _exit(kCannotStart);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

class StoreFaultsTable : public StoreFaults, public testing::WithParamInterface<StoreCase> {};

TEST_P(StoreFaultsTable, StartsWithDefaultsShowsNothingAndSavesOrKeepsTheFile)
{
    const StoreCase &c = GetParam();
    TempDir folder;
    const fs::path settings = c.make(folder.path());
    if (!c.asUser || geteuid() != 0) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(OpenAndClose(c, folder.path(), settings), "");
        // Even a huge damaged file must not hold up the start noticeably.
        EXPECT_LT(clock.elapsed(), 20000);
        return;
    }
    OpenToEveryone(folder.path());
    const int status = RunCaseAsUser(c, folder.path(), settings);
    if (status == kCannotStart)
        GTEST_SKIP() << "this test program cannot be run by an ordinary user here";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::exists(folder / kRanMark));
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, StoreFaultsTable, testing::ValuesIn(kStoreCases),
                         [](const testing::TestParamInfo<StoreCase> &info) { return std::string(info.param.name); });

// The user-level half of the cases above; does nothing unless started by them.
using StoreFaultAsUser = StoreFaults;

TEST_F(StoreFaultAsUser, RunsTheCaseItIsGiven)
{
    const char *name = std::getenv(kCaseVariable);
    const char *folder = std::getenv(kFolderVariable);
    const char *settings = std::getenv(kSettingsVariable);
    if (!name || !folder || !settings)
        GTEST_SKIP() << "run by the settings-file cases only";
    for (const StoreCase &c : kStoreCases) {
        if (std::string(c.name) == name) {
            EXPECT_EQ(OpenAndClose(c, folder, settings), "");
            WriteFile(fs::path(folder) / kRanMark, ""); // tells the caller the case did run
        }
    }
}

} // namespace
} // namespace lindo::test
