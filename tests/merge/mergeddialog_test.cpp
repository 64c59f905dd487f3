// The Merged window: opening, the three ways it goes away, its layout, the
// line status and the text area.

#include "mergedwindowfixture.h"

#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"
#include "uikit/dialogunits.h"
#include "uikit/windowplacement.h"

#include <QToolBar>
#include <QtTest/QTest>

#include <filesystem>
#include <functional>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;
using namespace merged;

const std::string kFirst = "alpha\nbeta\ngamma\ndelta\n";
const std::string kSecond = "alpha\ngamma\nepsilon\ndelta\n";

std::string TextBytes(CMergedEditCtrl &text)
{
    std::string bytes;
    text.StreamOut([&](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

std::optional<WindowRect> StoredPosition()
{
    const WindowRect absent{-7, -7, -7, -7};
    WindowRect rect = absent;
    SettingsStore().ReadRect(QString::fromLatin1(settings::kMergedWindowPos), rect);
    return rect == absent ? std::nullopt : std::optional(rect);
}

QToolBar &ToolBar(CMergedDialog &window)
{
    return *FindControl<QToolBar>(&window, kToolBarControlId);
}

TEST_F(MergedWindowTest, OpensShowingTheMergeOutputWithItsToolbarAndStatus)
{
    CMergedDialog &window = Open(kFirst, kSecond);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Merged");
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_EQ(TextBytes(TextArea()), owner.ShownBytes());
    EXPECT_EQ(LineStatus().text(), "Ln 0");
    EXPECT_EQ(Button(kIdSave).toolTip(), "Save");
    EXPECT_EQ(Button(kIdSaveAs).toolTip(), "Save As");
    EXPECT_FALSE(Button(kIdSave).icon().isNull());
    EXPECT_FALSE(Button(kIdSaveAs).icon().isNull());
    QTest::keyClicks(&TextArea(), "x"); // not read-only
    EXPECT_EQ(TextBytes(TextArea()), "x" + owner.ShownBytes());
}

TEST_F(MergedWindowTest, WithoutAStoredPositionTheTemplateGrowsByTheToolbar)
{
    CMergedDialog &window = Open(kFirst, kSecond);
    const int barHeight = ToolBar(window).height();
    EXPECT_GT(barHeight, 15);
    EXPECT_EQ(window.size(), DluSize(kTemplateWidth, kTemplateHeight) + QSize(0, barHeight));
}

TEST_F(MergedWindowTest, TakesASnapshotThatLaterComparisonsDoNotReach)
{
    Open(kFirst, kSecond);
    const std::string first = owner.ShownBytes();
    owner.Compare("other\n", "text\n");
    EXPECT_EQ(TextBytes(TextArea()), first);

    owner.ToggleMergedWindow();
    owner.ToggleMergedWindow();
    TextArea().FinishStreamingIn();
    EXPECT_EQ(TextBytes(TextArea()), owner.ShownBytes());
    EXPECT_NE(owner.ShownBytes(), first);
}

TEST_F(MergedWindowTest, CloseBoxSavesThePositionAndAsksTheOwnerToClose)
{
    CMergedDialog &window = Open(kFirst, kSecond);
    PlaceWindow(&window, WindowRect{120, 90, 620, 560});
    DrainEvents();
    const WindowRect before = OuterRect(&window);
    window.close();
    DrainEvents();
    EXPECT_EQ(owner.window, nullptr);
    EXPECT_EQ(owner.closeCalls, 1);
    ASSERT_TRUE(StoredPosition());
    EXPECT_EQ(*StoredPosition(), before);

    // The next window opens where the last one was closed.
    Open(kFirst, kSecond);
    DrainEvents();
    EXPECT_EQ(OuterRect(owner.window.get()), before);
}

TEST_F(MergedWindowTest, ToggleClosesWithoutSavingThePosition)
{
    CMergedDialog &first = Open(kFirst, kSecond);
    PlaceWindow(&first, WindowRect{10, 20, 300, 400});
    DrainEvents();
    owner.ToggleMergedWindow();
    EXPECT_EQ(owner.window, nullptr);
    EXPECT_EQ(owner.closeCalls, 1);
    EXPECT_EQ(StoredPosition(), std::nullopt);

    // A position saved by the close box survives later toggles.
    CMergedDialog &second = Open(kFirst, kSecond);
    PlaceWindow(&second, WindowRect{100, 100, 600, 600});
    DrainEvents();
    second.close();
    DrainEvents();
    const std::optional<WindowRect> saved = StoredPosition();
    ASSERT_TRUE(saved);
    CMergedDialog &third = Open(kFirst, kSecond);
    PlaceWindow(&third, WindowRect{10, 20, 300, 400});
    DrainEvents();
    owner.ToggleMergedWindow();
    EXPECT_EQ(StoredPosition(), saved);
}

TEST_F(MergedWindowTest, EscapeClosesTheWindowAsTheCloseBoxDoes)
{
    Open(kFirst, kSecond);
    QTest::keyClick(&TextArea(), Qt::Key_Escape);
    DrainEvents();
    // Gone, so the owner's toggle is no longer checked over a hidden window.
    EXPECT_EQ(owner.window, nullptr);
    EXPECT_EQ(owner.closeCalls, 1);
    EXPECT_NE(StoredPosition(), std::nullopt);
}

TEST_F(MergedWindowTest, CloseBoxAndEscapeAskBeforeDroppingEdits)
{
    const std::function<void(CMergedDialog &)> closers[] = {
        [](CMergedDialog &window) { window.close(); },
        [this](CMergedDialog &) { QTest::keyClick(&TextArea(), Qt::Key_Escape); },
    };
    for (const auto &closeWindow : closers) {
        Open(kFirst, kSecond);
        QTest::keyClicks(&TextArea(), "kept ");
        prompter.requests.clear();
        prompter.answers = {PromptAnswer::Cancel};
        closeWindow(*owner.window);
        DrainEvents();
        ASSERT_NE(owner.window, nullptr);
        EXPECT_TRUE(owner.window->isVisible());
        ASSERT_EQ(prompter.requests.size(), 1u);
        EXPECT_EQ(prompter.requests[0].text, kSaveChangesQuestion);

        prompter.answers = {PromptAnswer::No};
        closeWindow(*owner.window);
        DrainEvents();
        EXPECT_EQ(owner.window, nullptr);
        EXPECT_FALSE(fs::exists(dir / "merged.txt"));
    }
}

TEST_F(MergedWindowTest, LineStatusFollowsKeysAndClicks)
{
    CMergedDialog &window = Open(kFirst, kSecond);
    QTest::keyClick(&TextArea(), Qt::Key_Down);
    QTest::keyClick(&TextArea(), Qt::Key_Down);
    EXPECT_EQ(LineStatus().text(), "Ln 2");

    QTest::keyClick(&TextArea(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(LineStatus().text(), "Ln 0");
    const QPoint onThirdLine = TextArea().CellRect(2, 0).center() + QPoint(2, 0);
    QTest::mouseClick(TextArea().viewport(), Qt::LeftButton, {}, onThirdLine);
    EXPECT_EQ(LineStatus().text(), "Ln 2");

    // A caret moved without a key or a click shows once the window's own
    // surface is clicked.
    TextArea().SetCaret(1, 0);
    EXPECT_EQ(LineStatus().text(), "Ln 2");
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(2, window.height() - 2));
    EXPECT_EQ(LineStatus().text(), "Ln 1");
}

TEST_F(MergedWindowTest, EmptyMergeShowsAnEmptyTextOnLineZeroAndSavesAnEmptyFile)
{
    owner.engine.autoSelect = 0;
    Open("a\n", "b\n");
    EXPECT_EQ(owner.MergeBytes(), "");
    EXPECT_TRUE(TextArea().IsEmpty());
    EXPECT_EQ(LineStatus().text(), "Ln 0");
    WriteFile(dir / "merged.txt", "old");
    ASSERT_TRUE(owner.window->SaveMergedText(owner.target));
    EXPECT_EQ(ReadFile(dir / "merged.txt"), "");
}

TEST_F(MergedWindowTest, LongLinesAreNotWrapped)
{
    const std::string line(2000, 'w');
    Open(line + "\n", line + "\n");
    EXPECT_EQ(TextArea().LineBytes(0).size(), 2000u);
    EXPECT_EQ(TextArea().CellRect(0, 1999).top(), TextArea().CellRect(0, 0).top());
}

TEST_F(MergedWindowTest, NulIsDrawnAsAVisibleMark)
{
    Open(std::string("a\0b\n", 4), std::string("a\0b\n", 4));
    CMergedEditCtrl &text = TextArea();
    DrainEvents();
    const QImage image = text.viewport()->grab().toImage();
    const auto cellOf = [&](std::size_t column) {
        const int left = text.CellRect(0, column).left();
        const QRect next = text.CellRect(0, column + 1);
        return QRect(left + 1, next.top() + 2, next.left() - left - 1, next.height() - 4);
    };
    const auto darkShare = [&](const QRect &cell) {
        int dark = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        }
        return double(dark) / (cell.width() * cell.height());
    };
    ASSERT_GT(cellOf(1).width(), 2);
    EXPECT_GT(darkShare(cellOf(1)), 0.5); // the NUL
    EXPECT_LT(darkShare(cellOf(0)), 0.5); // the letter a
}

struct LayoutCase {
    const char *name;
    QSize client;
};

void PrintTo(const LayoutCase &c, std::ostream *out)
{
    *out << c.name;
}

class MergedWindowLayout : public MergedWindowTest, public testing::WithParamInterface<LayoutCase> {};

TEST_P(MergedWindowLayout, ToolbarOnTopTextFillingTheWidthStatusBottomRight)
{
    CMergedDialog &window = Open(kFirst, kSecond);
    window.resize(GetParam().client);
    DrainEvents();
    ASSERT_EQ(window.size(), GetParam().client);
    const int width = window.width();
    const int height = window.height();
    const int barHeight = ToolBar(window).height();
    const QRect status = LineStatus().geometry();
    EXPECT_EQ(status.size(), DluRect(171, 231, 100, 8).size());
    EXPECT_EQ(ToolBar(window).geometry(), QRect(0, 0, width, barHeight));
    EXPECT_EQ(TextArea().geometry(),
              QRect(0, barHeight - 2, width, height - status.height() - barHeight + 1));
    EXPECT_EQ(status.topLeft(), QPoint(width - status.width() - 4, height - status.height()));
    EXPECT_EQ(TextArea().geometry().bottom() + 1, status.top() - 1); // one pixel above the status
    EXPECT_TRUE(LineStatus().isVisible());
    EXPECT_EQ(LineStatus().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MergedWindowLayout,
                         testing::Values(LayoutCase{"Larger", QSize(700, 520)},
                                         LayoutCase{"Smaller", QSize(260, 180)},
                                         LayoutCase{"Wide", QSize(1200, 240)}),
                         [](const testing::TestParamInfo<LayoutCase> &info) { return std::string(info.param.name); });

TEST(MergedWindowTooltip, IsTheStringAfterTheFirstNewlineCutTo79Characters)
{
    EXPECT_EQ(TooltipOf("Save\nSave"), "Save");
    EXPECT_EQ(TooltipOf("Save As\nSave As\nmore"), "Save As\nmore");
    EXPECT_EQ(TooltipOf("NoTip"), "");
    EXPECT_EQ(TooltipOf("x\n" + QString(100, u'y')), QString(79, u'y'));
}

} // namespace
} // namespace lindo::test
