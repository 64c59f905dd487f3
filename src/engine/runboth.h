#pragma once

// Two halves of one piece of work on two cores.

#include "engine/threadplacement.h"

#include <array>
#include <exception>
#include <system_error>
#include <thread>

namespace lindo {

// Runs work(0) on a second thread and work(1) on this one, and waits for
// both. When no thread can be started the two run one after the other.
// work must not throw: an exception leaving work(1) while the thread runs
// would end the process.
template <typename Work>
void RunBoth(Work &&work)
{
    std::thread other;
    try {
        other = std::thread([&work] { work(0); });
    } catch (const std::system_error &) {
        work(0);
    }
    KeptOffStarter placement(other);
    work(1);
    placement.Release();
    if (other.joinable())
        other.join();
}

// RunBoth for work that may throw (running out of memory): what either half
// throws is thrown again here, once both have ended.
template <typename Work>
void RunBothPassingOn(Work &&work)
{
    std::array<std::exception_ptr, 2> thrown;
    RunBoth([&](std::size_t n) {
        try {
            work(n);
        } catch (...) {
            thrown[n] = std::current_exception();
        }
    });
    for (const std::exception_ptr &exception : thrown) {
        if (exception)
            std::rethrow_exception(exception);
    }
}

} // namespace lindo
