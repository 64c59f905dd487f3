#pragma once

// Drives a modal dialog that code under test opens with exec(): once the
// dialog is up, `handle` is called with it and must close it. Should no
// dialog come up in time, every visible dialog is rejected so the test can
// never hang; `Handled()` then says false.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace lindo::test {

class ModalDialogDriver {
public:
    explicit ModalDialogDriver(std::function<void(QDialog &)> handle, int timeoutMs = 5000)
        : m_state(std::make_shared<State>())
    {
        m_state->handle = std::move(handle);
        m_state->triesLeft = timeoutMs / kPollMs;
        Poll(m_state);
    }

    bool Handled() const { return m_state->handled; }

private:
    static constexpr int kPollMs = 10;

    struct State {
        std::function<void(QDialog &)> handle;
        int triesLeft = 0;
        bool handled = false;
    };

    static void Poll(std::shared_ptr<State> state)
    {
        QTimer::singleShot(kPollMs, [state] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                state->handled = true;
                state->handle(*dialog);
                return;
            }
            if (--state->triesLeft > 0) {
                Poll(state);
                return;
            }
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
                    dialog->reject();
            }
        });
    }

    std::shared_ptr<State> m_state;
};

} // namespace lindo::test
