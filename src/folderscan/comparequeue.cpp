#include "folderscan/comparequeue.h"

#include <algorithm>

namespace lindo {

namespace {

// Workers beside the loop's own thread, which compares too: a file pair
// costs mostly system calls, so one thread per processor keeps them busy.
std::size_t WorkerCount(std::size_t pairs)
{
    if (pairs < 2)
        return 0;
    const std::size_t processors = std::max(2u, std::thread::hardware_concurrency());
    return std::min({processors - 1, std::size_t{3}, pairs - 1});
}

} // namespace

CompareQueue::CompareQueue(std::size_t count, CompareFunction compare, std::vector<std::size_t> batchStarts,
                           std::array<std::string, 2> roots, bool stamps)
    : m_count(count)
    , m_compare(std::move(compare))
    , m_batchStarts(std::move(batchStarts))
    , m_roots(std::move(roots))
    , m_stamps(stamps)
    , m_done(new Result[count])
    , m_ready(new std::atomic<bool>[count])
{
    for (std::size_t n = 0; n < count; ++n)
        m_ready[n].store(false, std::memory_order_relaxed);
    const std::size_t workers = WorkerCount(BatchCount());
    for (std::size_t n = 0; n < workers; ++n) {
        m_workers.emplace_back([this] { Work(); });
        m_placements.push_back(std::make_unique<KeptOffStarter>(m_workers.back()));
    }
}

CompareQueue::~CompareQueue()
{
    m_cancel = true;
    ReleasePlacements();
    for (std::thread &worker : m_workers)
        worker.join();
}

// The loop's thread is about to wait: the workers may use its processor.
void CompareQueue::ReleasePlacements()
{
    for (const std::unique_ptr<KeptOffStarter> &placement : m_placements)
        placement->Release();
}

std::size_t CompareQueue::BatchCount() const
{
    return m_batchStarts.size();
}

std::size_t CompareQueue::BatchOf(std::size_t index) const
{
    return static_cast<std::size_t>(std::upper_bound(m_batchStarts.begin(), m_batchStarts.end(), index)
                                    - m_batchStarts.begin())
           - 1;
}

void CompareQueue::CompareBatch(std::size_t batch, FileComparer &comparer)
{
    const std::size_t end = batch + 1 < m_batchStarts.size() ? m_batchStarts[batch + 1] : m_count;
    for (std::size_t index = m_batchStarts[batch]; index < end; ++index)
        Store(index, m_compare(index, comparer));
}

void CompareQueue::Work()
{
    FileComparer comparer;
    comparer.KeepFolders();
    comparer.SetRoots(m_roots[0], m_roots[1]);
    comparer.SetCancelFlag(&m_cancel);
    if (!m_stamps)
        comparer.LeaveOutStamps();
    while (!m_cancel.load(std::memory_order_relaxed)) {
        const std::size_t batch = m_next.fetch_add(1);
        if (batch >= BatchCount())
            return;
        CompareBatch(batch, comparer);
    }
}

void CompareQueue::Store(std::size_t index, Result result)
{
    m_done[index] = result;
    m_ready[index].store(true, std::memory_order_release);
    m_ready[index].notify_one();
}

CompareQueue::Result CompareQueue::Take(std::size_t index, FileComparer &comparer)
{
    const std::size_t batch = BatchOf(index);
    std::size_t expected = batch;
    // No worker has reached it: compared here rather than waited for.
    if (m_next.load(std::memory_order_relaxed) <= batch && m_next.compare_exchange_strong(expected, batch + 1))
        CompareBatch(batch, comparer);
    // While a worker compares it, this thread takes on the next batches
    // rather than wait idle on a processor the workers could use.
    while (!m_ready[index].load(std::memory_order_acquire)) {
        const std::size_t ahead = m_next.fetch_add(1);
        if (ahead >= BatchCount()) {
            ReleasePlacements();
            m_ready[index].wait(false, std::memory_order_acquire);
            break;
        }
        CompareBatch(ahead, comparer);
    }
    return m_done[index];
}

} // namespace lindo
