// The link control as a user meets it: colours, clicks, keys, tooltip,
// cursor, its size, and what it says when a target cannot be opened.

#include "support/linktestdoubles.h"
#include "support/qtprinters.h"
#include "support/testfiles.h"
#include "uikit/hyperlink.h"
#include "uikit/launcherror.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace lindo {
namespace {

using test::FakeLinkLauncher;
using test::ScriptedPrompter;

const QString kTarget = QStringLiteral("https://lindo.example.org/");

class HyperLinkTest : public testing::Test {
protected:
    HyperLinkTest()
    {
        m_host.resize(400, 160);
        link = new CHyperLink(&m_host);
        link->setGeometry(10, 10, 300, 40);
        elsewhere = new QLineEdit(&m_host);
        elsewhere->setGeometry(10, 120, 100, 24);
    }

    void Attach(const QString &text, const QString &target = kTarget,
                std::uint32_t style = kDefaultLinkStyle)
    {
        link->setText(text);
        link->SetLinkStyle(style);
        link->SetLinkTarget(target);
        link->PreSubclassWindow();
    }

    // Focus and mouse tracking need a shown, active window.
    void ShowActive()
    {
        m_host.show();
        m_host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_host));
    }

    // QTest::mouseMove only moves the cursor on the offscreen platform; the
    // control reacts to the move events themselves.
    void MoveMouse(const QPoint &pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, link->mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &move);
    }
    void Hover() { MoveMouse(QPoint(3, 3)); }
    void Focus() { link->setFocus(Qt::OtherFocusReason); }
    void Unfocus() { elsewhere->setFocus(Qt::OtherFocusReason); }
    void Click()
    {
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(3, 3));
    }

    // The underline is drawn in the text colour at full strength, so a link
    // drawn in a colour has pixels of exactly that colour.
    bool DrawnIn(const QColor &colour) const
    {
        const QImage image = link->grab().toImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y).rgb() == colour.rgb())
                    return true;
            }
        }
        return false;
    }

    FakeLinkLauncher launcher;
    ScriptedPrompter prompter;
    CHyperLink *link = nullptr;
    QLineEdit *elsewhere = nullptr;

private:
    QWidget m_host;
};

TEST_F(HyperLinkTest, StartsWithItsDocumentedStyle)
{
    EXPECT_EQ(link->LinkStyle(), 0x15u);
    EXPECT_EQ(kDefaultLinkStyle, LinkUnderline | LinkFitToText | LinkFocusOnClick);
}

enum StateStep { Hovered = 1, Focused = 2, Launched = 4 };

struct ColourRow {
    const char *name;
    std::uint32_t style;
    int steps;
    QColor expected;
};

void PrintTo(const ColourRow &row, std::ostream *out) { *out << row.name; }


class LinkColourTest : public HyperLinkTest, public testing::WithParamInterface<ColourRow> {};

