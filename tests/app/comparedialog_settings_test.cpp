// What the main window keeps between runs: loading at start-up, saving in
// the close sequence, nothing saved on Escape, and misplaced rectangles.

#include "mainwindowfixture.h"
#include "uikit/windowplacement.h"

#include <QScreen>
#include <QtTest/QTest>

namespace lindo::test {
namespace {

using namespace mainwindow;

TEST_F(MainWindowTest, CloseSavesSevenValuesThatComeBackAtTheNextStart)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    w.move(40, 30);
    QApplication::processEvents();
    const WindowRect rect = OuterRect(&w);
    w.close();
    EXPECT_FALSE(w.isVisible());

    const SettingsStore store;
    EXPECT_EQ(store.ReadList("FilePath1"), QStringList{QPath("one.txt")});
    EXPECT_EQ(store.ReadList("FilePath2"), QStringList{QPath("two.txt")});
    WindowRect stored{};
    store.ReadRect("WindowPos", stored);
    EXPECT_EQ(stored, rect);
    EXPECT_EQ(store.ReadText("FoldersExceptionStrings").value_or("<none>"),
              "\\Debug\\,\\Release\\,\\WinRel\\,\\WinDebug\\,.dsw,.ncb,.opt,.aps,.clw,.plg,.dsp,");
    EXPECT_EQ(store.ReadText("ColorIdentical").value_or("<none>"), "0");
    EXPECT_EQ(store.ReadText("ColorDifferent").value_or("<none>"), "170");
    EXPECT_EQ(store.ReadText("ColorInserted").value_or("<none>"), "255");
    EXPECT_FALSE(store.ReadText("MergePath").has_value());

    CCompareDialog &again = Open();
    EXPECT_EQ(History(again.FirstPathBox()), QStringList{QPath("one.txt")});
    EXPECT_EQ(again.FirstPathBox()->GetText(), QPath("one.txt"));
    EXPECT_EQ(OuterRect(&again), rect);
}

TEST_F(MainWindowTest, EscapeEndsAtOnceWithoutSaving)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    const SettingsStore store;
    for (const char *name : {"FilePath1", "FilePath2", "FoldersExceptionStrings", "ColorIdentical"})
        EXPECT_FALSE(store.ReadText(name).has_value()) << name;
    WindowRect untouched{1, 2, 3, 4};
    store.ReadRect("WindowPos", untouched);
    EXPECT_EQ(untouched, (WindowRect{1, 2, 3, 4}));
}

TEST_F(MainWindowTest, StoredColoursApplyOnlyWhenAllThreeAreThere)
{
    SettingsStore store;
    store.WriteNumber("ColorIdentical", 1);
    store.WriteNumber("ColorDifferent", 2);
    {
        CCompareDialog &w = Open();
        EXPECT_EQ(w.Engine().colorIdentical, 0u);
        EXPECT_EQ(w.Engine().colorDifferent, 170u);
        EXPECT_EQ(w.Engine().colorInserted, 255u);
    }
    store.WriteText("ColorInserted", "no digits");
    CCompareDialog &w = Open();
    EXPECT_EQ(w.Engine().colorIdentical, 1u);
    EXPECT_EQ(w.Engine().colorDifferent, 2u);
    EXPECT_EQ(w.Engine().colorInserted, 0u);
}

TEST_F(MainWindowTest, StoredExceptionStringsAndTheirSwitchAreLoaded)
{
    SettingsStore store;
    store.WriteText("FoldersExceptionStrings", "");
    store.WriteNumber("FoldersExStrEnabled", 0);
    CCompareDialog &w = Open();
    EXPECT_TRUE(w.Engine().exceptionStrings.empty()); // stored empty is not missing
    EXPECT_EQ(w.Engine().exceptionStringsEnabled, 0); // honoured from the start
}

TEST_F(MainWindowTest, AHistoryTooLongToReadStartsEmptyAndIsReplacedAtClose)
{
    SettingsStore store;
    store.WriteText("FilePath1", QString(1100, 'p') + ",");
    CCompareDialog &w = Open();
    EXPECT_EQ(w.FirstPathBox()->count(), 0);
    CompareFiles("one.txt", "two.txt");
    w.close();
    EXPECT_EQ(store.ReadList("FilePath1"), QStringList{QPath("one.txt")});
}

TEST_F(MainWindowTest, ARectangleOffEveryScreenIsBroughtBack)
{
    SettingsStore().WriteRect("WindowPos", WindowRect{50000, 40000, 50600, 40450});
    CCompareDialog &w = Open();
    bool visible = false;
    for (const QScreen *screen : QGuiApplication::screens())
        visible = visible || screen->availableGeometry().intersects(w.frameGeometry());
    EXPECT_TRUE(visible);
    EXPECT_EQ(w.frameGeometry().size(), QSize(600, 450));
}

struct StoredRectCase {
    const char *name;
    WindowRect stored;
};

void PrintTo(const StoredRectCase &c, std::ostream *out)
{
    *out << c.name;
}

class UnusableStoredRectangle : public MainWindowTest, public testing::WithParamInterface<StoredRectCase> {};

TEST_P(UnusableStoredRectangle, CountsAsMissing)
{
    const QSize templateSize = Open().frameGeometry().size();
    SettingsStore().WriteRect("WindowPos", GetParam().stored);
    EXPECT_EQ(Open().frameGeometry().size(), templateSize);
}

INSTANTIATE_TEST_SUITE_P(WindowPlacement, UnusableStoredRectangle,
                         testing::Values(StoredRectCase{"Inverted", {300, 300, 100, 100}},
                                         StoredRectCase{"NoWidth", {300, 300, 300, 700}},
                                         StoredRectCase{"NoHeight", {300, 300, 900, 300}}),
                         [](const testing::TestParamInfo<StoredRectCase> &info) { return std::string(info.param.name); });

struct PlacementCase {
    const char *name;
    QRect outer;
    QRect expected;
};

void PrintTo(const PlacementCase &c, std::ostream *out)
{
    *out << c.name;
}

class KeepOnScreenTable : public testing::TestWithParam<PlacementCase> {};

TEST_P(KeepOnScreenTable, MovesOnlyWhatLiesOffEveryScreen)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(KeepOnScreen(GetParam().outer, screens), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    WindowPlacement, KeepOnScreenTable,
    testing::Values(PlacementCase{"OnTheFirstScreen", QRect(100, 100, 600, 400), QRect(100, 100, 600, 400)},
                    PlacementCase{"PartlyOnTheSecond", QRect(3000, 900, 600, 400), QRect(3000, 900, 600, 400)},
                    PlacementCase{"RightOfEverything", QRect(5000, 100, 600, 400), QRect(2600, 100, 600, 400)},
                    PlacementCase{"AboveTheFirst", QRect(50, -900, 600, 400), QRect(50, 0, 600, 400)},
                    PlacementCase{"TooBigIsShrunk", QRect(-5000, 0, 4000, 3000), QRect(0, 0, 1920, 1080)}),
    [](const testing::TestParamInfo<PlacementCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace lindo::test
