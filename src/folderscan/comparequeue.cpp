#include "folderscan/comparequeue.h"

#include <algorithm>
#include <new>

namespace lindo {

namespace {

// Workers beside the loop's own thread, which compares too: a file pair
// costs mostly system calls, so one thread per processor keeps them busy.
std::size_t WorkerCount()
{
    const std::size_t processors = std::max(2u, std::thread::hardware_concurrency());
    return std::min(processors - 1, std::size_t{3});
}

} // namespace

CompareQueue::CompareQueue(std::size_t capacity, CompareFunction compare, std::array<std::string, 2> roots,
                           bool stamps)
    : m_compare(std::move(compare))
    , m_roots(std::move(roots))
    , m_stamps(stamps)
    , m_starts(new std::size_t[capacity + 1])
    // Left unfilled: only the pairs compared are ever written, and a scan
    // of many files would otherwise write them all up front.
    , m_done(std::make_unique_for_overwrite<Slot[]>(capacity))
    , m_ready(new std::atomic<bool>[capacity])
{
    for (std::size_t n = 0; n < capacity; ++n)
        m_ready[n].store(false, std::memory_order_relaxed);
}

CompareQueue::~CompareQueue()
{
    m_cancel = true;
    Signal();
    ReleasePlacements();
    for (std::thread &worker : m_workers)
        worker.join();
}

void CompareQueue::BeginBatch(std::size_t start)
{
    m_starts[m_begun++] = start;
    if (m_begun < 2)
        return;
    m_handed.store(m_begun - 1, std::memory_order_release);
    // Workers only once there are two batches: one is the loop's own.
    if (m_workers.empty())
        StartWorkers();
    Signal();
}

void CompareQueue::Finish(std::size_t count)
{
    // No pairs: no batch. Else every batch begun holds a pair, so there is
    // room for where the last one ends.
    if (count > 0)
        m_starts[m_begun] = count;
    m_handed.store(count > 0 ? m_begun : 0, std::memory_order_release);
    m_finished.store(true, std::memory_order_release);
    Signal();
}

void CompareQueue::StartWorkers()
{
    for (std::size_t n = WorkerCount(); n > 0; --n) {
        m_workers.emplace_back([this] { Work(); });
        m_placements.push_back(std::make_unique<KeptOffStarter>(m_workers.back()));
    }
}

void CompareQueue::Signal()
{
    m_signals.fetch_add(1, std::memory_order_release);
    m_signals.notify_all();
}

// The loop's thread is about to wait: the workers may use its processor.
void CompareQueue::ReleasePlacements()
{
    for (const std::unique_ptr<KeptOffStarter> &placement : m_placements)
        placement->Release();
}

std::size_t CompareQueue::BatchOf(std::size_t index) const
{
    const std::size_t *starts = m_starts.get();
    const std::size_t handed = m_handed.load(std::memory_order_acquire);
    return static_cast<std::size_t>(std::upper_bound(starts, starts + handed, index) - starts) - 1;
}

void CompareQueue::CompareBatch(std::size_t batch, FileComparer &comparer)
{
    for (std::size_t index = m_starts[batch]; index < m_starts[batch + 1]; ++index)
        Store(index, m_compare(index, comparer));
}

bool CompareQueue::WaitForBatch(std::size_t batch)
{
    for (;;) {
        const std::uint32_t seen = m_signals.load(std::memory_order_acquire);
        if (m_cancel.load(std::memory_order_relaxed))
            return false;
        if (batch < m_handed.load(std::memory_order_acquire))
            return true;
        if (m_finished.load(std::memory_order_acquire))
            return batch < m_handed.load(std::memory_order_acquire);
        m_signals.wait(seen, std::memory_order_acquire);
    }
}

void CompareQueue::Work()
{
    FileComparer comparer;
    comparer.KeepFolders();
    comparer.SetRoots(m_roots[0], m_roots[1]);
    comparer.SetCancelFlag(&m_cancel);
    if (!m_stamps)
        comparer.LeaveOutStamps();
    for (;;) {
        const std::size_t batch = m_next.fetch_add(1);
        if (!WaitForBatch(batch))
            return;
        CompareBatch(batch, comparer);
    }
}

void CompareQueue::Store(std::size_t index, Result result)
{
    new (m_done[index].bytes) Result(result);
    m_ready[index].store(true, std::memory_order_release);
    m_ready[index].notify_one();
}

CompareQueue::Result CompareQueue::Take(std::size_t index, FileComparer &comparer)
{
    const std::size_t batch = BatchOf(index);
    const std::size_t batches = m_handed.load(std::memory_order_acquire);
    std::size_t expected = batch;
    // No worker has reached it: compared here rather than waited for.
    if (m_next.load(std::memory_order_relaxed) <= batch && m_next.compare_exchange_strong(expected, batch + 1))
        CompareBatch(batch, comparer);
    // While a worker compares it, this thread takes on the next batches
    // rather than wait idle on a processor the workers could use.
    while (!m_ready[index].load(std::memory_order_acquire)) {
        const std::size_t ahead = m_next.fetch_add(1);
        if (ahead >= batches) {
            ReleasePlacements();
            m_ready[index].wait(false, std::memory_order_acquire);
            break;
        }
        CompareBatch(ahead, comparer);
    }
    return *std::launder(reinterpret_cast<const Result *>(m_done[index].bytes));
}

} // namespace lindo
