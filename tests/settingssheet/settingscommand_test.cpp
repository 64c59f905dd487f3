// The main window's Settings command: what it puts into the sheet, and what
// it stores and applies, in which order, when the user confirms or cancels.

#include "settingssheet/settingscommand.h"

#include "fakesettingshost.h"
#include "settingssheet/colourspage.h"
#include "settingssheet/folderspage.h"
#include "settingssheet/generalpage.h"
#include "settingssheet/mergepage.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "sheetdriver.h"
#include "support/fakechoosers.h"
#include "support/qtprinters.h"
#include "uikit/controlid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace lindo::test {
namespace {

using Strings = std::vector<std::string>;

constexpr Colour kIdentical = MakeColour(10, 20, 30);
constexpr Colour kDifferent = MakeColour(40, 50, 60);
constexpr Colour kInserted = MakeColour(70, 80, 90);

class SettingsCommandTest : public testing::Test {
protected:
    SettingsCommandTest()
    {
        host.engine.exceptionStrings = {"\\Debug\\", ".obj"};
        host.engine.colorIdentical = kIdentical;
        host.engine.colorDifferent = kDifferent;
        host.engine.colorInserted = kInserted;
        host.mergeDirectory = "/merge/here";
    }

    QCheckBox *Check(CSettingsSheet &sheet, int page, int id)
    {
        return FindControl<QCheckBox>(sheet.GetPage(page), id);
    }
    QTreeWidget *ExceptionList(CSettingsSheet &sheet)
    {
        return FindControl<QTreeWidget>(sheet.GetPage(2), folderspage::kIdExceptions);
    }
    std::optional<std::int32_t> Stored(const char *name) { return store.ReadNumber(name); }

