// The About box as the user sees it: its controls in their template places,
// the version line, the two links, the picture and the hidden extras.

#include "app/aboutdialog.h"

#include "cli/version.h"
#include "support/linktestdoubles.h"
#include "support/qtprinters.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lindo {
namespace {

using test::FakeLinkLauncher;
using test::ScriptedPrompter;

QLabel *StaticWithText(const QWidget &dialog, const QString &text)
{
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

class AboutDialogTest : public testing::Test {
protected:
    FakeLinkLauncher launcher;
    ScriptedPrompter prompter;
    CAboutDialog dialog;
};

TEST_F(AboutDialogTest, HasTheTemplatesTitleAndSize)
{
    EXPECT_EQ(dialog.windowTitle(), "About Lindo");
    EXPECT_EQ(dialog.size(), DluSize(189, 90));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "the box is not resizable";
}

struct PlaceRow {
    const char *name;
    int id;          // 0: a static found by its text
    const char *text;
    QRect dlu;
};

void PrintTo(const PlaceRow &row, std::ostream *out) { *out << row.name; }


class AboutPlacementTest : public AboutDialogTest, public testing::WithParamInterface<PlaceRow> {};

TEST_P(AboutPlacementTest, ControlSitsAtItsTemplatePlace)
{
    const PlaceRow &row = GetParam();
    QWidget *control = row.id ? FindControl(&dialog, row.id)
                              : StaticWithText(dialog, QString::fromLatin1(row.text));
    ASSERT_NE(control, nullptr);
    if (row.text && row.id) {
        auto *button = qobject_cast<QPushButton *>(control);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), row.text);
    }
    EXPECT_EQ(control->geometry(),
              DluRect(row.dlu.x(), row.dlu.y(), row.dlu.width(), row.dlu.height()));
}

INSTANTIATE_TEST_SUITE_P(
    Template, AboutPlacementTest,
    testing::Values(PlaceRow{"VersionEdit", kAboutVersionEditId, nullptr, {72, 7, 110, 12}},
                    PlaceRow{"CreatedBy", 0, "Created by ", {72, 17, 37, 8}},
                    PlaceRow{"Free", 0, "This program is free.", {72, 45, 110, 11}},
                    PlaceRow{"Comments", 0, "Please send me your comments.", {72, 55, 102, 8}},
                    PlaceRow{"MailMe", kAboutMailButtonId, "Mail me", {111, 69, 32, 14}},
                    PlaceRow{"Ok", kAboutOkButtonId, "OK", {150, 69, 32, 14}}),
    [](const testing::TestParamInfo<PlaceRow> &info) { return info.param.name; });

TEST_F(AboutDialogTest, VersionEditShowsFiveWordsOfTheVersionLine)
{
    auto *edit = FindControl<QPlainTextEdit>(&dialog, kAboutVersionEditId);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->toPlainText(), kVersionLine);
    EXPECT_EQ(edit->toPlainText().split(' '),
              (QStringList{"Lindo", "Prototype", "v0.24", "build", "16"}));
}

TEST_F(AboutDialogTest, LinksShowTheirCaptionsAndTargetsFromTheirTemplatePlaces)
{
    auto *author = FindControl<CHyperLink>(&dialog, kAboutAuthorLinkId);
    auto *web = FindControl<CHyperLink>(&dialog, kAboutWebLinkId);
    ASSERT_NE(author, nullptr);
    ASSERT_NE(web, nullptr);

    EXPECT_EQ(author->text(), "The Lindo developers");
    EXPECT_EQ(author->toolTip(), "lindo@example.org");
    EXPECT_EQ(author->geometry().topLeft(), DluRect(109, 17, 44, 8).topLeft());
    EXPECT_EQ(web->text(), "https://lindo.example.org/");
    EXPECT_EQ(web->toolTip(), "https://lindo.example.org/");
    EXPECT_EQ(web->geometry().topLeft(), DluRect(72, 27, 110, 8).topLeft());

    for (CHyperLink *link : {author, web}) {
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->TextColour(), kLinkUnvisitedColour);
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(link->width(), QFontMetrics(link->font()).horizontalAdvance(link->text()))
            << "fitted to its caption";
    }
}

