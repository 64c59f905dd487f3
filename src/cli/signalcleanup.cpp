#include "cli/signalcleanup.h"

#include "engine/safewrite.h"

#include <csignal>

namespace lindo {

namespace {

extern "C" void RemoveTemporaryAndEnd(int signalNumber)
{
    RemoveWriterTemporary();
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

} // namespace

void RemoveWriterTemporaryOnSignals()
{
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before {};
        if (::sigaction(signalNumber, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            ::sigaction(signalNumber, &action, nullptr);
    }
}

} // namespace lindo
