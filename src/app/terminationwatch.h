#pragma once

// SIGTERM, SIGHUP and SIGINT (a logout, `kill`, a closed terminal, Ctrl+C in
// it) would end the program with its unsaved merged text. While a watch
// lives, they arrive as Terminated on the event loop instead, where the text
// can be kept: the handler itself only removes the writer's temporary file and
// writes the signal's number into a pipe, which is all a handler may safely
// do, and a socket notifier reads it from the loop.

#include <QObject>

class QSocketNotifier;

namespace lindo {

class TerminationWatch final : public QObject {
    Q_OBJECT

public:
    // One watch at a time: it takes over the three signals until destroyed.
    explicit TerminationWatch(QObject *parent = nullptr);
    ~TerminationWatch() override;
    TerminationWatch(const TerminationWatch &) = delete;
    TerminationWatch &operator=(const TerminationWatch &) = delete;

signals:
    void Terminated(int signalNumber);

private:
    void OnReadable();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr; // a child
};

} // namespace lindo
