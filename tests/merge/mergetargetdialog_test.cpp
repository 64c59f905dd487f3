// The merge target prompt and the shared file choosers.

#include "merge/mergetargetdialog.h"
#include "support/fakechoosers.h"
#include "support/keyboard.h"
#include "uikit/controlid.h"
#include "uikit/filechoosers.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>

namespace lindo::test {
namespace {

// Runs the dialog modally while `during` acts on it from inside its loop.
int RunDialog(CMergeTargetDialog &dialog, const std::function<void()> &during)
{
    QTimer::singleShot(0, &dialog, during);
    return dialog.exec();
}

QLineEdit *PathEdit(CMergeTargetDialog &dialog)
{
    return FindControl<QLineEdit>(&dialog, mergetarget::kIdPath);
}

QPushButton *Button(CMergeTargetDialog &dialog, int id)
{
    return FindControl<QPushButton>(&dialog, id);
}

TEST(MergeTargetPrompt, ShowsTheProposalAndReturnsWhatWasTyped)
{
    CMergeTargetDialog dialog;
    dialog.m_strPath = "/merge/a.txt";
    const int result = RunDialog(dialog, [&] {
        EXPECT_EQ(dialog.windowTitle(), "Merge");
        EXPECT_EQ(PathEdit(dialog)->text(), "/merge/a.txt");
        PathEdit(dialog)->setText("/elsewhere/b.txt");
        QTest::mouseClick(Button(dialog, mergetarget::kIdOk), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.m_strPath, "/elsewhere/b.txt");
}

TEST(MergeTargetPrompt, CancelReturnsNothing)
{
    CMergeTargetDialog dialog;
    dialog.m_strPath = "/merge/a.txt";
    const int result = RunDialog(dialog, [&] {
        PathEdit(dialog)->setText("typed");
        QTest::mouseClick(Button(dialog, mergetarget::kIdCancel), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.m_strPath, "/merge/a.txt");
}

TEST(MergeTargetPrompt, BrowseStartsFromTheLastSetPathAndCancelBringsItBack)
{
    FakeChoosers choosers; // no answer queued: the user cancels
    CMergeTargetDialog dialog;
    dialog.m_strPath = "/merge/out/a.txt";
    RunDialog(dialog, [&] {
        PathEdit(dialog)->setText("/typed/elsewhere.txt");
        QTest::mouseClick(Button(dialog, mergetarget::kIdBrowse), Qt::LeftButton);
        EXPECT_EQ(PathEdit(dialog)->text(), "/merge/out/a.txt");
        dialog.reject();
    });
    ASSERT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_EQ(choosers.fileRequests[0].title, "Select merge (output) file:");
    EXPECT_EQ(choosers.fileRequests[0].initialDirectory, "/merge/out");
}

TEST(MergeTargetPrompt, BrowsedFileIsShownAndReturned)
{
    FakeChoosers choosers;
    choosers.fileAnswers.push_back(QString("/new/place/not-yet.txt"));
    CMergeTargetDialog dialog;
    dialog.m_strPath = "a.txt";
    const int result = RunDialog(dialog, [&] {
        QTest::mouseClick(Button(dialog, mergetarget::kIdBrowse), Qt::LeftButton);
        EXPECT_EQ(PathEdit(dialog)->text(), "/new/place/not-yet.txt");
        QTest::keyClick(PathEdit(dialog), Qt::Key_Return); // Enter presses the default OK
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.m_strPath, "/new/place/not-yet.txt");
    ASSERT_EQ(choosers.fileRequests.size(), 1u);
    EXPECT_EQ(choosers.fileRequests[0].initialDirectory, ""); // no separator: the default folder
}

TEST(MergeTargetPrompt, EnterOnTheFocusedCancelCancels)
{
    CMergeTargetDialog dialog;
    dialog.m_strPath = "/merge/a.txt";
    std::vector<QAbstractButton *> pressed;
    const int result = RunDialog(dialog, [&] {
        PathEdit(dialog)->setText("typed");
        pressed = TabToAndPressEnter(Button(dialog, mergetarget::kIdCancel));
        if (dialog.isVisible())
            dialog.reject();
    });
    EXPECT_EQ(pressed, std::vector<QAbstractButton *>{Button(dialog, mergetarget::kIdCancel)});
    EXPECT_EQ(result, QDialog::Rejected) << "the caller must not write the file";
    EXPECT_EQ(dialog.m_strPath, "/merge/a.txt");
}

TEST(MergeTargetPrompt, EnterOnTheFocusedBrowseButtonBrowses)
{
    FakeChoosers choosers;
    CMergeTargetDialog dialog;
    dialog.m_strPath = "/merge/a.txt";
    bool stayedOpen = false;
    RunDialog(dialog, [&] {
        TabToAndPressEnter(Button(dialog, mergetarget::kIdBrowse));
        stayedOpen = dialog.isVisible();
        dialog.reject();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(choosers.fileRequests.size(), 1u);
}

struct ChooserCase {
    const char *name;
    QString path;
    QString title;
    QString expectedTitle;
    QString expectedFolder;
};

void PrintTo(const ChooserCase &c, std::ostream *out)
{
    *out << c.name;
}

class ChooseFileStart : public testing::TestWithParam<ChooserCase> {};

TEST_P(ChooseFileStart, StartsInThePathsFolderWithItsTitleAndTheSharedFilters)
{
    const ChooserCase &c = GetParam();
    FakeChoosers choosers;
    QString path = c.path;
    EXPECT_FALSE(ChooseFile(path, c.title));
    EXPECT_EQ(path, c.path); // cancelled: unchanged
    ASSERT_EQ(choosers.fileRequests.size(), 1u);
    const FileChooserRequest &request = choosers.fileRequests[0];
    EXPECT_EQ(request.title, c.expectedTitle);
    EXPECT_EQ(request.initialDirectory, c.expectedFolder);
    EXPECT_EQ(request.filters, (QStringList{"All Files (*)", "Text Files (*.txt)"}));
    EXPECT_EQ(request.selectedFilter, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Choosers, ChooseFileStart,
    testing::Values(ChooserCase{"FileInAFolder", "/home/u/docs/a.txt", "Select file to be compared:",
                                "Select file to be compared:", "/home/u/docs"},
                    ChooserCase{"NoTitle", "/x/y", "", "Select a file", "/x"},
                    ChooserCase{"BareName", "a.txt", "Save As", "Save As", ""},
                    ChooserCase{"UnderTheRoot", "/a.txt", "", "Select a file", "/"},
                    ChooserCase{"Empty", "", "", "Select a file", ""}),
    [](const testing::TestParamInfo<ChooserCase> &info) { return std::string(info.param.name); });

TEST(ChooseFile, ConfirmedFileReplacesThePathWithItsFullPath)
{
    FakeChoosers choosers;
    choosers.fileAnswers.push_back(QString("/tmp/some/../chosen.txt"));
    QString path = "/start/x.txt";
    EXPECT_TRUE(ChooseFile(path));
    EXPECT_EQ(path, "/tmp/chosen.txt");
}

} // namespace
} // namespace lindo::test
