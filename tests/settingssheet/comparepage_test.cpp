// The Compare page of the Settings sheet: where it sits, what it shows, and
// what OK and Cancel do with its four switches.

#include "settingssheet/comparepage.h"

#include "fakesettingshost.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "sheetdriver.h"
#include "support/accessiblenames.h"
#include "support/qtprinters.h"
#include "uikit/controlid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>

#include <gtest/gtest.h>

#include <set>

namespace lindo::test {
namespace {

using Strings = std::vector<std::string>;

constexpr int kComparePage = 4;

// A check box takes clicks on its box and text only, not across its whole width.
void ClickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

struct SwitchRow {
    const char *name; // also the stored value's name
    int id;
    bool (*option)(const DiffEngine &engine); // the engine's value of the switch
    bool comparesAgain;                       // it decides which lines are equal
};

void PrintTo(const SwitchRow &row, std::ostream *out) { *out << row.name; }

const SwitchRow kSwitches[] = {
    {"ShowLineChanges", comparepage::kIdShowLineChanges,
     [](const DiffEngine &engine) { return engine.showLineChanges != 0; }, false},
    {"IgnoreSpaceChange", comparepage::kIdIgnoreSpaceChange,
     [](const DiffEngine &engine) { return engine.keyOptions.ignoreSpaceChange; }, true},
    {"IgnoreAllSpace", comparepage::kIdIgnoreAllSpace,
     [](const DiffEngine &engine) { return engine.keyOptions.ignoreAllSpace; }, true},
    {"IgnoreCase", comparepage::kIdIgnoreCase,
     [](const DiffEngine &engine) { return engine.keyOptions.ignoreCase; }, true},
};

class ComparePageTest : public testing::Test {
protected:
    QCheckBox *Switch(CSettingsSheet &sheet, int id)
    {
        return FindControl<QCheckBox>(sheet.GetPage(kComparePage), id);
    }
    // Ticks or unticks the switches named by id on the Compare page, then ends the sheet.
    bool Run(std::initializer_list<int> clicked, bool ok = true)
    {
        return RunSettings(host, [&](CSettingsSheet &sheet) {
            ShowPage(sheet, kComparePage);
            for (int id : clicked)
                ClickBox(Switch(sheet, id));
            ok ? ClickOk(sheet) : ClickCancel(sheet);
        });
    }

