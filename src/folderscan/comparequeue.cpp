#include "folderscan/comparequeue.h"

#include <sys/stat.h>

#include <algorithm>

namespace lindo {

namespace {

// Workers beside the loop's own thread: a file pair costs mostly system
// calls and waiting for the disk, so one per processor keeps them busy.
std::size_t WorkerCount(std::size_t pairs)
{
    if (pairs < 2)
        return 0;
    const std::size_t processors = std::max(1u, std::thread::hardware_concurrency());
    return std::min({processors, std::size_t{4}, pairs - 1});
}

} // namespace

CompareQueue::CompareQueue(std::size_t count, CompareFunction compare)
    : m_count(count)
    , m_compare(std::move(compare))
    , m_ring(std::min(count, kAhead))
    , m_ringIndex(std::min(count, kAhead), 0)
{
    const std::size_t workers = WorkerCount(count);
    for (std::size_t n = 0; n < workers; ++n)
        m_workers.emplace_back([this] { Work(); });
}

CompareQueue::~CompareQueue()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_cancel = true;
    m_changed.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

void CompareQueue::Work()
{
    FileComparer comparer;
    comparer.SetCancelFlag(&m_cancel);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || m_next >= m_count || m_next < m_consumed + kAhead; });
        if (m_stopping || m_next >= m_count)
            return;
        const std::size_t index = m_next++;
        lock.unlock();
        Done done = m_compare(index, comparer);
        lock.lock();
        m_ring[index % kAhead] = std::move(done);
        m_ringIndex[index % kAhead] = index + 1;
        m_changed.notify_all();
    }
}

CompareQueue::Done CompareQueue::Take(std::size_t index, FileComparer &comparer)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    Done done;
    if (m_next <= index) {
        // No worker has reached it: compared here rather than waited for.
        m_next = index + 1;
        lock.unlock();
        done = m_compare(index, comparer);
        lock.lock();
    } else {
        m_changed.wait(lock, [&] { return m_ringIndex[index % kAhead] == index + 1; });
        done = m_ring[index % kAhead];
    }
    m_consumed = index + 1;
    m_changed.notify_all();
    return done;
}

std::uint64_t CompareQueue::Stamp(const std::string &path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return 0;
    std::uint64_t stamp = 1469598103934665603ull;
    for (const std::uint64_t part :
         {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          static_cast<std::uint64_t>(status.st_size), static_cast<std::uint64_t>(status.st_mtim.tv_sec),
          static_cast<std::uint64_t>(status.st_mtim.tv_nsec), static_cast<std::uint64_t>(status.st_ctim.tv_sec),
          static_cast<std::uint64_t>(status.st_ctim.tv_nsec), static_cast<std::uint64_t>(status.st_mode)})
        stamp = (stamp ^ part) * 1099511628211ull;
    return stamp | 1; // never 0
}

} // namespace lindo