    ScopedSettingsFile file;
    SettingsStore store;
    FakeChoosers choosers;
    FakeSettingsHost host;
};

TEST_F(SettingsCommandTest, SheetOpensOnTheGeneralPageFilledFromTheEngineAndTheStore)
{
    store.WriteNumber(settings::kFoldersShowSame, 1);
    store.WriteNumber(settings::kFoldersExStrEnabled, 0);
    host.engine.showSelections = 0;
    host.engine.autoSelect = 1;

    const bool confirmed = RunSettings(host, [&](CSettingsSheet &sheet) {
        EXPECT_EQ(sheet.windowTitle(), "Settings");
        EXPECT_TRUE(sheet.isModal());
        EXPECT_EQ(sheet.parentWidget(), &host.window);
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        EXPECT_FALSE(Check(sheet, 0, generalpage::kIdShowSelections)->isChecked());
        EXPECT_TRUE(Check(sheet, 0, generalpage::kIdAutoSelect)->isChecked());
        ShowPage(sheet, 1);
        EXPECT_EQ(FindControl<QLineEdit>(sheet.GetPage(1), mergepage::kIdPath)->text(),
                  "/merge/here");
        ShowPage(sheet, 2);
        EXPECT_TRUE(Check(sheet, 2, folderspage::kIdShowSame)->isChecked());
        EXPECT_FALSE(Check(sheet, 2, folderspage::kIdUseExceptions)->isChecked());
        EXPECT_EQ(ExceptionList(sheet)->topLevelItemCount(), 2);
        auto *coloursPage = static_cast<CColoursPage *>(sheet.GetPage(3));
        EXPECT_EQ(coloursPage->m_crIdentical, kIdentical);
        EXPECT_EQ(coloursPage->m_crDifferent, kDifferent);
        EXPECT_EQ(coloursPage->m_crInserted, kInserted);
        ClickCancel(sheet);
    });
    EXPECT_FALSE(confirmed);
}

TEST_F(SettingsCommandTest, OkWithoutVisitingPagesHandsEveryValueBackUnchanged)
{
    store.WriteNumber(settings::kFoldersShowSame, 1);
    host.engine.showSelections = 0;
    host.engine.autoSelect = 1;

    EXPECT_TRUE(RunSettings(host, [&](CSettingsSheet &sheet) { ClickOk(sheet); }));

    EXPECT_EQ(host.engine.showSelections, 0);
    EXPECT_EQ(host.engine.autoSelect, 1);
    ASSERT_NE(host.FindCall("EnsureMergeFolder"), nullptr);
    EXPECT_EQ(host.FindCall("EnsureMergeFolder")->argument, "/merge/here")
        << "the merge folder is ensured even when unchanged";
    EXPECT_EQ(Stored(settings::kFoldersShowSame), 1);
    EXPECT_EQ(Stored(settings::kFoldersExStrEnabled), 1) << "absent reads as 1 and is written back";
    EXPECT_EQ(host.engine.exceptionStringsEnabled, 1);
    EXPECT_EQ(host.engine.exceptionStrings, (Strings{"\\Debug\\", ".obj"}));
    EXPECT_EQ(host.engine.colorIdentical, kIdentical);
    EXPECT_EQ(host.engine.colorDifferent, kDifferent);
    EXPECT_EQ(host.engine.colorInserted, kInserted);
}

TEST_F(SettingsCommandTest, EmptyMergeDirectoryIsEnsuredToo)
{
    host.mergeDirectory.clear();
    EXPECT_TRUE(RunSettings(host, [&](CSettingsSheet &sheet) { ClickOk(sheet); }));
    ASSERT_NE(host.FindCall("EnsureMergeFolder"), nullptr);
    EXPECT_EQ(host.FindCall("EnsureMergeFolder")->argument, "");
}

TEST_F(SettingsCommandTest, CancelAfterChangesKeepsEverythingButTheStoredSwitchInTheEngine)
{
    store.WriteNumber(settings::kFoldersExStrEnabled, 0);
    store.WriteNumber(settings::kFoldersShowSame, 0);
    host.engine.exceptionStringsEnabled = 1;

    const bool confirmed = RunSettings(host, [&](CSettingsSheet &sheet) {
        EXPECT_EQ(host.engine.exceptionStringsEnabled, 0)
            << "the stored switch reaches the engine on opening";
        QTest::mouseClick(Check(sheet, 0, generalpage::kIdShowSelections), Qt::LeftButton);
        QTest::mouseClick(Check(sheet, 0, generalpage::kIdAutoSelect), Qt::LeftButton);
        ShowPage(sheet, 1);
        FindControl<QLineEdit>(sheet.GetPage(1), mergepage::kIdPath)->setText("/elsewhere");
        ShowPage(sheet, 2);
        QTest::mouseClick(Check(sheet, 2, folderspage::kIdShowSame), Qt::LeftButton);
        QTest::mouseClick(Check(sheet, 2, folderspage::kIdUseExceptions), Qt::LeftButton);
        ExceptionList(sheet)->topLevelItem(0)->setSelected(true);
        ClickButton(*sheet.GetPage(2), folderspage::kIdRemove);
        ShowPage(sheet, 3);
        ClickButton(*sheet.GetPage(3), colourspage::kIdRestoreDefaults);
        choosers.colourAnswers.push_back(QColor(1, 1, 1));
        ClickButton(*sheet.GetPage(3), colourspage::kIdChangeInserted);
        ClickCancel(sheet);
    });

    EXPECT_FALSE(confirmed);
    EXPECT_EQ(host.engine.showSelections, 1);
    EXPECT_EQ(host.engine.autoSelect, 1);
    EXPECT_EQ(host.FindCall("EnsureMergeFolder"), nullptr);
    EXPECT_EQ(host.mergeDirectory, "/merge/here");
    EXPECT_EQ(Stored(settings::kFoldersShowSame), 0);
    EXPECT_EQ(Stored(settings::kFoldersExStrEnabled), 0);
    EXPECT_EQ(host.engine.exceptionStringsEnabled, 0);
    EXPECT_EQ(host.engine.exceptionStrings, (Strings{"\\Debug\\", ".obj"}));
    EXPECT_EQ(host.engine.colorIdentical, kIdentical);
    EXPECT_EQ(host.engine.colorDifferent, kDifferent);
    EXPECT_EQ(host.engine.colorInserted, kInserted);
    EXPECT_EQ(host.FindCall("RepaintPanes"), nullptr);
}

TEST_F(SettingsCommandTest, EscapeAndTheCloseBoxCancelToo)
{
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Escape");
        host.calls.clear();
        const bool confirmed = RunSettings(host, [&](CSettingsSheet &sheet) {
            ShowPage(sheet, 3);
            ClickButton(*sheet.GetPage(3), colourspage::kIdRestoreDefaults);
            if (closeBox)
                sheet.close();
            else
                QTest::keyClick(&sheet, Qt::Key_Escape);
        });
        EXPECT_FALSE(confirmed);
        EXPECT_EQ(host.engine.colorInserted, kInserted);
        EXPECT_EQ(host.FindCall("RepaintPanes"), nullptr);
    }
}

