#pragma once

// Every message box and modal question of the program goes through here, so
// a test can install its own Prompter and answer without a dialog appearing.

#include "uikit/serviceslot.h"

#include <QString>

#include <optional>

class QWidget;

namespace lindo {

enum class PromptIcon { None, Information, Exclamation, Stop, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct PromptRequest {
    QWidget *parent = nullptr;
    QString caption;
    QString text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    // The button Enter presses; nothing leaves it to the dialog (its first button).
    std::optional<PromptAnswer> defaultButton;
};

// A question for a whole number between two bounds.
struct NumberRequest {
    QWidget *parent = nullptr;
    QString caption;
    QString text;
    int value = 0;
    int minimum = 0;
    int maximum = 0;
};

class Prompter : public ServiceSlot<Prompter> {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer Ask(const PromptRequest &request) = 0;
    // The number given, or nothing when the question was cancelled. A
    // prompter that answers no numbers cancels them all.
    virtual std::optional<int> AskNumber(const NumberRequest & /*request*/) { return std::nullopt; }

private:
    friend class ServiceSlot<Prompter>;
    // The prompter in use when none is installed: QMessageBox and QInputDialog.
    static Prompter &Default();
};

// Shorthand for Prompter::Current().Ask(...).
PromptAnswer Ask(QWidget *parent, const QString &caption, const QString &text,
                 PromptIcon icon, PromptButtons buttons = PromptButtons::Ok,
                 std::optional<PromptAnswer> defaultButton = std::nullopt);

// Shorthand for Prompter::Current().AskNumber(...).
std::optional<int> AskNumber(QWidget *parent, const QString &caption, const QString &text, int value,
                             int minimum, int maximum);

// The caption of application-wide messages such as "No more changes".
QString ApplicationTitle();

} // namespace lindo
