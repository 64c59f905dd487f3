#include "uikit/prompt.h"

#include <QInputDialog>
#include <QMessageBox>

namespace lindo {

namespace {

class MessageBoxPrompter final : public Prompter {
public:
    PromptAnswer Ask(const PromptRequest &request) override
    {
        QMessageBox box(IconOf(request.icon), request.caption, request.text,
                        ButtonsOf(request.buttons), request.parent);
        if (request.defaultButton)
            box.setDefaultButton(ButtonOf(*request.defaultButton));
        switch (box.exec()) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        default:
            return PromptAnswer::Ok;
        }
    }

    std::optional<int> AskNumber(const NumberRequest &request) override
    {
        bool ok = false;
        const int value = QInputDialog::getInt(request.parent, request.caption, request.text, request.value,
                                               request.minimum, request.maximum, 1, &ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    }

private:
    static QMessageBox::Icon IconOf(PromptIcon icon)
    {
        switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Exclamation:
            return QMessageBox::Warning;
        case PromptIcon::Stop:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
        }
        return QMessageBox::NoIcon;
    }

    static QMessageBox::StandardButton ButtonOf(PromptAnswer answer)
    {
        switch (answer) {
        case PromptAnswer::Yes:
            return QMessageBox::Yes;
        case PromptAnswer::No:
            return QMessageBox::No;
        case PromptAnswer::Cancel:
            return QMessageBox::Cancel;
        case PromptAnswer::Ok:
            break;
        }
        return QMessageBox::Ok;
    }

    static QMessageBox::StandardButtons ButtonsOf(PromptButtons buttons)
    {
        switch (buttons) {
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::Ok:
            break;
        }
        return QMessageBox::Ok;
    }
};

} // namespace

Prompter &Prompter::Default()
{
    static MessageBoxPrompter prompter;
    return prompter;
}

PromptAnswer Ask(QWidget *parent, const QString &caption, const QString &text, PromptIcon icon,
                 PromptButtons buttons, std::optional<PromptAnswer> defaultButton)
{
    return Prompter::Current().Ask(PromptRequest{parent, caption, text, icon, buttons, defaultButton});
}

std::optional<int> AskNumber(QWidget *parent, const QString &caption, const QString &text, int value,
                             int minimum, int maximum)
{
    return Prompter::Current().AskNumber(NumberRequest{parent, caption, text, value, minimum, maximum});
}

QString ApplicationTitle()
{
    return QStringLiteral("lindo");
}

} // namespace lindo
