// The Folder Comparison window's controls: its layout and how it follows
// resizing, the folder boxes with dropped paths and the folder chooser, and
// finding a path's spelling on disk.

#include "folderscan/casespelling.h"
#include "folderwindow/anchorlayout.h"
#include "folderwindow/foldercomparedialogids.h"
#include "folderwindowfixture.h"
#include "settingsstore/settingsstore.h"
#include "support/fakechoosers.h"
#include "support/keyboard.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/windowplacement.h"

#include <QDir>
#include <QPushButton>
#include <QUrl>

namespace lindo::test {
namespace {

using namespace folderwindow;

// Resizes the window so that its client area has the given size.
void ResizeClient(QWidget &window, int width, int height)
{
    window.resize(width, height);
    QApplication::processEvents();
}

QRect TemplateRect(int id)
{
    for (const ControlRule &rule : kControlRules) {
        if (rule.id == id)
            return DluRect(rule.x, rule.y, rule.width, rule.height);
    }
    ADD_FAILURE() << id;
    return {};
}

TEST_F(FolderWindowTest, OpensAtTheTemplateSizeWithItsControls)
{
    CFolderCompareDialog &w = Open();
    EXPECT_EQ(w.windowTitle(), "Folder Comparison");
    EXPECT_EQ(w.size(), DluSize(kTemplateWidth, kTemplateHeight));
    EXPECT_FALSE(w.windowIcon().isNull());
    for (const ControlRule &rule : kControlRules) {
        const QWidget *control = FindControl(&w, rule.id);
        ASSERT_NE(control, nullptr) << rule.id;
        EXPECT_EQ(control->geometry(), TemplateRect(rule.id)) << rule.id;
    }
    EXPECT_EQ(w.StatusText(), "Select your two folders and press Go.");
    EXPECT_EQ(w.GoCaption(), "Go");
    EXPECT_TRUE(FindControl<QPushButton>(&w, kIdGo)->isDefault());
    const CFolderListCtrl *list = w.Results();
    EXPECT_EQ(list->headerItem()->text(0), "Relative path");
    EXPECT_EQ(list->headerItem()->text(1), "State");
    const int width = list->width();
    // The State column may take from the path column what its longest text needs.
    EXPECT_LE(list->columnWidth(0), static_cast<int>(width * 0.65));
    EXPECT_GE(list->columnWidth(1), static_cast<int>(width * 0.35 - 20));
    EXPECT_EQ(list->columnWidth(0) + list->columnWidth(1),
              static_cast<int>(width * 0.65) + static_cast<int>(width * 0.35 - 20));
    EXPECT_FALSE(list->rootIsDecorated());
    EXPECT_FALSE(list->isSortingEnabled());
}

TEST_F(FolderWindowTest, TheStateColumnShowsEveryStateTextWhole)
{
    CFolderCompareDialog &w = Open();
    CFolderListCtrl *list = w.Results();
    for (int state = 0; state < kFolderStateCount; ++state)
        list->AddRow("file" + std::to_string(state), static_cast<FolderState>(state), false);
    QApplication::processEvents();
    // The list itself measures what its widest row's state needs.
    const int given = list->columnWidth(1);
    list->resizeColumnToContents(1);
    EXPECT_LE(list->columnWidth(1), given);
}

TEST_F(FolderWindowTest, HeldRowsReachTheListTogetherInTheirOrder)
{
    CFolderCompareDialog &w = Open();
    CFolderListCtrl *list = w.Results();
    list->HoldRows(true);
    EXPECT_EQ(list->AddRow("a.txt", FolderOnlyIn1, false), 0);
    EXPECT_EQ(list->AddRow("A.TXT", FolderOnlyIn2, false), -1); // admission still sees held rows
    EXPECT_EQ(list->AddRow("b.txt", FolderNewer2, false), 1);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(list->GetItemCount(), 2);
    list->ShowHeldRows();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "a.txt");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Different - 2 is more recent");
    list->AddRow("c.txt", FolderSame, false);
    list->HoldRows(false); // ending the hold shows what waits
    EXPECT_EQ(list->topLevelItemCount(), 3);
    list->AddRow("d.txt", FolderSame, false);
    EXPECT_EQ(list->topLevelItemCount(), 4);
}

TEST_F(FolderWindowTest, RestoresItsStoredRectangle)
{
    const WindowRect stored{40, 50, 40 + 600, 50 + 500};
    SettingsStore().WriteRect("FoldersWindowPos", stored);
    CFolderCompareDialog &w = Open();
    EXPECT_EQ(OuterRect(&w), stored);
    // The controls follow the restored size at once.
    EXPECT_EQ(FindControl(&w, kIdCount)->geometry().right(), TemplateRect(kIdCount).right() + w.width() - 432);
}

// Every control's shift for a window 60 pixels narrower and 40 higher than
// the template (432 x 436): half the shrink is 30.
struct ResizeCase {
    int id;
    int left, right, top, bottom;
};

TEST_F(FolderWindowTest, ControlsFollowTheirAnchorsWithoutDrifting)
{
    const ResizeCase cases[] = {
        {kIdResults, 0, -60, 0, 40}, {kIdFolder1, 0, -30, 0, 0},    {kIdFolder2, -30, -60, 0, 0},
        {kIdGo, -30, -30, 0, 0},     {kIdBrowse1, -30, -30, 0, 0},  {kIdBrowse2, -60, -60, 0, 0},
        {kIdStatus, 0, -30, 40, 40}, {kIdCount, -30, -60, 40, 40},
    };
    CFolderCompareDialog &w = Open();
    ASSERT_EQ(w.size(), QSize(432, 436));
    for (int repeat = 0; repeat < 2; ++repeat) {
        ResizeClient(w, 372, 476);
        for (const ResizeCase &c : cases) {
            const QRect before = TemplateRect(c.id);
            const QRect after = FindControl(&w, c.id)->geometry();
            EXPECT_EQ(after.left(), before.left() + c.left) << c.id;
            EXPECT_EQ(after.right(), before.right() + c.right) << c.id;
            EXPECT_EQ(after.top(), before.top() + c.top) << c.id;
            EXPECT_EQ(after.bottom(), before.bottom() + c.bottom) << c.id;
        }
        ResizeClient(w, 432, 436);
        for (const ResizeCase &c : cases)
            EXPECT_EQ(FindControl(&w, c.id)->geometry(), TemplateRect(c.id)) << c.id;
    }
}

struct CentreCase {
    const char *name;
    int before, now, shift;
};

class CentreShift : public testing::TestWithParam<CentreCase> {};

TEST_P(CentreShift, HalvesAreTruncatedEachOnItsOwn)
{
    const CentreCase &c = GetParam();
    AnchorItem item;
    item.parentSize = QSize(c.before, 100);
    item.controlRect = QRect(50, 10, 20, 10);
    item.leftMode = FollowCentre;
    item.rightMode = FollowRight;
    const QRect placed = AnchorLayout::Place(item, QSize(c.now, 100));
    EXPECT_EQ(placed.left(), 50 + c.shift);
    EXPECT_EQ(placed.left() + placed.width(), 70 + c.now - c.before);
    EXPECT_EQ(placed.top(), 10);
    EXPECT_EQ(placed.height(), 10);
}

INSTANTIATE_TEST_SUITE_P(AnchorLayout, CentreShift,
                         testing::Values(CentreCase{"OddGrowth", 432, 433, 0}, CentreCase{"OddShrink", 432, 431, -1},
                                         CentreCase{"FromOdd", 433, 435, 1}, CentreCase{"Even", 432, 500, 34}),
                         [](const auto &info) { return std::string(info.param.name); });

struct TrimCase {
    const char *name;
    std::string path;     // below the test's folder when it starts with "one"
    std::string expected; // the same
};

class TrimToFolderTest : public FolderWindowTest, public testing::WithParamInterface<TrimCase> {
protected:
    QString Below(const std::string &path) const
    {
        return path.starts_with("one") ? QString::fromStdString((dir / path).string()) : QString::fromStdString(path);
    }
};

TEST_P(TrimToFolderTest, AFileBecomesItsFolder)
{
    Put(1, "file.txt", "x");
    QString path = Below(GetParam().path);
    TrimToFolder(path);
    EXPECT_EQ(path, Below(GetParam().expected));

    // Dropped on a folder box (as an absolute path), the same happens.
    if (!QDir::isAbsolutePath(Below(GetParam().path)))
        return;
    CFolderCompareDialog &w = Open();
    ASSERT_TRUE(w.FolderBox(2)->TakeDroppedUrls({QUrl::fromLocalFile(Below(GetParam().path))}));
    EXPECT_EQ(w.FolderBox(2)->GetText(), Below(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    FolderBox, TrimToFolderTest,
    testing::Values(TrimCase{"ExistingFolderStays", "one", "one"}, TrimCase{"TrailingSeparatorStays", "one/", "one/"},
                    TrimCase{"FileBecomesItsFolder", "one/file.txt", "one"},
                    TrimCase{"MissingPathIsCutOnce", "one/no/such", "one/no"},
                    TrimCase{"FileInTheRootBecomesTheRoot", "/no-such-file.txt", ""},
                    TrimCase{"NoSeparatorStays", "plain", "plain"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderWindowTest, BrowseAsksForAFolderFromTheBoxsText)
{
    FakeChoosers choosers;
    CFolderCompareDialog &w = Open();
    w.FolderBox(1)->SetText("/start/one");
    w.FolderBox(2)->SetText("/start/two");
    choosers.folderAnswers = {QString("/chosen"), std::nullopt};
    FindControl<QPushButton>(&w, kIdBrowse1)->click();
    FindControl<QPushButton>(&w, kIdBrowse2)->click();
    ASSERT_EQ(choosers.folderRequests.size(), 2u);
    EXPECT_EQ(choosers.folderRequests[0].title, "Choose folder1:");
    EXPECT_EQ(choosers.folderRequests[0].initialFolder, "/start/one");
    EXPECT_EQ(choosers.folderRequests[0].parent, nullptr);
    EXPECT_EQ(choosers.folderRequests[1].title, "Choose folder2:");
    EXPECT_EQ(w.FolderBox(1)->GetText(), "/chosen");
    EXPECT_EQ(w.FolderBox(2)->GetText(), "/start/two"); // cancelled
    EXPECT_EQ(w.FolderBox(1)->count(), 0);              // the history waits for a run
}

TEST_F(FolderWindowTest, EnterOnAFocusedBrowseButtonBrowsesInsteadOfGoing)
{
    FakeChoosers choosers;
    CFolderCompareDialog &w = Open();
    w.FolderBox(1)->SetText(Folder(1));
    w.FolderBox(2)->SetText(Folder(2));
    for (int id : {kIdBrowse1, kIdBrowse2}) {
        auto *browse = FindControl<QPushButton>(&w, id);
        EXPECT_EQ(TabToAndPressEnter(browse), std::vector<QAbstractButton *>{browse}) << id;
    }
    EXPECT_EQ(choosers.folderRequests.size(), 2u);
    EXPECT_EQ(w.StatusText(), "Select your two folders and press Go.") << "no run started";
}

TEST_F(FolderWindowTest, ExistingSpellingMatchesEachMissingNameIgnoringCase)
{
    Put(2, "Sub/Deeper/README.txt", "x");
    const std::string two = Root(2).string();
    EXPECT_EQ(ExistingSpelling(two, "/sub/deeper/readme.TXT"), two + "/Sub/Deeper/README.txt");
    EXPECT_EQ(ExistingSpelling(two, "/Sub/Deeper/README.txt"), two + "/Sub/Deeper/README.txt");
    EXPECT_EQ(ExistingSpelling(two + "/", "sub/missing.txt"), two + "/sub/missing.txt");
    EXPECT_EQ(ExistingSpelling(two, "/Sub/deeper"), two + "/Sub/Deeper");
}

} // namespace
} // namespace lindo::test
