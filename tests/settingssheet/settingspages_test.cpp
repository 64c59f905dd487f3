// The four pages of the Settings sheet as the user sees and works them:
// controls in their template places, the Folders page's list editing and
// switch, the Merge page's folder chooser and the Colours page's swatches.

#include "settingssheet/colourspage.h"
#include "settingssheet/folderspage.h"
#include "settingssheet/generalpage.h"
#include "settingssheet/mergepage.h"
#include "settingssheet/settingssheet.h"

#include "engine/diffengine.h"
#include "settingssheet/sharedengine.h"
#include "sheetdriver.h"
#include "support/accessiblenames.h"
#include "support/fakechoosers.h"
#include "support/keyboard.h"
#include "support/qtprinters.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace lindo::test {
namespace {

enum Page { kGeneral, kMerge, kFolders, kColours };

// A sheet with the four pages, filled as the Settings command fills them,
// shown but not run modally.
class SettingsPagesTest : public testing::Test {
protected:
    SettingsPagesTest()
    {
        SetSharedEngine(&engine);
        engine.exceptionStrings = {"alpha", "beta", "gamma"};
        general.m_bShowSelections = true;
        general.m_bAutoSelect = true;
        merge.m_strPath = "/merge/start";
        folders.m_bUseExceptions = true;
        colours.m_crIdentical = MakeColour(1, 2, 3);
        colours.m_crDifferent = MakeColour(4, 5, 6);
        colours.m_crInserted = MakeColour(7, 8, 9);
        sheet.AddPage(&general);
        sheet.AddPage(&merge);
        sheet.AddPage(&folders);
        sheet.AddPage(&colours);
    }
    ~SettingsPagesTest() override { SetSharedEngine(nullptr); }

    void Open(Page page = kGeneral)
    {
        sheet.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
        if (page != kGeneral)
            ShowPage(sheet, page);
    }

    QTreeWidget &List() { return folders.m_wndExceptions; }
    QStringList Labels()
    {
        QStringList labels;
        for (int i = 0; i < List().topLevelItemCount(); ++i)
            labels << List().topLevelItem(i)->text(0);
        return labels;
    }
    // The in-place editor of the label being edited.
    QLineEdit *LabelEditor()
    {
        QApplication::processEvents();
        return qobject_cast<QLineEdit *>(QApplication::focusWidget());
    }
    QColor SwatchColour(int id)
    {
        const QImage shot = colours.grab().toImage();
        return shot.pixelColor(FindControl(&colours, id)->geometry().center());
    }