TEST_F(SettingsCommandTest, OkAppliesTheStepsInOrderAndRepaintsLast)
{
    const bool confirmed = RunSettings(host, [&](CSettingsSheet &sheet) {
        QTest::mouseClick(Check(sheet, 0, generalpage::kIdShowSelections), Qt::LeftButton);
        QTest::mouseClick(Check(sheet, 0, generalpage::kIdAutoSelect), Qt::LeftButton);
        ShowPage(sheet, 1);
        FindControl<QLineEdit>(sheet.GetPage(1), mergepage::kIdPath)->setText("/merge/new");
        ShowPage(sheet, 2);
        QTest::mouseClick(Check(sheet, 2, folderspage::kIdShowSame), Qt::LeftButton);
        QTest::mouseClick(Check(sheet, 2, folderspage::kIdUseExceptions), Qt::LeftButton);
        ShowPage(sheet, 3);
        ClickButton(*sheet.GetPage(3), colourspage::kIdRestoreDefaults);
        ShowPage(sheet, 2);
        QTest::mouseClick(Check(sheet, 2, folderspage::kIdUseExceptions), Qt::LeftButton);
        ClickButton(*sheet.GetPage(2), folderspage::kIdAdd);
        QApplication::processEvents();
        // Clicking OK ends the label edit as confirmed.
        QTest::keyClicks(QApplication::focusWidget(), "typed");
        ClickOk(sheet);
    });
    ASSERT_TRUE(confirmed);

    EXPECT_EQ(host.CallNames(), (Strings{"GetMergeDirectory", "ReadFoldersShowSame",
                                         "EnsureMergeFolder", "RepaintPanes"}));

    // When the merge folder is ensured, the options and the Folders page's
    // list are in the engine; the folder values and colours are not yet.
    const HostCall *ensure = host.FindCall("EnsureMergeFolder");
    ASSERT_NE(ensure, nullptr);
    EXPECT_EQ(ensure->argument, "/merge/new");
    EXPECT_EQ(ensure->state.showSelections, 0);
    EXPECT_EQ(ensure->state.autoSelect, 0);
    EXPECT_EQ(ensure->state.exceptionStrings, (Strings{"typed", "\\Debug\\", ".obj"}));
    EXPECT_EQ(ensure->state.storedShowSame, std::nullopt);
    EXPECT_EQ(ensure->state.storedExStrEnabled, std::nullopt);
    EXPECT_EQ(ensure->state.colorInserted, kInserted);

    // Repainting comes after everything else.
    const HostCall *repaint = host.FindCall("RepaintPanes");
    ASSERT_NE(repaint, nullptr);
    EXPECT_EQ(repaint->state.storedShowSame, 1);
    EXPECT_EQ(repaint->state.storedExStrEnabled, 1);
    EXPECT_EQ(repaint->state.exceptionStringsEnabled, 1);
    EXPECT_EQ(repaint->state.colorIdentical, DiffEngine::defaultColorIdentical);
    EXPECT_EQ(repaint->state.colorDifferent, DiffEngine::defaultColorDifferent);
    EXPECT_EQ(repaint->state.colorInserted, DiffEngine::defaultColorInserted);
}

