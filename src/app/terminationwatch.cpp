#include "app/terminationwatch.h"

#include "engine/safewrite.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lindo {

namespace {

constexpr int kWatchedSignals[] = {SIGTERM, SIGHUP, SIGINT};

// A signal handler reaches only what is global: the pipe's writing end.
volatile sig_atomic_t g_wakeFd = -1;

extern "C" void OnTerminationSignal(int number)
{
    const int savedErrno = errno;
    // Async-signal-safe: a save the signal interrupts leaves no temporary
    // file behind.
    RemoveWriterTemporary();
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_wakeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationWatch::TerminationWatch(QObject *parent) : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no watch: the signals keep their default action
    g_wakeFd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationWatch::OnReadable);
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kWatchedSignals)
        ::sigaction(number, &action, nullptr);
}

TerminationWatch::~TerminationWatch()
{
    if (m_pipe[0] < 0)
        return;
    for (int number : kWatchedSignals)
        std::signal(number, SIG_DFL);
    g_wakeFd = -1;
    delete m_notifier;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void TerminationWatch::OnReadable()
{
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1)
        emit Terminated(byte);
}

} // namespace lindo