    FakeChoosers choosers;
    DiffEngine engine;
    CSettingsSheet sheet{settingssheet::kCaption, nullptr, 0};
    CGeneralPage general;
    CMergePage merge;
    CFoldersPage folders;
    CColoursPage colours;
};

// ---- The sheet ---------------------------------------------------------------------

TEST_F(SettingsPagesTest, SheetShowsFourTabsLabelledByTheirCaptionsAndOnlyOkAndCancel)
{
    Open();
    EXPECT_EQ(sheet.windowTitle(), "Settings");
    QTabBar *bar = TabBar(sheet);
    ASSERT_EQ(bar->count(), 4);
    EXPECT_EQ(bar->tabText(0), "General");
    EXPECT_EQ(bar->tabText(1), "Merge");
    EXPECT_EQ(bar->tabText(2), "Folders");
    EXPECT_EQ(bar->tabText(3), "Colours");
    EXPECT_EQ(sheet.GetActiveIndex(), 0);

    QStringList buttons;
    for (QPushButton *button : sheet.findChildren<QPushButton *>()) {
        if (button->parentWidget() == &sheet)
            buttons << button->text();
    }
    EXPECT_EQ(buttons, QStringList({"OK", "Cancel"}));
    for (int page = kGeneral; page <= kColours; ++page)
        EXPECT_EQ(sheet.GetPage(page)->size(), DluSize(195, 127));
}

TEST(PropertySheet, PagesOutliveASheetDestroyedBeforeThem)
{
    CMergePage page;
    page.m_strPath = "/kept";
    {
        CPropertySheet sheet("Sheet", nullptr);
        sheet.AddPage(&page);
        sheet.show();
    }
    EXPECT_EQ(page.parentWidget(), nullptr);
    EXPECT_EQ(page.m_strPath, "/kept");
    EXPECT_EQ(FindControl<QLineEdit>(&page, mergepage::kIdPath)->text(), "/kept");
}

// ---- Enter on a focused button ----------------------------------------------------------

struct EnterRow {
    const char *name;
    Page page;
    int id;
};

void PrintTo(const EnterRow &row, std::ostream *out) { *out << row.name; }

class EnterTest : public SettingsPagesTest, public testing::WithParamInterface<EnterRow> {};

TEST_P(EnterTest, PressesThatButtonAndLeavesTheSheetOpen)
{
    const EnterRow &row = GetParam();
    Open(row.page);
    auto *button = FindControl<QAbstractButton>(sheet.GetPage(row.page), row.id);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(TabToAndPressEnter(button), std::vector<QAbstractButton *>{button});
    EXPECT_TRUE(sheet.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Sheet, EnterTest,
    testing::Values(EnterRow{"MergeBrowse", kMerge, mergepage::kIdBrowse},
                    EnterRow{"FoldersAdd", kFolders, folderspage::kIdAdd},
                    EnterRow{"FoldersRemove", kFolders, folderspage::kIdRemove},
                    EnterRow{"ChangeDifferent", kColours, colourspage::kIdChangeDifferent},
                    EnterRow{"RestoreDefaults", kColours, colourspage::kIdRestoreDefaults}),
    [](const testing::TestParamInfo<EnterRow> &info) { return info.param.name; });

TEST_F(SettingsPagesTest, EnterOnTheFocusedCancelKeepsTheEnginesExceptionList)
{
    Open(kFolders);
    List().clearSelection();
    List().topLevelItem(0)->setSelected(true);
    ClickButton(folders, folderspage::kIdRemove);
    TabToAndPressEnter(FindControl(&sheet, propertysheet::kIdCancel));
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_EQ(engine.exceptionStrings, (std::vector<std::string>{"alpha", "beta", "gamma"}));
}

// ---- Template places -----------------------------------------------------------------

struct PlaceRow {
    const char *name;
    Page page;
    int id;           // 0: a static or group box found by its text
    const char *text; // nullptr: the control shows no text of its own
    QRect dlu;
};

void PrintTo(const PlaceRow &row, std::ostream *out) { *out << row.name; }

class PagePlacementTest : public SettingsPagesTest, public testing::WithParamInterface<PlaceRow> {};

QString ControlText(const QWidget *control)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    return {};
}

TEST_P(PagePlacementTest, ControlSitsAtItsTemplatePlaceWithItsText)
{
    const PlaceRow &row = GetParam();
    Open(row.page);
    const QWidget *page = sheet.GetPage(row.page);
    const QWidget *control = nullptr;
    if (row.id) {
        control = FindControl(page, row.id);
    } else {
        for (const QWidget *child : page->findChildren<QWidget *>()) {
            if (ControlText(child) == row.text)
                control = child;
        }
    }
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), page);
    EXPECT_EQ(control->geometry(),
              DluRect(row.dlu.x(), row.dlu.y(), row.dlu.width(), row.dlu.height()));
    if (row.text) {
        EXPECT_EQ(ControlText(control), row.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Templates, PagePlacementTest,
    testing::Values(
        PlaceRow{"ShowSelections", kGeneral, 1016, "Show selections", {16, 14, 67, 10}},
        PlaceRow{"AutoSelect", kGeneral, 1017,
                 "Auto select\n(will only take effect on next compare)", {16, 27, 172, 23}},
        PlaceRow{"OutputPathLabel", kMerge, 0, "Output path:", {15, 18, 73, 10}},
        PlaceRow{"OutputPathEdit", kMerge, 1020, nullptr, {36, 28, 113, 12}},
        PlaceRow{"Browse", kMerge, 1021, "...", {151, 28, 10, 12}},
        PlaceRow{"ShowSame", kFolders, 1035, "Show files that are the same.", {15, 15, 107, 10}},
        PlaceRow{"UseExceptions", kFolders, 1039,
                 "Compared files with any of these strings in their relative paths will not "
                 "be listed.",
                 {15, 43, 164, 19}},
        PlaceRow{"ExceptionList", kFolders, 1036, nullptr, {7, 63, 140, 50}},
        PlaceRow{"Add", kFolders, 1037, "Add", {151, 76, 37, 14}},
        PlaceRow{"Remove", kFolders, 1038, "Remove", {151, 93, 37, 14}},
        PlaceRow{"TextColourGroup", kColours, 0, "Text Colour", {7, 7, 162, 68}},
        PlaceRow{"IdenticalLabel", kColours, 0, "Identical:", {27, 21, 30, 8}},
        PlaceRow{"DifferentLabel", kColours, 0, "Different:", {27, 38, 30, 8}},
        PlaceRow{"InsertedLabel", kColours, 0, "Inserted:", {27, 55, 28, 8}},
        PlaceRow{"IdenticalSwatch", kColours, 1052, "colour", {67, 19, 32, 12}},
        PlaceRow{"DifferentSwatch", kColours, 1053, "colour", {67, 36, 32, 12}},
        PlaceRow{"InsertedSwatch", kColours, 1054, "colour", {67, 54, 32, 11}},
        PlaceRow{"ChangeIdentical", kColours, 1049, "Change", {107, 18, 50, 14}},
        PlaceRow{"ChangeDifferent", kColours, 1050, "Change", {107, 35, 50, 14}},
        PlaceRow{"ChangeInserted", kColours, 1051, "Change", {107, 52, 50, 14}},
        PlaceRow{"RestoreDefaults", kColours, 1055, "Restore Defaults", {9, 86, 72, 14}}),
    [](const testing::TestParamInfo<PlaceRow> &info) { return info.param.name; });

TEST_F(SettingsPagesTest, TextsFitTheirTemplateRectangles)
{
    Open();
    for (int page = kGeneral; page <= kColours; ++page) {
        for (const QWidget *control : sheet.GetPage(page)->findChildren<QWidget *>()) {
            const QString text = ControlText(control);
            if (text.isEmpty() || !control->isVisibleTo(sheet.GetPage(page))
                || qobject_cast<const QGroupBox *>(control))
                continue;
            const QFontMetrics metrics(control->font());
            QRect room = control->rect();
            int extra = 0;
            if (qobject_cast<const QCheckBox *>(control))
                extra = control->style()->pixelMetric(QStyle::PM_IndicatorWidth)
                        + control->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
            room.setWidth(room.width() - extra);
            const QRect needed = metrics.boundingRect(
                room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
            EXPECT_LE(needed.width(), room.width()) << text.toStdString();
            EXPECT_LE(needed.height(), room.height()) << text.toStdString();
        }
    }
}

// ---- Folders page --------------------------------------------------------------------

TEST_F(SettingsPagesTest, FoldersListShowsTheEnginesStringsInOneLeftAlignedColumn)
{
    Open(kFolders);
    EXPECT_EQ(Labels(), QStringList({"alpha", "beta", "gamma"}));
    ASSERT_EQ(List().columnCount(), 1);
    EXPECT_EQ(List().headerItem()->text(0), "Exception strings");
    EXPECT_EQ(List().columnWidth(0), 190);
    EXPECT_TRUE(List().headerItem()->textAlignment(0) & Qt::AlignLeft);
    EXPECT_FALSE(List().rootIsDecorated());
    EXPECT_FALSE(List().isSortingEnabled());
    EXPECT_EQ(List().selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(SettingsPagesTest, AddTwicePutsTwoNewItemsOnTopAndEscapeKeepsTheLabel)
{
    Open(kFolders);
    ClickButton(folders, folderspage::kIdAdd);
    QLineEdit *editor = LabelEditor();
    ASSERT_NE(editor, nullptr) << "Add starts editing the label";
    EXPECT_EQ(editor->text(), "New item");
    QTest::keyClick(editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(sheet.isVisible()) << "Escape ends the edit, not the sheet";

    ClickButton(folders, folderspage::kIdAdd);
    editor = LabelEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "typed");
    QTest::keyClick(editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(Labels(), QStringList({"New item", "New item", "alpha", "beta", "gamma"}));

    ClickOk(sheet);
    EXPECT_EQ(engine.exceptionStrings,
              (std::vector<std::string>{"New item", "New item", "alpha", "beta", "gamma"}));
}

TEST_F(SettingsPagesTest, EmptyConfirmedLabelReachesTheEngineAsAnEmptyString)
{
    Open(kFolders);
    ClickButton(folders, folderspage::kIdAdd);
    QLineEdit *editor = LabelEditor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(sheet.isVisible()) << "Return ends the edit, not the sheet";
    EXPECT_EQ(Labels(), QStringList({"", "alpha", "beta", "gamma"}));
    EXPECT_EQ(engine.exceptionStrings.size(), 3u) << "nothing reaches the engine before OK";

    ClickOk(sheet);
    EXPECT_EQ(engine.exceptionStrings, (std::vector<std::string>{"", "alpha", "beta", "gamma"}));
}

struct RemoveRow {
    const char *name;
    std::vector<int> selected; // rows selected before Remove
    bool addFirst;             // Add (and leave the edit) after selecting
    QStringList after;
};

void PrintTo(const RemoveRow &row, std::ostream *out) { *out << row.name; }

class RemoveTest : public SettingsPagesTest, public testing::WithParamInterface<RemoveRow> {};

TEST_P(RemoveTest, RemovesOnlyWhenExactlyOneItemIsSelected)
{
    const RemoveRow &row = GetParam();
    Open(kFolders);
    List().clearSelection();
    for (int index : row.selected)
        List().topLevelItem(index)->setSelected(true);
    if (row.addFirst) {
        ClickButton(folders, folderspage::kIdAdd);
        QLineEdit *editor = LabelEditor();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Escape);
    }
    ClickButton(folders, folderspage::kIdRemove);
    EXPECT_EQ(Labels(), row.after);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, RemoveTest,
    testing::Values(RemoveRow{"OneSelected", {1}, false, {"alpha", "gamma"}},
                    RemoveRow{"NoneSelected", {}, false, {"alpha", "beta", "gamma"}},
                    RemoveRow{"TwoSelected", {0, 2}, false, {"alpha", "beta", "gamma"}},
                    RemoveRow{"AddedItemAloneIsRemoved", {}, true, {"alpha", "beta", "gamma"}},
                    RemoveRow{"AddKeepsAnEarlierSelection", {1}, true,
                              {"New item", "alpha", "beta", "gamma"}}),
    [](const testing::TestParamInfo<RemoveRow> &info) { return info.param.name; });

TEST_F(SettingsPagesTest, ExceptionsSwitchEnablesTheListAndItsButtons)
{
    Open(kFolders);
    QWidget *controlled[] = {&List(), FindControl(&folders, folderspage::kIdAdd),
                             FindControl(&folders, folderspage::kIdRemove)};
    QWidget *showSame = FindControl(&folders, folderspage::kIdShowSame);
    for (QWidget *control : controlled)
        EXPECT_TRUE(control->isEnabled());

    QTest::mouseClick(FindControl(&folders, folderspage::kIdUseExceptions), Qt::LeftButton);
    for (QWidget *control : controlled)
        EXPECT_FALSE(control->isEnabled());
    EXPECT_TRUE(showSame->isEnabled());
    EXPECT_FALSE(folders.m_bUseExceptions) << "the switch is read as it is clicked";

    QTest::mouseClick(FindControl(&folders, folderspage::kIdUseExceptions), Qt::LeftButton);
    for (QWidget *control : controlled)
        EXPECT_TRUE(control->isEnabled());
    EXPECT_TRUE(showSame->isEnabled());
}

TEST_F(SettingsPagesTest, ExceptionsSwitchAppliesItsRuleWhenSpaceOrAnAssistiveToolTogglesIt)
{
    Open(kFolders);
    auto *box = FindControl<QCheckBox>(&folders, folderspage::kIdUseExceptions);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    ASSERT_FALSE(box->isChecked());
    EXPECT_FALSE(List().isEnabled());
    EXPECT_FALSE(folders.m_bUseExceptions);

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(List().isEnabled());
    EXPECT_TRUE(FindControl(&folders, folderspage::kIdAdd)->isEnabled());
}

TEST_F(SettingsPagesTest, ExceptionsSwitchOffAtOpeningDisablesTheList)
{
    folders.m_bUseExceptions = false;
    Open(kFolders);
    EXPECT_FALSE(FindControl<QCheckBox>(&folders, folderspage::kIdUseExceptions)->isChecked());
    EXPECT_FALSE(List().isEnabled());
    EXPECT_FALSE(FindControl(&folders, folderspage::kIdAdd)->isEnabled());
    EXPECT_FALSE(FindControl(&folders, folderspage::kIdRemove)->isEnabled());
}

TEST_F(SettingsPagesTest, SecondLineOfAWrappedSwitchTakesClicks)
{
    Open(kFolders);
    auto *box = FindControl<QCheckBox>(&folders, folderspage::kIdUseExceptions);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 2, box->height() - 3));
    EXPECT_FALSE(box->isChecked());
}

// ---- Merge page ------------------------------------------------------------------------

struct BrowseRow {
    const char *name;
    std::optional<QString> answer;
    QString shown;
};

void PrintTo(const BrowseRow &row, std::ostream *out) { *out << row.name; }

class BrowseTest : public SettingsPagesTest, public testing::WithParamInterface<BrowseRow> {};

TEST_P(BrowseTest, BrowseShowsTheChosenOrTheReceivedFolderOverTypedText)
{
    const BrowseRow &row = GetParam();
    Open(kMerge);
    auto *edit = FindControl<QLineEdit>(&merge, mergepage::kIdPath);
    EXPECT_EQ(edit->text(), "/merge/start");
    edit->setText("/typed");
    choosers.folderAnswers.push_back(row.answer);
    ClickButton(merge, mergepage::kIdBrowse);

    ASSERT_EQ(choosers.folderRequests.size(), 1u);
    EXPECT_EQ(choosers.folderRequests[0].title, "Choose merge directory:");
    EXPECT_EQ(choosers.folderRequests[0].initialFolder, "/merge/start")
        << "typed text is not read before the chooser opens";
    EXPECT_EQ(edit->text(), row.shown);
    ClickOk(sheet);
    EXPECT_EQ(merge.m_strPath, row.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Merge, BrowseTest,
    testing::Values(BrowseRow{"Cancelled", std::nullopt, "/merge/start"},
                    BrowseRow{"Chosen", QString("/chosen/folder"), "/chosen/folder"}),
    [](const testing::TestParamInfo<BrowseRow> &info) { return info.param.name; });

TEST_F(SettingsPagesTest, BrowseStartsFromTextTakenWhenThePageWasLeft)
{
    Open(kMerge);
    FindControl<QLineEdit>(&merge, mergepage::kIdPath)->setText("/typed");
    ShowPage(sheet, kGeneral);
    EXPECT_EQ(merge.m_strPath, "/typed");
    ShowPage(sheet, kMerge);
    ClickButton(merge, mergepage::kIdBrowse);
    ASSERT_EQ(choosers.folderRequests.size(), 1u);
    EXPECT_EQ(choosers.folderRequests[0].initialFolder, "/typed");
}

// ---- Colours page ----------------------------------------------------------------------

TEST_F(SettingsPagesTest, SwatchesArePaintedInTheirColoursAndTheStaticsStayHidden)
{
    Open(kColours);
    EXPECT_EQ(SwatchColour(colourspage::kIdSwatchIdentical), QColor(1, 2, 3));
    EXPECT_EQ(SwatchColour(colourspage::kIdSwatchDifferent), QColor(4, 5, 6));
    EXPECT_EQ(SwatchColour(colourspage::kIdSwatchInserted), QColor(7, 8, 9));
    for (int id : {colourspage::kIdSwatchIdentical, colourspage::kIdSwatchDifferent,
                   colourspage::kIdSwatchInserted})
        EXPECT_FALSE(FindControl(&colours, id)->isVisible()) << id;
}

TEST_F(SettingsPagesTest, RestoreDefaultsShowsBlackDarkRedAndRed)
{
    Open(kColours);
    ClickButton(colours, colourspage::kIdRestoreDefaults);
    EXPECT_EQ(SwatchColour(colourspage::kIdSwatchIdentical), QColor(0, 0, 0));
    EXPECT_EQ(SwatchColour(colourspage::kIdSwatchDifferent), QColor(170, 0, 0));
    EXPECT_EQ(SwatchColour(colourspage::kIdSwatchInserted), QColor(255, 0, 0));
    EXPECT_EQ(colours.m_crIdentical, 0x000000u);
    EXPECT_EQ(colours.m_crDifferent, 0x0000AAu);
    EXPECT_EQ(colours.m_crInserted, 0x0000FFu);
}

struct ChangeRow {
    const char *name;
    int button;
    int swatch;
    Colour CColoursPage::*field;
    QColor initial;
};

void PrintTo(const ChangeRow &row, std::ostream *out) { *out << row.name; }

class ChangeTest : public SettingsPagesTest, public testing::WithParamInterface<ChangeRow> {};

TEST_P(ChangeTest, ChangeButtonEditsItsOwnColourOnlyWhenConfirmed)
{
    const ChangeRow &row = GetParam();
    Open(kColours);
    const Colour others[] = {colours.m_crIdentical, colours.m_crDifferent, colours.m_crInserted};

    ClickButton(colours, row.button); // nothing queued: cancelled
    ASSERT_EQ(choosers.colourRequests.size(), 1u);
    EXPECT_EQ(choosers.colourRequests[0].initial, row.initial);
    EXPECT_EQ(SwatchColour(row.swatch), row.initial);

    choosers.colourAnswers.push_back(QColor(200, 100, 50));
    ClickButton(colours, row.button);
    EXPECT_EQ(colours.*row.field, MakeColour(200, 100, 50));
    EXPECT_EQ(SwatchColour(row.swatch), QColor(200, 100, 50));

    const Colour after[] = {colours.m_crIdentical, colours.m_crDifferent, colours.m_crInserted};
    int changed = 0;
    for (int i = 0; i < 3; ++i)
        changed += after[i] != others[i];
    EXPECT_EQ(changed, 1) << "only its own colour changes";
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ChangeTest,
    testing::Values(
        ChangeRow{"Identical", 1049, 1052, &CColoursPage::m_crIdentical, QColor(1, 2, 3)},
        ChangeRow{"Different", 1050, 1053, &CColoursPage::m_crDifferent, QColor(4, 5, 6)},
        ChangeRow{"Inserted", 1051, 1054, &CColoursPage::m_crInserted, QColor(7, 8, 9)}),
    [](const testing::TestParamInfo<ChangeRow> &info) { return info.param.name; });

// ---- Screen readers ----------------------------------------------------------------

TEST_F(SettingsPagesTest, EveryControlOfEveryPageHasAnAccessibleName)
{
    Open();
    for (int page = kGeneral; page <= kColours; ++page) {
        ShowPage(sheet, page);
        EXPECT_EQ(NamelessControls(&sheet).join(", ").toStdString(), "") << "page " << page;
    }
}

} // namespace
} // namespace lindo::test
