// The section properties dialog: what it says about each kind of section,
// its template layout, and how it ends.

#include "exampletexts.h"
#include "support/modaldialog.h"

#include "engine/diffengine.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "view/sectionpropertiesdialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

namespace lindo::test {
namespace {

std::string Numbered(const char *prefix, int from, int count)
{
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += prefix + std::to_string(i) + "\n";
    return text;
}

QString FieldText(const QDialog &dialog, int id)
{
    const auto *edit = FindControl<QLineEdit>(&dialog, id);
    return edit ? edit->text() : QStringLiteral("<missing>");
}

struct PropertiesCase {
    const char *name;
    std::string text1;
    std::string text2;
    int side;
    int section;
    const char *number;
    const char *status;
    const char *firstLine;
    const char *link;
};

void PrintTo(const PropertiesCase &row, std::ostream *out)
{
    *out << row.name;
}

class SectionProperties : public testing::TestWithParam<PropertiesCase> {};

TEST_P(SectionProperties, ShowNumberStatusFirstLineAndLink)
{
    const PropertiesCase &row = GetParam();
    DiffEngine engine;
    engine.LoadTexts(row.text1, row.text2);
    engine.Compare();
    CSectionPropertiesDialog dialog(&engine, row.side, row.section);
    EXPECT_EQ(FieldText(dialog, kIdSectionNumber), QString::fromLatin1(row.number));
    EXPECT_EQ(FieldText(dialog, kIdSectionStatus), QString::fromLatin1(row.status));
    EXPECT_EQ(FieldText(dialog, kIdSectionFirstLine), QString::fromLatin1(row.firstLine));
    EXPECT_EQ(FieldText(dialog, kIdSectionLink), QString::fromLatin1(row.link));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SectionProperties,
    testing::Values(
        PropertiesCase{"FirstSectionIsNumberZero", kExample1, kExample2, 1, 0, "0", "Only in this file", "0", "above 0"},
        PropertiesCase{"MatchingFromTheFirstLine", kExample1, kExample2, 2, 0, "0", "Matching", "0", "1"},
        PropertiesCase{"MatchingLinksToItsPartner", kExample1, kExample2, 1, 3, "3", "Matching", "4", "3"},
        PropertiesCase{"DifferentLinksToItsPartner", kExample1, kExample2, 1, 2, "2", "Different", "3", "2"},
        PropertiesCase{"OnlyHereAfterTheLastSection", "a\nb\n", "x\na\nb\ny\n", 2, 2, "2", "Only in this file", "3",
                       "end"},
        PropertiesCase{"OnlyHereAboveASectionAtLine12", Numbered("c", 0, 12) + "X\n" + Numbered("c", 12, 9),
                       Numbered("c", 0, 21), 1, 1, "1", "Only in this file", "12", "above 12"},
        PropertiesCase{"NeitherPairedNorPlaced", "a\nb\n", "x\ny\n", 1, 0, "0", "", "0", ""},
        PropertiesCase{"NeitherPairedNorPlacedSecondSide", "a\nb\n", "x\ny\n", 2, 0, "0", "", "0", ""}),
    [](const testing::TestParamInfo<PropertiesCase> &info) { return std::string(info.param.name); });

TEST(SectionPropertiesDialog, FieldsLieReadableInsideTheSectionTab)
{
    DiffEngine engine;
    engine.LoadTexts(kExample1, kExample2);
    engine.Compare();
    CSectionPropertiesDialog dialog(&engine, 1, 0);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Properties"));
    EXPECT_EQ(dialog.size(), DluSize(168, 135));

    const auto *tabs = FindControl<QTabWidget>(&dialog, kIdSectionTab);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->geometry(), DluRect(4, 3, 159, 110));
    for (int id : {kIdSectionNumber, kIdSectionStatus, kIdSectionFirstLine, kIdSectionLink})
        EXPECT_TRUE(FindControl<QLineEdit>(&dialog, id)->isReadOnly()) << id;

    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Section"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    // The tab control lies beneath the fields.
    EXPECT_EQ(dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly).first(), tabs);

    // Every label is readable in whole: it overlaps no field.
    for (const QLabel *label : dialog.findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        for (const QLineEdit *edit : dialog.findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly)) {
            EXPECT_FALSE(label->geometry().intersects(edit->geometry())) << qPrintable(label->text());
            EXPECT_TRUE(tabs->geometry().contains(edit->geometry()));
        }
        EXPECT_GE(label->width(), label->sizeHint().width()) << qPrintable(label->text());
    }
}

TEST(SectionPropertiesDialog, CloseAcceptsAndEscapeRejects)
{
    DiffEngine engine;
    engine.LoadTexts(kExample1, kExample2);
    engine.Compare();
    {
        CSectionPropertiesDialog dialog(&engine, 2, 1);
        test::ModalDialogDriver driver([](QDialog &shown) {
            auto *close = FindControl<QPushButton>(&shown, kIdSectionClose);
            EXPECT_TRUE(close->isVisible());
            EXPECT_TRUE(close->isDefault());
            EXPECT_FALSE(FindControl<QPushButton>(&shown, kIdSectionCancel)->isVisible());
            QTest::mouseClick(close, Qt::LeftButton);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_TRUE(driver.Handled());
    }
    {
        CSectionPropertiesDialog dialog(&engine, 2, 1);
        test::ModalDialogDriver driver([](QDialog &shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_TRUE(driver.Handled());
    }
    // Nothing in the comparison changed.
    EXPECT_EQ(engine.Sections(2)[1].flags, static_cast<std::uint32_t>(UnmatchedSecond | Selected));
}

} // namespace
} // namespace lindo::test
