#pragma once

// The window program's application object. An exception that leaves an event
// handler would otherwise end the whole program and lose every unsaved edit;
// here it stops at the top of the event loop, the windows and their text
// stay as they are, and the user is told.

#include <QApplication>
#include <QString>

#include <functional>

namespace lindo {

inline const QString kInternalErrorFormat =
    QStringLiteral("An internal error stopped the last command:\n\n%1\n\n"
                   "Your text is kept. Save the merged text before you go on.");

// Runs `deliver`; an exception it throws is reported through the prompt
// interface instead of going further. False when one was thrown.
bool DeliverGuarded(const std::function<bool()> &deliver);

class CGuardedApplication final : public QApplication {
public:
    CGuardedApplication(int &argc, char **argv) : QApplication(argc, argv) {}
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace lindo
