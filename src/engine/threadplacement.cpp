#include "engine/threadplacement.h"

#if defined(__linux__)
#include <pthread.h>
#endif

namespace lindo {

KeptOffStarter::KeptOffStarter(std::thread &thread)
{
#if defined(__linux__)
    if (!thread.joinable() || sched_getaffinity(0, sizeof m_allowed, &m_allowed) != 0 || CPU_COUNT(&m_allowed) < 2)
        return;
    const int here = sched_getcpu();
    if (here < 0 || here >= CPU_SETSIZE || !CPU_ISSET(here, &m_allowed))
        return;
    cpu_set_t elsewhere = m_allowed;
    CPU_CLR(here, &elsewhere);
    m_thread = thread.native_handle();
    m_kept = pthread_setaffinity_np(m_thread, sizeof elsewhere, &elsewhere) == 0;
#else
    (void)thread;
#endif
}

void KeptOffStarter::Release()
{
#if defined(__linux__)
    if (m_kept)
        pthread_setaffinity_np(m_thread, sizeof m_allowed, &m_allowed);
#endif
    m_kept = false;
}

} // namespace lindo
