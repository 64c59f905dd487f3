#include "cli/foldercommand.h"

#include "cli/usage.h"
#include "engine/diffengine.h"
#include "engine/fileerror.h"
#include "folderscan/folderpath.h"
#include "folderscan/folderrowlist.h"
#include "folderscan/folderscan.h"
#include "settingsstore/enginesettings.h"
#include "settingsstore/freshsetting.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

namespace lindo {

namespace {

// A path as one line: as it is, or, when it holds a byte that would break
// the line or make the quoting ambiguous, in double quotes with C escapes
// (the way git quotes paths). Bytes above 127 stay as they are.
std::string QuotedPath(const std::string &path)
{
    const auto needsEscape = [](unsigned char c) { return c < 0x20 || c == 0x7f || c == '"' || c == '\\'; };
    if (std::none_of(path.begin(), path.end(), needsEscape))
        return path;
    std::string quoted = "\"";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 7 && byte <= 13) {
            quoted += '\\';
            quoted += "abtnvfr"[byte - 7];
        } else if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (needsEscape(byte)) {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", byte);
            quoted += octal;
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

class PrintingHost final : public FolderScanHost {
public:
    PrintingHost(const std::string &folder1, const std::string &folder2, const DiffEngine &engine)
        : m_folders{folder1, folder2}
        , m_rows(engine)
    {
    }

    bool PumpMessages() override { return false; }
    std::string FolderPath(int side) override { return m_folders[side == 1 ? 0 : 1]; }

    // Nothing in this process changes the setting during a run, and a
    // change another process makes cannot be told from one made a moment
    // later: the settings file is looked at once a millisecond at most
    // rather than at each of tens of thousands of identical pairs.
    int ReadFoldersShowSame() override
    {
        const auto now = std::chrono::steady_clock::now();
        if (!m_showSameAt || now - *m_showSameAt >= std::chrono::milliseconds(1)) {
            m_showSameValue = m_showSame.Read();
            m_showSameAt = now;
        }
        return m_showSameValue;
    }

    void OfferRow(const std::string &relativePath, FolderState state) override
    {
        const std::string unreadable = std::move(m_unreadable);
        m_unreadable.clear();
        if (m_rows.AddRow(relativePath, state) < 0)
            return;
        std::cout << FolderStateText(state) << '\t' << QuotedPath(relativePath) << '\n';
        if (state != FolderSame)
            m_differs = true;
        // A path that could not be read is named on the error stream too, and
        // makes the run fail: its files may differ or not, nobody knows.
        if (!unreadable.empty()) {
            std::cerr << unreadable << '\n';
            m_trouble = true;
        }
    }

    void ReportUnreadable(std::string_view, const std::string &fullPath, int error) override
    {
        m_unreadable = FileErrorMessage(CauseFromErrno(error), fullPath);
    }

    void ReportNotFollowed(std::string_view, const std::string &fullPath, NotFollowed why) override
    {
        m_unreadable = AbsolutePathText(fullPath)
                       + (why == NotFollowed::BackUp
                              ? " is a link that was not followed: it leads back up to a compared folder or one that holds it."
                              : " is a link that was not followed: the folder it leads to is compared by another way.");
    }

    // Nothing runs between the steps that could change the files.
    bool PumpMayChangeFiles() override { return false; }

    void ShowStatus(std::string_view) override {}

    // Whether a listed row shows a difference or a file one folder alone has.
    bool Differs() const { return m_differs; }
    // Whether a listed row names a path that could not be read.
    bool HadTrouble() const { return m_trouble; }

private:
    std::string m_folders[2];
    bool m_differs = false;
    bool m_trouble = false;
    std::string m_unreadable; // the message for the row about to be offered
    FolderRowList m_rows;
    std::optional<std::chrono::steady_clock::time_point> m_showSameAt; // when it was last read
    int m_showSameValue = 0;
    FreshSettingNumber m_showSame{QString::fromLatin1(settings::kFoldersShowSame), settings::kDefaultFoldersShowSame};
};

// One run's engine (for the exception strings), host and scan.
struct FolderRun {
    FolderRun(const std::string &folder1, const std::string &folder2)
        : host(folder1, folder2, engine)
        , scan(host)
    {
    }
    DiffEngine engine;
    PrintingHost host;
    FolderScan scan;
};

// A folder that cannot be listed would only make every file of the other
// side show as present there alone; the command says so instead.
bool ReportUnreadableFolder(const std::string &folder)
{
    const std::string search = SearchFolder(folder);
    DIR *dir = opendir(search.empty() ? "/" : search.c_str());
    if (dir) {
        closedir(dir);
        return false;
    }
    std::cerr << FileErrorMessage(CauseFromErrno(errno), folder) << '\n';
    return true;
}

} // namespace

int RunFolderCommand(const std::string &folder1, const std::string &folder2, bool useExceptionStrings)
{
    if (ReportUnreadableFolder(folder1) || ReportUnreadableFolder(folder2))
        return kExitFailure;
    // Left to the process's end to free, as the merge leaves its engine:
    // taking two trees' listings apart entry by entry costs a few per cent of
    // a run over many small files, and the exit frees them anyway. The
    // static pointer keeps them reachable, so leak checkers stay quiet.
    static FolderRun *kept = nullptr;
    delete kept; // a run before it in this process is over
    kept = new FolderRun(folder1, folder2);
    DiffEngine &engine = kept->engine;
    // The exception strings and their switch as the window takes them.
    LoadExceptionStrings(engine, SettingsStore());
    if (!useExceptionStrings)
        engine.exceptionStringsEnabled = 0;
    PrintingHost &host = kept->host;
    kept->scan.Run(folder1, folder2);
    // A listing cut short by a full disk or a closed pipe must not pass for
    // a complete one.
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "lindo: cannot write the listing to standard output\n";
        return kExitFailure;
    }
    if (host.HadTrouble())
        return kExitFailure;
    return host.Differs() ? kExitDifferent : kExitOk;
}

} // namespace lindo