TEST_P(LinkColourTest, FollowsThePrecedence)
{
    const ColourRow &row = GetParam();
    Attach("Lindo", kTarget, row.style);
    ShowActive();
    if (row.steps & Launched)
        link->OpenLinkTarget();
    if (row.steps & Focused)
        Focus();
    if (row.steps & Hovered)
        Hover();
    QApplication::processEvents();

    EXPECT_EQ(link->TextColour(), row.expected);
    EXPECT_TRUE(DrawnIn(row.expected));
    for (const QColor &other :
         {kLinkUnvisitedColour, kLinkActiveColour, kLinkVisitedColour, kLinkHoverColour}) {
        if (other != row.expected) {
            EXPECT_FALSE(DrawnIn(other)) << "also drawn in " << testing::PrintToString(other);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, LinkColourTest,
    testing::Values(
        ColourRow{"Unvisited", kDefaultLinkStyle, 0, kLinkUnvisitedColour},
        ColourRow{"HoverNeedsItsStyle", kDefaultLinkStyle, Hovered, kLinkUnvisitedColour},
        ColourRow{"Hover", kDefaultLinkStyle | LinkHoverColour, Hovered, kLinkHoverColour},
        ColourRow{"HoverBeatsActive", kDefaultLinkStyle | LinkHoverColour, Hovered | Focused,
                  kLinkHoverColour},
        ColourRow{"FocusIsActive", kDefaultLinkStyle, Focused, kLinkActiveColour},
        ColourRow{"NoActiveColour", kDefaultLinkStyle | LinkNoActiveColour, Focused,
                  kLinkUnvisitedColour},
        ColourRow{"Visited", kDefaultLinkStyle, Launched, kLinkVisitedColour},
        ColourRow{"ActiveBeatsVisited", kDefaultLinkStyle, Launched | Focused, kLinkActiveColour},
        ColourRow{"VisitedWithoutActiveColour", kDefaultLinkStyle | LinkNoActiveColour,
                  Launched | Focused, kLinkVisitedColour}),
    [](const testing::TestParamInfo<ColourRow> &info) { return info.param.name; });

TEST_F(HyperLinkTest, HoverEndsWhenTheMouseGoesAway)
{
    Attach("Lindo", kTarget, kDefaultLinkStyle | LinkHoverColour);
    ShowActive();
    Hover();
    EXPECT_EQ(link->TextColour(), kLinkHoverColour);
    MoveMouse(QPoint(-5, 3));
    EXPECT_EQ(link->TextColour(), kLinkUnvisitedColour);

    Hover();
    EXPECT_EQ(link->TextColour(), kLinkHoverColour);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->TextColour(), kLinkUnvisitedColour);
}

TEST_F(HyperLinkTest, ClickFocusesOpensAndShowsVisitedOnceFocusLeaves)
{
    Attach("Lindo");
    ShowActive();
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(link->hasFocus());
    EXPECT_TRUE(launcher.openedUrls.empty()) << "opens on release, not on press";
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(launcher.openedUrls.size(), 1u);
    EXPECT_EQ(launcher.openedUrls[0], QUrl(kTarget));
    EXPECT_TRUE(link->IsLaunched());
    EXPECT_EQ(link->TextColour(), kLinkActiveColour);

    Unfocus();
    EXPECT_EQ(link->TextColour(), kLinkVisitedColour);
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(HyperLinkTest, OpenOnPressOpensOnceOnPress)
{
    Attach("Lindo", kTarget, kDefaultLinkStyle | LinkOpenOnPress);
    ShowActive();
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(launcher.openedUrls.size(), 1u);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(launcher.openedUrls.size(), 1u);
}

TEST_F(HyperLinkTest, OpensOnlyWhenTheButtonComesUpOverIt)
{
    Attach("Lindo");
    ShowActive();
    const QPoint off(link->width() + 20, 3);
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(link, Qt::LeftButton, {}, off);
    EXPECT_TRUE(launcher.openedUrls.empty()) << "dragged off, then released";

    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
    MoveMouse(off);
    MoveMouse(QPoint(4, 4));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(launcher.openedUrls.size(), 1u) << "dragged off and back, then released";
}

TEST_F(HyperLinkTest, ReleaseWithoutPressOrFocusOpensNothing)
{
    Attach("Lindo");
    ShowActive();
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(link, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_TRUE(launcher.openedUrls.empty());
}

TEST_F(HyperLinkTest, WithoutFocusOnClickAClickLeavesTheFocus)
{
    Attach("Lindo", kTarget, LinkUnderline | LinkFitToText);
    ShowActive();
    Unfocus();
    Click();
    EXPECT_FALSE(link->hasFocus());
    EXPECT_EQ(launcher.openedUrls.size(), 1u) << "the press still made it active";
}

TEST_F(HyperLinkTest, SpaceOpensOtherKeysDoNot)
{
    Attach("Lindo");
    ShowActive();
    Focus();
    QTest::keyClick(link, Qt::Key_A);
    QTest::keyClick(link, Qt::Key_Return);
    EXPECT_TRUE(launcher.openedUrls.empty());

    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(launcher.openedUrls.size(), 1u);

    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(link, &repeat);
    EXPECT_EQ(launcher.openedUrls.size(), 1u) << "a held key opens once";
}

TEST_F(HyperLinkTest, FallbackSuccessCountsAsLaunched)
{
    test::TempDir apps;
    test::WriteFile(apps / "browser.desktop", "[Desktop Entry]\nExec=browser %u\n");
    launcher.openSucceeds = false;
    launcher.defaultApplication = "browser.desktop";
    launcher.applicationFolders = {QString::fromStdString(apps.path().string())};
    Attach("Lindo");
    link->OpenLinkTarget();
    EXPECT_TRUE(link->IsLaunched());
    ASSERT_EQ(launcher.startedCommands.size(), 1u);
    EXPECT_EQ(launcher.startedCommands[0], (QStringList{"browser", kTarget}));
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(HyperLinkTest, FailedLaunchExplainsAndStaysUnvisited)
{
    launcher.openSucceeds = false;
    Attach("Lindo");
    link->OpenLinkTarget();
    EXPECT_FALSE(link->IsLaunched());
    EXPECT_EQ(link->TextColour(), kLinkUnvisitedColour);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text,
              "Can't open link:\n\nThere is no application associated\nwith the given filename "
              "extension.");
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::Ok);
}

struct ErrorRow {
    int code;
    const char *explanation;
};

void PrintTo(const ErrorRow &row, std::ostream *out) { *out << "code " << row.code; }

class LaunchErrorTest : public HyperLinkTest, public testing::WithParamInterface<ErrorRow> {};

TEST_P(LaunchErrorTest, ShowsTheExplanation)
{
    link->ReportLaunchError(GetParam().code);
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text,
              QString("Can't open link:\n\n") + QString::fromLatin1(GetParam().explanation));
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LaunchErrorTest,
    testing::Values(
        ErrorRow{0, "The operating system is out\nof memory or resources."},
        ErrorRow{26, "A sharing violation occurred. "},
        ErrorRow{30, "The DDE transaction could not\nbe completed because other DDE "
                     "transactions\nwere being processed."},
        ErrorRow{32, "The specified dynamic-link library was not found."},
        ErrorRow{99, "Unknown Error (99) occurred."},
        ErrorRow{1, "Unknown Error (1) occurred."},
        ErrorRow{-7, "Unknown Error (-7) occurred."}),
    [](const testing::TestParamInfo<ErrorRow> &info) {
        return "Code" + std::to_string(info.index) + "_" + std::to_string(std::abs(info.param.code));
    });

TEST(LaunchErrorExplanationTest, EveryFailureCodeHasItsOwnExplanation)
{
    QStringList seen;
    for (int code : {0, 2, 3, 5, 8, 11, 26, 27, 28, 29, 30, 31, 32}) {
        const QString text = LaunchErrorExplanation(code);
        EXPECT_FALSE(text.startsWith("Unknown Error")) << code;
        EXPECT_FALSE(seen.contains(text)) << code;
        seen << text;
    }
}

TEST_F(HyperLinkTest, EmptyTargetUsesTheTextAndEmptyTextShowsTheTarget)
{
    Attach("https://example.org/from-text", "");
    EXPECT_EQ(link->LinkTarget(), "https://example.org/from-text");
    EXPECT_EQ(link->toolTip(), "https://example.org/from-text");

    CHyperLink blank(link->parentWidget());
    blank.SetLinkTarget(kTarget);
    blank.PreSubclassWindow();
    EXPECT_EQ(blank.text(), kTarget);
    EXPECT_EQ(blank.LinkTarget(), kTarget);
}

TEST_F(HyperLinkTest, TooltipNamesTheTargetAndFollowsIt)
{
    Attach("Lindo");
    EXPECT_EQ(link->toolTip(), kTarget);
    link->SetLinkTarget("lindo@example.org");
    EXPECT_EQ(link->toolTip(), "lindo@example.org");
    EXPECT_EQ(link->text(), "Lindo");
}

TEST_F(HyperLinkTest, ShowsTheHandCursor)
{
    Attach("Lindo");
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(HyperLinkTest, UnderlinesItsFontOnlyWhenAsked)
{
    const QFont before = link->font();
    Attach("Lindo");
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->font().family(), before.family());
    EXPECT_EQ(link->font().pointSizeF(), before.pointSizeF());

    CHyperLink plain(link->parentWidget());
    plain.setText("plain");
    plain.SetLinkStyle(LinkFitToText);
    plain.PreSubclassWindow();
    EXPECT_FALSE(plain.font().underline());
}

TEST_F(HyperLinkTest, CaptionIsIgnoredUntilAttached)
{
    link->setText("template");
    link->SetLinkCaption("too early");
    EXPECT_EQ(link->text(), "template");
    link->PreSubclassWindow();
    link->SetLinkCaption("Lindo");
    EXPECT_EQ(link->text(), "Lindo");
}

struct ResizeRow {
    const char *name;
    Qt::Alignment alignment;
    // The expected rectangle from the start rectangle (10, 10, 300 x 40)
    // and the text's width w and height h.
    QRect (*expected)(int w, int h);
};

void PrintTo(const ResizeRow &row, std::ostream *out) { *out << row.name; }


class ResizeToTextTest : public HyperLinkTest, public testing::WithParamInterface<ResizeRow> {};

TEST_P(ResizeToTextTest, FitsTheTextKeepingTheAlignedEdge)
{
    const ResizeRow &row = GetParam();
    link->setAlignment(row.alignment);
    Attach("A link of some length");
    const QFontMetrics metrics(link->font());
    const int w = metrics.horizontalAdvance(link->text());
    const int h = metrics.height();
    EXPECT_EQ(link->geometry(), row.expected(w, h))
        << "text " << w << "x" << h;
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, ResizeToTextTest,
    testing::Values(
        ResizeRow{"TopLeft", Qt::AlignLeft | Qt::AlignTop,
                  [](int w, int h) { return QRect(10, 10, w, h); }},
        ResizeRow{"Right", Qt::AlignRight | Qt::AlignTop,
                  [](int w, int h) { return QRect(310 - w, 10, w, h); }},
        ResizeRow{"Centre", Qt::AlignHCenter | Qt::AlignTop,
                  [](int w, int h) {
                      const int shrink = (300 - w) / 2;
                      return QRect(10 + shrink, 10, 300 - 2 * shrink, h);
                  }},
        ResizeRow{"VerticalCentre", Qt::AlignLeft | Qt::AlignVCenter,
                  [](int w, int h) {
                      const int shrink = (40 - h) / 2;
                      return QRect(10, 10 + shrink, w, 40 - 2 * shrink);
                  }}),
    [](const testing::TestParamInfo<ResizeRow> &info) { return info.param.name; });

TEST_F(HyperLinkTest, OddSlackIsSplitTruncatedKeepingTheSize)
{
    link->setAlignment(Qt::AlignCenter);
    link->setText("A link of some length");
    // Half the slack, truncated, goes from each side: a slack of one pixel
    // stays whole, one of three leaves one pixel.
    QFont underlined = link->font();
    underlined.setUnderline(true);
    const QFontMetrics linkMetrics(underlined);
    const int w = linkMetrics.horizontalAdvance(link->text());
    const int h = linkMetrics.height();
    link->setGeometry(20, 30, w + 1, h + 3);
    link->PreSubclassWindow();
    EXPECT_EQ(link->geometry(), QRect(20, 31, w + 1, h + 1));
}

TEST_F(HyperLinkTest, KeepsItsRectangleWithoutFitToText)
{
    Attach("Lindo", kTarget, LinkUnderline);
    EXPECT_EQ(link->geometry(), QRect(10, 10, 300, 40));
    link->SetLinkCaption("Another caption");
    EXPECT_EQ(link->geometry(), QRect(10, 10, 300, 40));
}

} // namespace
} // namespace lindo
