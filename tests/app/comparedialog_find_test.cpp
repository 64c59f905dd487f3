// Finding text in the panes with the find bar (Ctrl+F), and going to a line
// (Ctrl+G).

#include "mainwindowfixture.h"

#include "app/panefinder.h"
#include "support/standin.h"
#include "uikit/findbar.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <deque>
#include <string>

namespace lindo::test {
namespace {

using mainwindow::kCmdCompare;

// Answers number questions from a queue, and everything else as the
// scripted prompter does.
class NumberPrompter final : public StandIn<Prompter> {
public:
    PromptAnswer Ask(const PromptRequest &) override { return PromptAnswer::Ok; }
    std::optional<int> AskNumber(const NumberRequest &request) override
    {
        requests.push_back(request);
        if (numbers.empty())
            return std::nullopt;
        const int number = numbers.front();
        numbers.pop_front();
        return number;
    }
    std::deque<int> numbers;
    std::vector<NumberRequest> requests;
};

class FindTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // 300 lines; "needle" on lines 20 and 150 of the left file, "Needle"
        // on 250; the right file has three lines more at the top.
        std::string first;
        for (int line = 0; line < 300; ++line) {
            const char *word = line == 20 || line == 150 ? "a needle here" : line == 250 ? "a Needle" : "hay";
            first += "line " + std::to_string(line) + " " + word + "\n";
        }
        WriteFile(dir / "long1.txt", first);
        WriteFile(dir / "long2.txt", "extra\nextra\nextra\n" + first);
        Open();
        CompareFiles("long1.txt", "long2.txt");
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    CDiffView &Left() { return *window->GetView(1); }
    CDiffView &Right() { return *window->GetView(2); }
    CFindBar &Bar() { return *window->Finder()->Bar(); }