TEST_F(SettingsCommandTest, OkTakesWhatWasTypedOnTheCurrentPage)
{
    const bool confirmed = RunSettings(host, [&](CSettingsSheet &sheet) {
        ShowPage(sheet, 1);
        QLineEdit *edit = FindControl<QLineEdit>(sheet.GetPage(1), mergepage::kIdPath);
        edit->clear();
        QTest::keyClicks(edit, "/typed/folder");
        ClickOk(sheet);
    });
    ASSERT_TRUE(confirmed);
    ASSERT_NE(host.FindCall("EnsureMergeFolder"), nullptr);
    EXPECT_EQ(host.FindCall("EnsureMergeFolder")->argument, "/typed/folder");
}

TEST_F(SettingsCommandTest, SwitchedOffExceptionsAreStoredAndPutIntoTheEngine)
{
    const bool confirmed = RunSettings(host, [&](CSettingsSheet &sheet) {
        ShowPage(sheet, 2);
        QTest::mouseClick(Check(sheet, 2, folderspage::kIdUseExceptions), Qt::LeftButton);
        ClickOk(sheet);
    });
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(Stored(settings::kFoldersExStrEnabled), 0);
    EXPECT_EQ(host.engine.exceptionStringsEnabled, 0);
    EXPECT_EQ(Stored(settings::kFoldersShowSame), 0);
}

TEST_F(SettingsCommandTest, OkStoresTheTwoFolderSwitchesEachUnderItsOwnName)
{
    store.WriteNumber(settings::kFoldersShowSame, 1);
    const bool confirmed = RunSettings(host, [&](CSettingsSheet &sheet) {
        ShowPage(sheet, 2);
        QTest::mouseClick(Check(sheet, 2, folderspage::kIdUseExceptions), Qt::LeftButton);
        ClickOk(sheet);
    });
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(Stored(settings::kFoldersShowSame), 1);
    EXPECT_EQ(Stored(settings::kFoldersExStrEnabled), 0);
    EXPECT_EQ(host.engine.exceptionStringsEnabled, 0);
}

TEST_F(SettingsCommandTest, AutoSelectTakesEffectOnlyAtTheNextComparison)
{
    host.engine.LoadTexts("a\nb\nc\n", "a\nx\nc\nd\n");
    host.engine.Compare();
    const auto flagsOf = [](const std::vector<DiffSection> &sections) {
        std::vector<std::int32_t> flags;
        for (const DiffSection &section : sections)
            flags.push_back(section.flags);
        return flags;
    };
    const auto before = flagsOf(host.engine.Sections(2));
    ASSERT_NE(std::count_if(host.engine.Sections(2).begin(), host.engine.Sections(2).end(),
                            [](const DiffSection &s) { return s.flags & Selected; }),
              0);

    ASSERT_TRUE(RunSettings(host, [&](CSettingsSheet &sheet) {
        QTest::mouseClick(Check(sheet, 0, generalpage::kIdAutoSelect), Qt::LeftButton);
        ClickOk(sheet);
    }));
    EXPECT_EQ(host.engine.autoSelect, 0);
    EXPECT_EQ(flagsOf(host.engine.Sections(2)), before) << "the comparison on screen stays";

    host.engine.LoadTexts("a\nb\nc\n", "a\nx\nc\nd\n");
    host.engine.Compare();
    for (int side : {1, 2}) {
        for (const DiffSection &section : host.engine.Sections(side))
            EXPECT_FALSE(section.flags & Selected) << "side " << side;
    }
}

} // namespace
} // namespace lindo::test
