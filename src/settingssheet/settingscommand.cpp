#include "settingssheet/settingscommand.h"

#include "engine/diffengine.h"
#include "settingssheet/colourspage.h"
#include "settingssheet/comparepage.h"
#include "settingssheet/folderspage.h"
#include "settingssheet/generalpage.h"
#include "settingssheet/mergepage.h"
#include "settingssheet/settingscommandhost.h"
#include "settingssheet/settingssheet.h"
#include "settingsstore/enginesettings.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"

namespace lindo {

namespace {

void ShowCompareOptions(CComparePage &page, const DiffEngine &engine)
{
    page.m_bShowLineChanges = engine.showLineChanges != 0;
    page.m_bIgnoreSpaceChange = engine.keyOptions.ignoreSpaceChange;
    page.m_bIgnoreAllSpace = engine.keyOptions.ignoreAllSpace;
    page.m_bIgnoreCase = engine.keyOptions.ignoreCase;
    page.m_strFallbackEncoding = QString::fromStdString(EncodingLabel({engine.fallbackEncoding, false}));
}

LineKeyOptions KeyOptionsOf(const CComparePage &page)
{
    return {page.m_bIgnoreSpaceChange, page.m_bIgnoreAllSpace, page.m_bIgnoreCase};
}

} // namespace

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
    LoadExceptionStringsEnabled(engine, store);
    folders.m_bUseExceptions = engine.exceptionStringsEnabled != 0;
    sheet.AddPage(&folders);

    CColoursPage colours;
    colours.m_crIdentical = engine.colorIdentical;
    colours.m_crDifferent = engine.colorDifferent;
    colours.m_crInserted = engine.colorInserted;
    sheet.AddPage(&colours);

    CComparePage compare;
    ShowCompareOptions(compare, engine);
    sheet.AddPage(&compare);

    // On confirmation the Folders page has already put its list into the engine.
    if (sheet.exec() != QDialog::Accepted)
        return false;

    engine.showSelections = general.m_bShowSelections ? 1 : 0;
    engine.autoSelect = general.m_bAutoSelect ? 1 : 0;
    host.EnsureMergeFolder(merge.m_strPath);
    store.WriteNumber(settings::kFoldersShowSame, folders.m_bShowSame ? 1 : 0);
    TakeExceptionStringsEnabled(engine, folders.m_bUseExceptions, store);
    engine.colorIdentical = colours.m_crIdentical;
    engine.colorDifferent = colours.m_crDifferent;
    engine.colorInserted = colours.m_crInserted;
    const bool matchingChanged =
        TakeCompareOptions(engine, compare.m_bShowLineChanges, KeyOptionsOf(compare), store)
        | TakeFallbackEncoding(engine, compare.m_strFallbackEncoding.toStdString(), store);
    host.RepaintPanes();
    if (matchingChanged)
        host.CompareAgain();
    return true;
}

} // namespace lindo
