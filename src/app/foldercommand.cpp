#include "app/foldercommand.h"

#include "engine/diffengine.h"
#include "engine/fileerror.h"
#include "folderscan/folderpath.h"
#include "folderscan/folderrowlist.h"
#include "folderscan/folderscan.h"
#include "settingsstore/freshsetting.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"

#include <dirent.h>

#include <cerrno>
#include <iostream>

namespace lindo {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;

class PrintingHost final : public FolderScanHost {
public:
    PrintingHost(const std::string &folder1, const std::string &folder2, const DiffEngine &engine)
        : m_folders{folder1, folder2}
        , m_rows(engine)
    {
    }

    bool PumpMessages() override { return false; }
    std::string FolderPath(int side) override { return m_folders[side == 1 ? 0 : 1]; }

    int ReadFoldersShowSame() override { return m_showSame.Read(); }

    void OfferRow(const std::string &relativePath, FolderState state) override
    {
        if (m_rows.AddRow(relativePath, state) >= 0)
            std::cout << FolderStateText(state) << '\t' << relativePath << '\n';
    }

    void ShowStatus(std::string_view) override {}

private:
    std::string m_folders[2];
    FolderRowList m_rows;
    FreshSettingNumber m_showSame{QString::fromLatin1(settings::kFoldersShowSame), settings::kDefaultFoldersShowSame};
};

// The exception strings and their switch, as the main window and the
// Settings sheet put them into the engine.
void LoadExceptionStrings(DiffEngine &engine)
{
    const SettingsStore store;
    const auto text = store.ReadText(settings::kFoldersExceptionStrings);
    engine.SetExceptionStrings(text ? text->toLocal8Bit().toStdString()
                                    : std::string(settings::kDefaultFoldersExceptionStrings));
    engine.exceptionStringsEnabled =
        store.ReadNumber(settings::kFoldersExStrEnabled).value_or(settings::kDefaultFoldersExStrEnabled);
}

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

int RunFolderCommand(const std::string &folder1, const std::string &folder2)
{
    if (ReportUnreadableFolder(folder1) || ReportUnreadableFolder(folder2))
        return kExitFailure;
    DiffEngine engine;
    LoadExceptionStrings(engine);
    PrintingHost host(folder1, folder2, engine);
    FolderScan scan(host);
    scan.Run(folder1, folder2);
    std::cout.flush();
    return kExitOk;
}

} // namespace lindo
