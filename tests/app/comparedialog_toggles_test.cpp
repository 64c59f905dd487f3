// The two checkable toolbar commands follow their button's state however it
// changes, and the state always shows whether the window exists.

#include "mainwindowfixture.h"
#include "folderwindow/foldercomparedialog.h"
#include "merge/mergeddialog.h"

#include <QAccessible>
#include <QToolBar>
#include <QToolButton>
#include <QtTest/QTest>

namespace lindo::test {
namespace {

using namespace mainwindow;

class ToolbarToggleTest : public MainWindowTest {
protected:
    QToolButton *Button(int command)
    {
        return qobject_cast<QToolButton *>(window->ToolBar()->widgetForAction(window->CommandAction(command)));
    }

    void AssistiveToggle(int command)
    {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(Button(command));
        ASSERT_NE(accessible, nullptr);
        ASSERT_NE(accessible->actionInterface(), nullptr);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QApplication::processEvents();
    }

    bool MergeChecked() { return window->CommandAction(kCmdMergeToScreen)->isChecked(); }
    bool FoldersChecked() { return window->CommandAction(kCmdCompareFolders)->isChecked(); }
};

TEST_F(ToolbarToggleTest, AnAssistiveToggleOrSetCheckedOpensAndClosesTheWindows)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    AssistiveToggle(kCmdMergeToScreen);
    EXPECT_NE(w.MergedDialog(), nullptr);
    EXPECT_TRUE(MergeChecked());
    AssistiveToggle(kCmdMergeToScreen);
    EXPECT_EQ(w.MergedDialog(), nullptr);
    EXPECT_FALSE(MergeChecked());

    AssistiveToggle(kCmdCompareFolders);
    EXPECT_NE(w.FolderDialog(), nullptr);
    EXPECT_TRUE(FoldersChecked());
    AssistiveToggle(kCmdCompareFolders);
    EXPECT_EQ(w.FolderDialog(), nullptr);
    EXPECT_FALSE(FoldersChecked());

    w.CommandAction(kCmdCompareFolders)->setChecked(true);
    EXPECT_NE(w.FolderDialog(), nullptr);
}

TEST_F(ToolbarToggleTest, AToggleThatKeepsTheWindowKeepsTheButtonChecked)
{
    CCompareDialog &w = Open();
    CompareFiles("one.txt", "two.txt");
    Trigger(kCmdMergeToScreen);
    QTest::keyClicks(w.MergedDialog()->findChild<CMergedEditCtrl *>(), "typed ");
    prompter.answers = {PromptAnswer::Cancel};
    AssistiveToggle(kCmdMergeToScreen);
    EXPECT_EQ(prompter.requests.size(), 1u);
    EXPECT_NE(w.MergedDialog(), nullptr);
    EXPECT_TRUE(MergeChecked());
    EXPECT_TRUE(Button(kCmdMergeToScreen)->isChecked());
}

} // namespace
} // namespace lindo::test
