#include "app/guardedapplication.h"

#include "uikit/prompt.h"

#include <exception>

namespace lindo {

namespace {

void Report(const QString &what)
{
    // The message box runs an event loop of its own; a fault inside it must
    // not open another box on top, nor escape.
    static bool reporting = false;
    if (reporting)
        return;
    reporting = true;
    try {
        Ask(nullptr, ApplicationTitle(), kInternalErrorFormat.arg(what), PromptIcon::Stop);
    } catch (...) {
    }
    reporting = false;
}

} // namespace

bool DeliverGuarded(const std::function<bool()> &deliver)
{
    try {
        return deliver();
    } catch (const std::exception &error) {
        Report(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Report(QStringLiteral("unknown exception"));
    }
    return false;
}

bool CGuardedApplication::notify(QObject *receiver, QEvent *event)
{
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}

} // namespace lindo