TEST_F(AboutDialogTest, LinksLieAboveTheVersionEdit)
{
    for (int id : {kAboutAuthorLinkId, kAboutWebLinkId}) {
        QWidget *link = FindControl(&dialog, id);
        EXPECT_EQ(dialog.childAt(link->geometry().topLeft() + QPoint(1, 0)), link) << id;
    }
}

TEST_F(AboutDialogTest, TextsFitTheirTemplateRectangles)
{
    auto *edit = FindControl<QPlainTextEdit>(&dialog, kAboutVersionEditId);
    EXPECT_LE(QFontMetrics(edit->font()).horizontalAdvance(edit->toPlainText()), edit->width());
    for (const char *text : {kAboutCreatedByText, kAboutFreeText, kAboutCommentsText}) {
        QLabel *label = StaticWithText(dialog, QString::fromLatin1(text));
        ASSERT_NE(label, nullptr) << text;
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text().trimmed()), label->width()) << text;
        EXPECT_LE(metrics.height(), label->height()) << text;
    }
    for (int id : {kAboutAuthorLinkId, kAboutWebLinkId})
        EXPECT_LE(FindControl(&dialog, id)->geometry().right(), dialog.width()) << id;
}

TEST_F(AboutDialogTest, ClickingTheLinksOpensTheWebPageAndAMail)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(FindControl(&dialog, kAboutWebLinkId), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(FindControl(&dialog, kAboutAuthorLinkId), Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(launcher.openedUrls.size(), 2u);
    EXPECT_EQ(launcher.openedUrls[0], QUrl("https://lindo.example.org/"));
    EXPECT_EQ(launcher.openedUrls[1], QUrl("mailto:lindo@example.org"));
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(AboutDialogTest, MailButtonAndIconNeverShow)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *icon = dialog.findChild<QLabel *>(kAboutIconName);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->geometry(), DluRect(11, 17, 21, 20));
    EXPECT_FALSE(icon->isVisible());
    EXPECT_FALSE(FindControl(&dialog, kAboutMailButtonId)->isVisible());
    auto *ok = FindControl<QPushButton>(&dialog, kAboutOkButtonId);
    EXPECT_TRUE(ok->isVisible());
    EXPECT_TRUE(ok->isDefault());
}

TEST_F(AboutDialogTest, MailButtonOpensAMailWithTheSubject)
{
    FindControl<QPushButton>(&dialog, kAboutMailButtonId)->click();
    ASSERT_EQ(launcher.openedUrls.size(), 1u);
    EXPECT_EQ(launcher.openedUrls[0], QUrl("mailto:lindo@example.org?subject=lindo"));
    EXPECT_TRUE(prompter.requests.empty());
}

TEST_F(AboutDialogTest, FailedMailCallNamesTheAddress)
{
    launcher.openSucceeds = false;
    FindControl<QPushButton>(&dialog, kAboutMailButtonId)->click();
    ASSERT_EQ(prompter.requests.size(), 1u);
    EXPECT_EQ(prompter.requests[0].text, "Mail call failed. Send to: lindo@example.org");
    EXPECT_EQ(prompter.requests[0].icon, PromptIcon::None);
    EXPECT_EQ(prompter.requests[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the wait cursor ended";
}

TEST_F(AboutDialogTest, PictureIsPaintedAtItsPlace)
{
    const QImage picture(kAboutPicturePath);
    ASSERT_EQ(picture.size(), QSize(82, 113));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QImage shot = dialog.grab().toImage();
    int differing = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (shot.pixelColor(x + 5, y + 4).rgb() != picture.pixelColor(x, y).rgb())
                ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_NE(shot.pixelColor(4, 4).rgb(), picture.pixelColor(0, 0).rgb())
        << "nothing of the picture left of x = 5";
}

TEST_F(AboutDialogTest, OkEndsTheModalRun)
{
    QTimer::singleShot(0, &dialog, [this] {
        QTest::mouseClick(FindControl(&dialog, kAboutOkButtonId), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(launcher.openedUrls.empty());
}

} // namespace
} // namespace lindo
