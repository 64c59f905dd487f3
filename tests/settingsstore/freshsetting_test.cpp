// A number read afresh whenever the settings file changed: every change made
// through a store (of this or another process) shows at the very next read.

#include "settingsstore/freshsetting.h"
#include "settingsstore/settingsstore.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace lindo::test {
namespace {

TEST(FreshSettingNumber, SeesEveryChangeAtTheNextRead)
{
    TempDir dir;
    const std::string file = (dir / "settings.ini").string();
    setenv("LINDO_SETTINGS_FILE", file.c_str(), 1);
    FreshSettingNumber showSame("FoldersShowSame", 0);
    EXPECT_EQ(showSame.Read(), 0); // no file: the fallback

    const SettingsStore other;
    other.WriteNumber("FoldersShowSame", 1);
    EXPECT_EQ(showSame.Read(), 1);
    EXPECT_EQ(showSame.Read(), 1);
    for (int value : {0, 1, 0, 7}) { // changes in quick succession
        other.WriteNumber("FoldersShowSame", value);
        EXPECT_EQ(showSame.Read(), value);
    }
    other.WriteText("MergePath", "/elsewhere"); // another value changes nothing of this one
    EXPECT_EQ(showSame.Read(), 7);

    // Rewritten in place by hand, not replaced: seen through its size and times.
    WriteFile(file, "[General]\nFoldersShowSame=12\n");
    EXPECT_EQ(showSame.Read(), 12);

    std::filesystem::remove(file);
    EXPECT_EQ(showSame.Read(), 0);
    EXPECT_EQ(showSame.Read(), 0);
    other.WriteNumber("FoldersShowSame", 5); // created again
    EXPECT_EQ(showSame.Read(), 5);

    // Another file named by the environment is another store.
    const std::string second = (dir / "second.ini").string();
    SettingsStore(QString::fromStdString(second)).WriteNumber("FoldersShowSame", 3);
    setenv("LINDO_SETTINGS_FILE", second.c_str(), 1);
    EXPECT_EQ(showSame.Read(), 3);
    unsetenv("LINDO_SETTINGS_FILE");
}

// While the file is missing, only the nearest folder of its path that exists
// is looked at; a file made below it, folders on the way included, still
// shows at the next read once that folder's times had settled.
TEST(FreshSettingNumber, SeesAFileMadeWhereNoneWas)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "config");
    const std::string file = (dir / "config" / "lindo" / "settings.ini").string();
    setenv("LINDO_SETTINGS_FILE", file.c_str(), 1);
    FreshSettingNumber showSame("FoldersShowSame", 4);
    EXPECT_EQ(showSame.Read(), 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(2100)); // the folder's times settle
    EXPECT_EQ(showSame.Read(), 4);
    EXPECT_EQ(showSame.Read(), 4);
    SettingsStore().WriteNumber("FoldersShowSame", 9);
    EXPECT_EQ(showSame.Read(), 9);
    unsetenv("LINDO_SETTINGS_FILE");
}

// Without a file named by the environment, the store is in the configuration
// folder, which follows XDG_CONFIG_HOME from read to read.
TEST(FreshSettingNumber, FollowsTheConfigurationFolder)
{
    TempDir dir;
    unsetenv("LINDO_SETTINGS_FILE");
    const char *before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    FreshSettingNumber showSame("FoldersShowSame", 0);
    for (const int value : {2, 3}) {
        const std::string folder = (dir / std::to_string(value)).string();
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        SettingsStore().WriteNumber("FoldersShowSame", value);
        EXPECT_EQ(showSame.Read(), value);
    }
    if (before)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace lindo::test
