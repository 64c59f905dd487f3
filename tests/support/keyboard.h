#pragma once

// Keyboard use of a dialog as the user does it: Tab moves the focus along the
// window's focus chain, and Enter goes to whatever has the focus.

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace lindo::test {

// Activates `target`'s window and presses Tab until `target` has the focus.
inline testing::AssertionResult TabTo(QWidget *target)
{
    constexpr int kMaxTabPresses = 50;
    QWidget *window = target->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return testing::AssertionFailure() << "the window never became active";
    for (int presses = 0; QApplication::focusWidget() != target; ++presses) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus || presses == kMaxTabPresses)
            return testing::AssertionFailure() << "Tab never reaches the control";
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return testing::AssertionSuccess();
}

// Tabs to `target` and presses Enter; returns the buttons of its window that
// were pressed, in order.
inline std::vector<QAbstractButton *> TabToAndPressEnter(QWidget *target)
{
    std::vector<QAbstractButton *> pressed;
    std::vector<QMetaObject::Connection> watches;
    for (QAbstractButton *button : target->window()->findChildren<QAbstractButton *>()) {
        watches.push_back(QObject::connect(button, &QAbstractButton::clicked,
                                           [&pressed, button] { pressed.push_back(button); }));
    }
    const testing::AssertionResult reached = TabTo(target);
    EXPECT_TRUE(reached);
    if (reached)
        QTest::keyClick(target, Qt::Key_Return);
    for (const QMetaObject::Connection &watch : watches)
        QObject::disconnect(watch);
    return pressed;
}

} // namespace lindo::test
