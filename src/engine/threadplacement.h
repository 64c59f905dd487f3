#pragma once

// Where a thread started to work beside its starter runs.
//
// The scheduler often starts a new thread on the processor of the thread
// that started it, even with another processor idle; the two then take
// turns on one processor until the load balancer moves one of them, which
// can take longer than the whole piece of work (a two-thread merge of
// 100,000 lines measured 0.75 processors busy). While the starter works
// beside it, the new thread is therefore kept off the starter's processor;
// once the starter is about to wait for it, it may run anywhere again, so
// that a busy processor elsewhere cannot hold it up.

#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace lindo {

class KeptOffStarter {
public:
    // Moves `thread` (just started, joinable) to the processors this thread
    // may use other than the one it runs on; does nothing when there is no
    // other, or where the system has no say in it.
    explicit KeptOffStarter(std::thread &thread);
    ~KeptOffStarter() { Release(); }
    KeptOffStarter(const KeptOffStarter &) = delete;
    KeptOffStarter &operator=(const KeptOffStarter &) = delete;

    // Lets the thread run on every processor it could before. Call it
    // before waiting for the thread.
    void Release();

    // Whether the thread is being kept off a processor now.
    bool Kept() const { return m_kept; }

private:
    bool m_kept = false;
#if defined(__linux__)
    std::thread::native_handle_type m_thread{};
    cpu_set_t m_allowed{};
#endif
};

} // namespace lindo