    ScopedSettingsFile file;
    SettingsStore store;
    FakeSettingsHost host;
};

TEST_F(ComparePageTest, FifthPageAfterColoursShowsTheFourSwitchesWithDistinctMnemonics)
{
    RunSettings(host, [&](CSettingsSheet &sheet) {
        QTabBar *bar = TabBar(sheet);
        ASSERT_EQ(bar->count(), 5);
        EXPECT_EQ(bar->tabText(3), "Colours");
        EXPECT_EQ(bar->tabText(4), "Compare");
        ShowPage(sheet, kComparePage);

        const std::pair<int, QString> texts[] = {
            {comparepage::kIdShowLineChanges, "Show changes within lines"},
            {comparepage::kIdIgnoreSpaceChange, "Ignore changes in the amount of blank space"},
            {comparepage::kIdIgnoreAllSpace, "Ignore all blank space"},
            {comparepage::kIdIgnoreCase, "Ignore case"},
        };
        std::set<QString> mnemonics;
        for (const auto &[id, text] : texts) {
            const QCheckBox *box = Switch(sheet, id);
            ASSERT_NE(box, nullptr) << id;
            EXPECT_EQ(QString(box->text()).remove('&'), text);
            EXPECT_FALSE(box->isChecked()) << "off unless turned on";
            // The whole text shows beside the box.
            const int room = box->width() - box->style()->pixelMetric(QStyle::PM_IndicatorWidth)
                             - box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
            EXPECT_LE(box->fontMetrics().horizontalAdvance(text), room) << text.toStdString();
            mnemonics.insert(QKeySequence::mnemonic(box->text()).toString());
        }
        EXPECT_EQ(mnemonics.size(), 4u);
        EXPECT_FALSE(mnemonics.count(QString()));
        EXPECT_EQ(NamelessControls(&sheet).join(", ").toStdString(), "");
        ClickCancel(sheet);
    });
}

class SwitchTest : public ComparePageTest, public testing::WithParamInterface<SwitchRow> {};

TEST_P(SwitchTest, OkStoresItUnderItsOwnNamePutsItIntoTheEngineAndComparesAgainIfItMatchesLines)
{
    const SwitchRow &row = GetParam();
    ASSERT_TRUE(Run({row.id}));
    for (const SwitchRow &other : kSwitches) {
        const bool ticked = other.id == row.id;
        EXPECT_EQ(other.option(host.engine), ticked) << other.name;
        EXPECT_EQ(store.ReadNumber(other.name), ticked ? std::optional(1) : std::nullopt)
            << other.name;
    }
    const Strings expected = row.comparesAgain ? Strings{"RepaintPanes", "CompareAgain"}
                                               : Strings{"RepaintPanes"};
    const Strings calls = host.CallNames();
    EXPECT_EQ(Strings(calls.end() - static_cast<std::ptrdiff_t>(expected.size()), calls.end()),
              expected);
    ASSERT_NE(host.FindCall("RepaintPanes"), nullptr);
    EXPECT_EQ(host.FindCall("RepaintPanes")->state.showLineChanges, host.engine.showLineChanges);
}

INSTANTIATE_TEST_SUITE_P(Switches, SwitchTest, testing::ValuesIn(kSwitches),
                         [](const testing::TestParamInfo<SwitchRow> &info) {
                             return info.param.name;
                         });

TEST_F(ComparePageTest, TurningAnOptionOffStoresZeroAndUntouchedOnesWriteNothing)
{
    store.WriteNumber(settings::kIgnoreCase, 1);
    host.engine.keyOptions.ignoreCase = true;
    // The page shows the engine's value, so this click unticks the box.
    ASSERT_TRUE(Run({comparepage::kIdIgnoreCase}));
    EXPECT_FALSE(host.engine.keyOptions.ignoreCase);
    EXPECT_EQ(store.ReadNumber(settings::kIgnoreCase), 0);
    EXPECT_NE(host.FindCall("CompareAgain"), nullptr);
    for (const char *name : {settings::kShowLineChanges, settings::kIgnoreSpaceChange,
                             settings::kIgnoreAllSpace, settings::kFallbackEncoding})
        EXPECT_FALSE(store.ReadText(name).has_value()) << name;
}

// The encoding of files neither UTF-8 nor marked by a BOM: picked from the
// list or typed, stored in the converter's spelling, and the files compared
// again in it; a name the system does not know is the default.
TEST_F(ComparePageTest, FallbackEncodingIsPickedOrTypedStoredAndComparesAgain)
{
    const struct {
        const char *typed;
        const char *taken;
    } rows[] = {{"Shift_JIS", "SHIFT_JIS"}, {"koi8-r", "KOI8-R"}, {"no-such-thing", "WINDOWS-1252"}};
    for (const auto &row : rows) {
        host.calls.clear();
        RunSettings(host, [&](CSettingsSheet &sheet) {
            ShowPage(sheet, kComparePage);
            auto *combo = FindControl<QComboBox>(sheet.GetPage(kComparePage), comparepage::kIdFallbackEncoding);
            EXPECT_EQ(combo->findText("Shift_JIS"), 5);
            combo->setCurrentText(row.typed);
            ClickOk(sheet);
        });
        EXPECT_EQ(host.engine.fallbackEncoding, row.taken) << row.typed;
        EXPECT_EQ(store.ReadText(settings::kFallbackEncoding), QString(row.taken)) << row.typed;
        EXPECT_NE(host.FindCall("CompareAgain"), nullptr) << row.typed;
    }
    RunSettings(host, [&](CSettingsSheet &sheet) {
        ShowPage(sheet, kComparePage);
        EXPECT_EQ(FindControl<QComboBox>(sheet.GetPage(kComparePage), comparepage::kIdFallbackEncoding)->currentText(),
                  "Windows-1252");
        ClickCancel(sheet);
    });
}

TEST_F(ComparePageTest, CancelChangesNothing)
{
    host.engine.keyOptions.ignoreSpaceChange = true;
    const bool confirmed =
        Run({comparepage::kIdShowLineChanges, comparepage::kIdIgnoreSpaceChange,
             comparepage::kIdIgnoreAllSpace, comparepage::kIdIgnoreCase},
            false);
    EXPECT_FALSE(confirmed);
    for (const SwitchRow &row : kSwitches) {
        EXPECT_EQ(row.option(host.engine), row.id == comparepage::kIdIgnoreSpaceChange) << row.name;
        EXPECT_FALSE(store.ReadText(row.name).has_value()) << row.name;
    }
    EXPECT_EQ(host.FindCall("CompareAgain"), nullptr);
    EXPECT_EQ(host.FindCall("RepaintPanes"), nullptr);
}

} // namespace
} // namespace lindo::test
