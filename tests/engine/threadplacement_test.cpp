#include "engine/threadplacement.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace lindo {
namespace {

#if defined(__linux__)
cpu_set_t AffinityOf(std::thread &thread)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    EXPECT_EQ(pthread_getaffinity_np(thread.native_handle(), sizeof set, &set), 0);
    return set;
}

// A thread kept off its starter may use every processor but one while it
// is kept, and all of them again once released.
TEST(ThreadPlacement, KeepsOneProcessorFreeUntilReleased)
{
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    std::atomic<bool> done{false};
    std::thread worker([&done] {
        while (!done.load())
            std::this_thread::yield();
    });
    {
        KeptOffStarter placement(worker);
        cpu_set_t kept = AffinityOf(worker);
        if (CPU_COUNT(&allowed) < 2) {
            EXPECT_FALSE(placement.Kept());
            EXPECT_TRUE(CPU_EQUAL(&kept, &allowed));
        } else {
            EXPECT_TRUE(placement.Kept());
            EXPECT_EQ(CPU_COUNT(&kept), CPU_COUNT(&allowed) - 1);
            CPU_AND(&kept, &kept, &allowed);
            EXPECT_EQ(CPU_COUNT(&kept), CPU_COUNT(&allowed) - 1);
        }
        placement.Release();
        EXPECT_FALSE(placement.Kept());
        cpu_set_t released = AffinityOf(worker);
        EXPECT_TRUE(CPU_EQUAL(&released, &allowed));
    }
    done = true;
    worker.join();
}
#endif

} // namespace
} // namespace lindo
