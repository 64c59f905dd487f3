// The main window and the Compare page's options: loaded at start-up, a
// comparison on screen redone when OK changes which lines are equal, and
// one that stays on screen shown under the options it was made with.

#include "mainwindowfixture.h"
#include "settingssheet/comparepage.h"
#include "settingssheet/settingssheet.h"
#include "support/modaldialog.h"
#include "uikit/controlid.h"

#include <QCheckBox>
#include <QtTest/QTest>

#include <filesystem>

namespace lindo::test {
namespace {

using namespace mainwindow;

class ComparePageWindowTest : public MainWindowTest {
protected:
    // Runs the Settings command, ticks the given switches of the Compare page and confirms.
    void Confirm(std::initializer_list<int> ids)
    {
        const std::vector<int> clicked(ids);
        ModalDialogDriver driver([clicked](QDialog &dialog) {
            auto &sheet = static_cast<CSettingsSheet &>(dialog);
            sheet.SetActivePage(kComparePage);
            for (int id : clicked) {
                // On its box: a check box takes no clicks beyond its text.
                auto *box = FindControl<QCheckBox>(sheet.GetPage(kComparePage), id);
                const QPoint onBox(box->height() / 2, box->height() / 2);
                QTest::mouseClick(box, Qt::LeftButton, {}, onBox);
            }
            sheet.accept();
        });
        Trigger(kCmdSettings);
        EXPECT_TRUE(driver.Handled());
    }

    static constexpr int kComparePage = 4;
};

// Pixels of the within-line tint of changed lines on `line` of the pane, not scrolled.
int TintedPixels(CDiffView &pane, int line)
{
    const QImage image = pane.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor tint = LineChangeTint(QColor(170, 0, 0), pane.BackgroundColour());
    int count = 0;
    for (int y = line * pane.LineHeight(); y < (line + 1) * pane.LineHeight() && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == tint;
    }
    return count;
}

TEST_F(ComparePageWindowTest, StoredOptionsAreInTheEngineAfterStartUp)
{
    SettingsStore store;
    store.WriteNumber("IgnoreSpaceChange", 1);
    store.WriteNumber("IgnoreCase", 0);
    store.WriteNumber("ShowLineChanges", 1);
    CCompareDialog &w = Open();
    EXPECT_EQ(w.Engine().showLineChanges, 1);
    EXPECT_TRUE(w.Engine().keyOptions.ignoreSpaceChange);
    EXPECT_FALSE(w.Engine().keyOptions.ignoreAllSpace);
    EXPECT_FALSE(w.Engine().keyOptions.ignoreCase);
    EXPECT_EQ(w.Engine().fallbackEncoding, "WINDOWS-1252");
}

// A stored encoding the system knows is read in capitals; any other is the default.
TEST_F(ComparePageWindowTest, StoredFallbackEncodingIsInTheEngineAfterStartUp)
{
    for (const auto &[stored, engine] : {std::pair{"koi8-r", "KOI8-R"}, std::pair{"no-such-thing", "WINDOWS-1252"}}) {
        SettingsStore().WriteText("FallbackEncoding", stored);
        EXPECT_EQ(Open().Engine().fallbackEncoding, engine) << stored;
        window.reset();
    }
}

TEST_F(ComparePageWindowTest, IgnoreCaseComparesTheFilesOnScreenAgainFromDisk)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    const std::uint64_t loads = w.Engine().LoadCount();
    WriteFile(dir / "one.txt", "Alpha\nBeta\nGamma\n");
    WriteFile(dir / "two.txt", "alpha\nbeta\ngamma\n");
    // What the path boxes show now is not what is on screen.
    w.FirstPathBox()->SetText(QPath("two.txt"));

    Confirm({comparepage::kIdIgnoreCase});

    EXPECT_TRUE(w.Engine().keyOptions.ignoreCase);
    EXPECT_EQ(w.Engine().LoadCount(), loads + 1);
    EXPECT_EQ(w.Engine().Lines(1).size(), 3u) << "the file is read again";
    ASSERT_EQ(w.Engine().Sections(1).size(), 1u) << "lines differing in case only match";
    EXPECT_TRUE(w.Engine().Sections(1).front().IsMatched());
    EXPECT_EQ(w.ComparedFiles(), (std::vector<std::string>{Path("one.txt"), Path("two.txt")}));
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(ComparePageWindowTest, WithNothingComparedOkOnlyStores)
{
    CCompareDialog &w = Open();
    Confirm({comparepage::kIdIgnoreAllSpace});
    EXPECT_TRUE(w.Engine().keyOptions.ignoreAllSpace);
    EXPECT_FALSE(w.Engine().IsCompared());
    EXPECT_EQ(w.Engine().LoadCount(), 0u);
    EXPECT_TRUE(prompter.requests.empty());
    EXPECT_EQ(SettingsStore().ReadNumber("IgnoreAllSpace"), 1);
}

TEST_F(ComparePageWindowTest, AComparisonLeftOnScreenByAFailedCompareAgainKeepsItsOwnTint)
{
    SettingsStore().WriteNumber("ShowLineChanges", 1);
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    CDiffView &left = *w.GetView(1);
    ASSERT_GT(TintedPixels(left, 1), 0) << "beta against BETA";
    std::filesystem::remove(dir / "two.txt");

    Confirm({comparepage::kIdIgnoreCase});

    ASSERT_EQ(prompter.requests.size(), 1u) << "the missing file is reported";
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Stop);
    EXPECT_EQ(w.Engine().Lines(2).size(), 5u) << "the comparison stays on screen";
    EXPECT_TRUE(w.Engine().keyOptions.ignoreCase) << "for the next comparison";
    EXPECT_GT(TintedPixels(left, 1), 0) << "compared with case, beta and BETA still differ";
}

} // namespace
} // namespace lindo::test
