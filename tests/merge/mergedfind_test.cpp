// Ctrl+F in the Merged window: a find bar under the text that selects what it finds.

#include "mergedwindowfixture.h"

#include "uikit/findbar.h"

#include <QLineEdit>
#include <QtTest/QTest>

namespace lindo::test {
namespace {

class MergedFindTest : public MergedWindowTest {
protected:
    CFindBar &Bar() { return *owner.window->FindBar(); }

    void OpenAndFind(const char *text)
    {
        Open("one\ntwo Pin\nthree\n", "one\ntwo Pin\nthree\nfour pin\n");
        owner.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(owner.window.get()));
        QTest::keyClick(&TextArea(), Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(Bar().isVisible());
        QTest::keyClicks(Bar().Field(), QString::fromLatin1(text));
    }
};

TEST_F(MergedFindTest, CtrlFFindsAndSelectsTheText)
{
    OpenAndFind("pin");
    EXPECT_EQ(TextArea().SelectedBytes(), "Pin");
    EXPECT_EQ(TextArea().CaretLine(), 1);
    EXPECT_EQ(LineStatus().text(), QStringLiteral("Ln 1"));
    EXPECT_LT(TextArea().geometry().bottom(), Bar().geometry().top());
    EXPECT_LT(Bar().geometry().bottom(), LineStatus().geometry().top());
}

TEST_F(MergedFindTest, F3StepsOnAndWraps)
{
    OpenAndFind("pin");
    QTest::keyClick(Bar().Field(), Qt::Key_F3);
    EXPECT_EQ(TextArea().CaretLine(), 3);
    EXPECT_EQ(TextArea().SelectedBytes(), "pin");
    QTest::keyClick(Bar().Field(), Qt::Key_Return);
    EXPECT_EQ(TextArea().CaretLine(), 1);
    EXPECT_EQ(Bar().Notice(), findbar::kWrappedForward);
}

TEST_F(MergedFindTest, TypingKeepsTheMatchItExtendsAndBackspaceGoesBack)
{
    // The merge output: "one", "two Pin", "three", "four pin".
    OpenAndFind("fou");
    EXPECT_EQ(TextArea().CaretLine(), 3);
    QTest::keyClicks(Bar().Field(), QStringLiteral("r"));
    EXPECT_EQ(TextArea().CaretLine(), 3);
    EXPECT_EQ(TextArea().SelectedBytes(), "four");
    EXPECT_TRUE(Bar().Notice().isEmpty());

    // Afresh from the top.
    QTest::keyClick(&TextArea(), Qt::Key_Home, Qt::ControlModifier);
    Bar().Field()->clear();
    QTest::keyClicks(Bar().Field(), QStringLiteral("t"));
    ASSERT_EQ(TextArea().CaretLine(), 1); // "two"
    QTest::keyClicks(Bar().Field(), QStringLiteral("h"));
    ASSERT_EQ(TextArea().CaretLine(), 2); // "three"
    QTest::keyClick(Bar().Field(), Qt::Key_Backspace);
    EXPECT_EQ(TextArea().CaretLine(), 1);
    EXPECT_EQ(TextArea().SelectedBytes(), "t");
    EXPECT_TRUE(Bar().Notice().isEmpty());
}

TEST_F(MergedFindTest, EscapeClosesTheBarBeforeTheWindow)
{
    OpenAndFind("pin");
    QTest::keyClick(Bar().Field(), Qt::Key_Escape);
    EXPECT_FALSE(Bar().isVisible());
    EXPECT_TRUE(owner.window->isVisible());
    QTest::keyClick(&TextArea(), Qt::Key_Escape);
    EXPECT_FALSE(owner.window->isVisible());
}

} // namespace
} // namespace lindo::test
