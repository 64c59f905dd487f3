// A real `git mergetool` run with lindo as the tool, on a display of its own:
// the Three-way Merge window opens on git's files, keys resolve the conflict,
// and git takes the exit status as it is told to trust it.

#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

// Every step has a time limit, so nothing here can hang the suite.
constexpr int kMergetoolSeconds = 60;
constexpr int kWindowSeconds = 30;

bool Have(const char *program)
{
    return RunCommand(std::string("command -v ") + program).exitCode == 0;
}

// An X server on a display number it picks itself, ended with the test.
class OwnDisplay {
public:
    explicit OwnDisplay(const fs::path &folder)
    {
        const fs::path number = folder / "display";
        const RunResult started = RunCommand("(Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"
                                             + ShellQuote(number.string()) + " >/dev/null 2>&1 & echo $!)");
        m_pid = started.out.substr(0, started.out.find('\n'));
        for (int tries = 0; tries < 100 && m_display.empty(); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const std::string text = ReadFile(number);
            if (!text.empty() && text.back() == '\n')
                m_display = ":" + text.substr(0, text.size() - 1);
        }
    }
    ~OwnDisplay()
    {
        if (!m_pid.empty())
            RunCommand("kill " + m_pid);
    }
    const std::string &Name() const { return m_display; }

private:
    std::string m_pid;
    std::string m_display;
};

class MergetoolTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!Have("Xvfb") || !Have("xdotool") || !Have("git"))
            GTEST_SKIP() << "needs Xvfb, xdotool and git";
        m_display = std::make_unique<OwnDisplay>(dir.path());
        ASSERT_FALSE(m_display->Name().empty()) << "Xvfb did not start";
        fs::create_directories(Repo());
        ASSERT_EQ(Git("init -q -b main && git config user.email t@example.com && git config user.name T"
                      " && git config mergetool.lindo.cmd "
                      + ShellQuote(ShellQuote(LINDO_BINARY) + " \"$LOCAL\" \"$BASE\" \"$REMOTE\" -o \"$MERGED\"")
                      + " && git config mergetool.lindo.trustExitCode true"
                        " && git config mergetool.keepBackup false"),
                  0);
    }

    int Git(const std::string &arguments)
    {
        return RunCommand("(cd " + ShellQuote(Repo().string()) + " && git " + arguments + ")").exitCode;
    }
    fs::path Repo() { return dir / "repo"; }

    // Both branches change the same line of a file, and each another line.
    void MakeConflict()
    {
        WriteFile(Repo() / "notes.txt", "one\ntwo\nthree\nfour\nfive\n");
        ASSERT_EQ(Git("add notes.txt && git commit -qm base && git checkout -qb other"), 0);
        WriteFile(Repo() / "notes.txt", "one\ntwo\nthree (other)\nfour\nFIVE\n");
        ASSERT_EQ(Git("commit -qam other && git checkout -q main"), 0);
        WriteFile(Repo() / "notes.txt", "ONE\ntwo\nthree (main)\nfour\nfive\n");
        ASSERT_EQ(Git("commit -qam main"), 0);
        ASSERT_NE(Git("merge -q other"), 0) << "the merge should conflict";
    }

    // Runs `git mergetool` in the background, waits for the window on the
    // conflicted file, sends it keys, and gives the tool's exit status.
    int RunMergetool(const std::string &keys)
    {
        const std::string display = "DISPLAY=" + m_display->Name() + " ";
        const fs::path status = dir / "status";
        fs::remove(status);
        RunCommand("(cd " + ShellQuote(Repo().string()) + " && " + display + "QT_QPA_PLATFORM=xcb LINDO_SETTINGS_FILE="
                   + ShellQuote((dir / "settings.ini").string()) + " timeout " + std::to_string(kMergetoolSeconds)
                   + " git mergetool --tool=lindo </dev/null >" + ShellQuote((dir / "log").string())
                   + " 2>&1; echo $? >" + ShellQuote(status.string()) + ") >/dev/null 2>&1 &");
        const RunResult window = RunCommand(display + "timeout " + std::to_string(kWindowSeconds)
                                            + " xdotool search --sync --name 'Three-way Merge - .*notes.txt'");
        EXPECT_EQ(window.exitCode, 0) << "no window on notes.txt: " << ReadFile(dir / "log");
        if (window.exitCode == 0) {
            const std::string id = window.out.substr(0, window.out.find('\n'));
            RunCommand(display + "timeout " + std::to_string(kWindowSeconds) + " xdotool windowfocus --sync " + id + " sleep 0.5 key --delay 100 " + keys);
        }
        for (int tries = 0; tries < 10 * kMergetoolSeconds && !fs::exists(status); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string code = ReadFile(status);
        return code.empty() ? -1 : std::stoi(code);
    }

    std::string Unmerged()
    {
        return RunCommand("cd " + ShellQuote(Repo().string()) + " && git diff --name-only --diff-filter=U").out;
    }

    TempDir dir;

private:
    std::unique_ptr<OwnDisplay> m_display;
};

TEST_F(MergetoolTest, ResolvedAndSavedIsResolvedAndClosedUnsavedIsNot)
{
    MakeConflict();
    ASSERT_EQ(Unmerged(), "notes.txt\n");

    // Closed at once, nothing saved: git keeps the file unresolved.
    EXPECT_EQ(RunMergetool("Escape"), 1) << ReadFile(dir / "log");
    EXPECT_EQ(Unmerged(), "notes.txt\n");

    // FILE2's side of the conflict, saved: resolved, with both sides' other changes.
    EXPECT_EQ(RunMergetool("ctrl+2 ctrl+s Escape"), 0) << ReadFile(dir / "log");
    EXPECT_EQ(Unmerged(), "");
    EXPECT_EQ(ReadFile(Repo() / "notes.txt"), "ONE\ntwo\nthree (other)\nfour\nFIVE\n");
}

TEST(ThreeWayCommandLine, AFileThatCannotBeReadIsNamedAndEndsWithStatus2)
{
    TempDir dir;
    WriteFile(dir / "one", "a\n");
    WriteFile(dir / "two", "b\n");
    const std::string missing = (dir / "base").string();
    // Without -o, so nothing would be written anyway; the git set-up passes it.
    const RunResult run = RunCommand(ShellQuote(LINDO_BINARY) + " " + ShellQuote((dir / "one").string()) + " "
                                     + ShellQuote(missing) + " " + ShellQuote((dir / "two").string()));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;
}

} // namespace
} // namespace lindo::test
