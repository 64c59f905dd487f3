#include "settingssheet/settingscommand.h"

#include "engine/diffengine.h"
#include "settingssheet/colourspage.h"
#include "settingssheet/comparepage.h"
#include "settingssheet/folderspage.h"
#include "settingssheet/generalpage.h"
#include "settingssheet/mergepage.h"
#include "settingssheet/settingscommandhost.h"
#include "settingssheet/settingssheet.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"

namespace lindo {

namespace {

// One switch of the Compare page with the engine option and the stored value
// it stands for.
struct CompareSwitch {
    bool CComparePage::*field;
    std::int32_t DiffEngine::*option;
    const char *name;
    bool matchesLines; // it decides which lines are equal, so a change calls for a new comparison
};

constexpr CompareSwitch kCompareSwitches[] = {
    {&CComparePage::m_bShowLineChanges, &DiffEngine::showLineChanges, settings::kShowLineChanges,
     false},
    {&CComparePage::m_bIgnoreSpaceChange, &DiffEngine::ignoreSpaceChange,
     settings::kIgnoreSpaceChange, true},
    {&CComparePage::m_bIgnoreAllSpace, &DiffEngine::ignoreAllSpace, settings::kIgnoreAllSpace,
     true},
    {&CComparePage::m_bIgnoreCase, &DiffEngine::ignoreCase, settings::kIgnoreCase, true},
};

// Hands the page's switches to the engine and the store; true when one that
// decides which lines are equal changed. A value is written only when it
// differs from the stored one (absent reads as off), so a run that never
// turns these options on leaves the store as it was.
bool TakeCompareSwitches(const CComparePage &page, DiffEngine &engine, const SettingsStore &store)
{
    bool matchingChanged = false;
    for (const CompareSwitch &option : kCompareSwitches) {
        const bool on = page.*option.field;
        const bool changed = (engine.*option.option != 0) != on;
        matchingChanged = matchingChanged || (option.matchesLines && changed);
        engine.*option.option = on ? 1 : 0;
        if ((store.ReadNumber(option.name).value_or(0) != 0) != on)
            store.WriteNumber(option.name, on ? 1 : 0);
    }
    return matchingChanged;
}

} // namespace

void LoadCompareOptions(DiffEngine &engine)
{
    const SettingsStore store;
    for (const CompareSwitch &option : kCompareSwitches)
        engine.*option.option = store.ReadNumber(option.name).value_or(0) != 0 ? 1 : 0;
}

bool RunSettingsCommand(SettingsCommandHost &host)
{
    DiffEngine &engine = host.Engine();
    const SettingsStore store;

    CSettingsSheet sheet(settingssheet::kCaption, host.Window(), 0);

    CGeneralPage general;
    general.m_bShowSelections = engine.showSelections != 0;
    general.m_bAutoSelect = engine.autoSelect != 0;
    sheet.AddPage(&general);

    CMergePage merge;
    merge.m_strPath = host.GetMergeDirectory();
    sheet.AddPage(&merge);

    // The stored switch reaches the engine now, whether or not the sheet is confirmed.
    CFoldersPage folders;
    folders.m_bShowSame = host.ReadFoldersShowSame() != 0;
    engine.exceptionStringsEnabled = store.ReadNumber(settings::kFoldersExStrEnabled)
                                         .value_or(settings::kDefaultFoldersExStrEnabled);
    folders.m_bUseExceptions = engine.exceptionStringsEnabled != 0;
    sheet.AddPage(&folders);

    CColoursPage colours;
    colours.m_crIdentical = engine.colorIdentical;
    colours.m_crDifferent = engine.colorDifferent;
    colours.m_crInserted = engine.colorInserted;
    sheet.AddPage(&colours);

    CComparePage compare;
    for (const CompareSwitch &option : kCompareSwitches)
        compare.*option.field = engine.*option.option != 0;
    sheet.AddPage(&compare);

    // On confirmation the Folders page has already put its list into the engine.
    if (sheet.exec() != QDialog::Accepted)
        return false;

    engine.showSelections = general.m_bShowSelections ? 1 : 0;
    engine.autoSelect = general.m_bAutoSelect ? 1 : 0;
    host.EnsureMergeFolder(merge.m_strPath);
    store.WriteNumber(settings::kFoldersShowSame, folders.m_bShowSame ? 1 : 0);
    store.WriteNumber(settings::kFoldersExStrEnabled, folders.m_bUseExceptions ? 1 : 0);
    engine.exceptionStringsEnabled = folders.m_bUseExceptions ? 1 : 0;
    engine.colorIdentical = colours.m_crIdentical;
    engine.colorDifferent = colours.m_crDifferent;
    engine.colorInserted = colours.m_crInserted;
    const bool matchingChanged = TakeCompareSwitches(compare, engine, store);
    host.RepaintPanes();
    if (matchingChanged)
        host.CompareAgain();
    return true;
}

} // namespace lindo