    void Type(const char *text)
    {
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(Bar().Field(), QString::fromLatin1(text));
    }
};

TEST_F(FindTest, TypingFindsFromTheMiddleLineDownAndShowsTheLineAsNextChangeDoes)
{
    Left().ScrollToLine(100, true);
    Type("NEEDLE");
    EXPECT_TRUE(Bar().isVisible());
    EXPECT_EQ(Left().MarkedMatch().line, 150);
    EXPECT_EQ(Left().MarkedMatch().byte, 11u);
    EXPECT_EQ(Left().MiddleLine(), 150);
    EXPECT_EQ(Right().MiddleLine(), 153); // the linked line
}

TEST_F(FindTest, F3AndShiftF3StepAndWrapWithANotice)
{
    Type("needle");
    EXPECT_EQ(Left().MarkedMatch().line, 20);
    QTest::keyClick(Bar().Field(), Qt::Key_F3);
    EXPECT_EQ(Left().MarkedMatch().line, 150);
    EXPECT_TRUE(Bar().Notice().isEmpty());
    QTest::keyClick(Bar().Field(), Qt::Key_Return);
    EXPECT_EQ(Left().MarkedMatch().line, 250);
    QTest::keyClick(&Left(), Qt::Key_F3);
    EXPECT_EQ(Left().MarkedMatch().line, 20);
    EXPECT_EQ(Bar().Notice(), findbar::kWrappedForward);
    QTest::keyClick(Bar().Field(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Left().MarkedMatch().line, 250);
    EXPECT_EQ(Bar().Notice(), findbar::kWrappedBackward);
    QTest::keyClick(Bar().Field(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Left().MarkedMatch().line, 150);
    EXPECT_EQ(Left().MiddleLine(), 150);
}

TEST_F(FindTest, MatchCaseFindsOnlyTheTextAsTyped)
{
    Bar().Open();
    QTest::mouseClick(Bar().MatchCaseBox(), Qt::LeftButton);
    ASSERT_TRUE(Bar().MatchCase());
    QTest::keyClicks(Bar().Field(), QStringLiteral("Needle"));
    EXPECT_EQ(Left().MarkedMatch().line, 250);
    QTest::keyClicks(Bar().Field(), QStringLiteral("x"));
    EXPECT_FALSE(Left().MarkedMatch().Found());
    EXPECT_EQ(Bar().Notice(), findbar::kNotFound);
}

TEST_F(FindTest, F3OnTheOnlyMatchFindsItAgainPastEitherEnd)
{
    Bar().Open();
    QTest::mouseClick(Bar().MatchCaseBox(), Qt::LeftButton);
    QTest::keyClicks(Bar().Field(), QStringLiteral("Needle"));
    ASSERT_EQ(Left().MarkedMatch().line, 250);
    QTest::keyClick(Bar().Field(), Qt::Key_F3);
    EXPECT_EQ(Left().MarkedMatch().line, 250);
    EXPECT_EQ(Bar().Notice(), findbar::kWrappedForward);
    QTest::keyClick(Bar().Field(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Left().MarkedMatch().line, 250);
    EXPECT_EQ(Bar().Notice(), findbar::kWrappedBackward);
}

TEST_F(FindTest, BackspaceGoesBackToTheEarlierMatchOfTheShorterText)
{
    Left().ScrollToLine(100, true);
    Type("line 15");
    ASSERT_EQ(Left().MarkedMatch().line, 150);
    QTest::keyClicks(Bar().Field(), QStringLiteral("2"));
    ASSERT_EQ(Left().MarkedMatch().line, 152);
    QTest::keyClick(Bar().Field(), Qt::Key_Backspace);
    EXPECT_EQ(Left().MarkedMatch().line, 150);
    EXPECT_TRUE(Bar().Notice().isEmpty());
}

TEST_F(FindTest, SearchesThePaneThatLastHadTheFocus)
{
    Right().setFocus();
    Type("needle");
    EXPECT_FALSE(Left().MarkedMatch().Found());
    EXPECT_EQ(Right().MarkedMatch().line, 23);
    EXPECT_EQ(Right().MiddleLine(), 23);
}

TEST_F(FindTest, TheFoundTextIsMarked)
{
    Type("needle");
    QApplication::processEvents();
    const QImage image = Left().viewport()->grab().toImage();
    const QRgb mark = QColor(255, 226, 110).rgb();
    // Columns of the viewport with the mark in them, in the found line's band
    // and anywhere else.
    const int top = 20 * Left().LineHeight() - Left().ScrollPosition().y();
    int inLine = 0;
    int elsewhere = 0;
    for (int x = 0; x < image.width(); ++x) {
        bool here = false;
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != mark)
                continue;
            if (y >= top && y < top + Left().LineHeight())
                here = true;
            else
                ++elsewhere;
        }
        inLine += here;
    }
    EXPECT_NEAR(inLine, 6 * Left().CharWidth(), 1);
    EXPECT_EQ(elsewhere, 0);
}

TEST_F(FindTest, AFindFarAlongALineScrollsBothPanesSideways)
{
    // Line 50 of 100 is wide; the same file on both sides.
    std::string text;
    for (int line = 0; line < 100; ++line)
        text += line == 50 ? std::string(400, '.') + "far\n" : "short\n";
    WriteFile(dir / "wide.txt", text);
    CompareFiles("wide.txt", "wide.txt");
    Type("far");
    const int x = Left().ScrollPosition().x();
    const int matchLeft = 10 + (4 + 400) * Left().CharWidth();
    EXPECT_LE(x, matchLeft);
    EXPECT_GE(x + Left().viewport()->width(), matchLeft + 3 * Left().CharWidth());
    EXPECT_EQ(Right().ScrollPosition().x(), x);
    Type("short");
    EXPECT_EQ(Left().ScrollPosition().x(), 0);
}

TEST_F(FindTest, EscapeClosesOnlyTheBarAndThenEndsTheWindow)
{
    Type("needle");
    const QRect openPane = Left().geometry();
    QTest::keyClick(Bar().Field(), Qt::Key_Escape);
    EXPECT_FALSE(Bar().isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(Left().MarkedMatch().Found());
    EXPECT_GT(Left().geometry().height(), openPane.height());
    EXPECT_EQ(Left().geometry(), window->GetPaneRect(1));
    QTest::keyClick(&Left(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST_F(FindTest, CtrlGBringsTheAnsweredLineOfTheFocusedPaneToTheMiddle)
{
    NumberPrompter numbers;
    numbers.numbers = {200};
    Right().setFocus();
    QTest::keyClick(&Right(), Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(numbers.requests.size(), 1u);
    EXPECT_EQ(numbers.requests[0].maximum, 302);
    EXPECT_EQ(Right().MiddleLine(), 200);
    EXPECT_EQ(Left().MiddleLine(), 197);
}

} // namespace
} // namespace lindo::test
