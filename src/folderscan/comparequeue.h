#pragma once

// Compares file pairs ahead of a scan's pairing loop on worker threads, so
// that while the loop offers one row the next pairs are being read. The loop
// still takes the results one by one in its own order; a pair that no worker
// has taken yet when the loop reaches it is compared on the loop's thread.
// The pairs are handed over a batch at a time while the two trees are still
// being paired, so that the workers start on the first folders meanwhile.

#include "folderscan/filecomparer.h"

#include "engine/threadplacement.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace lindo {

class CompareQueue {
public:
    using Result = FileComparer::Result;
    // Compares pair `index` with the given comparer. Called on any thread
    // for a pair of a batch handed over, never before.
    using CompareFunction = std::function<Result(std::size_t index, FileComparer &comparer)>;

    // Room for at most `capacity` pairs, each compared by `compare`. The
    // workers' comparers keep their folders and look them up from `roots`,
    // the folders the two trees begin at; without `stamps` they leave the
    // stamps out (FileComparer::LeaveOutStamps).
    CompareQueue(std::size_t capacity, CompareFunction compare, std::array<std::string, 2> roots,
                 bool stamps = true);
    // Stops the workers (a comparison under way is cut short) and waits for them.
    ~CompareQueue();
    CompareQueue(const CompareQueue &) = delete;
    CompareQueue &operator=(const CompareQueue &) = delete;

    // A thread takes the pairs a batch at a time. A new batch begins at
    // pair `start` (rising, the first 0), and the batch before it, whose
    // pairs must all be ready for `compare` by now, is handed over. Pairs of
    // one folder are best one batch: the thread that compares them looks
    // their folder up once.
    void BeginBatch(std::size_t start);
    // There are `count` pairs in all: the last batch ends there and is handed over.
    void Finish(std::size_t count);

    // The result of pair `index`; indexes must be asked in rising order,
    // after Finish. Meanwhile the calling thread may compare later pairs.
    Result Take(std::size_t index, FileComparer &comparer);

private:
    // Room for one result, written only once the pair is compared.
    struct Slot {
        alignas(Result) unsigned char bytes[sizeof(Result)];
    };

    void Work();
    // Waits until `batch` is handed over (true) or never will be (false).
    bool WaitForBatch(std::size_t batch);
    void StartWorkers();
    void Signal();
    void ReleasePlacements();
    void Store(std::size_t index, Result result);
    std::size_t BatchOf(std::size_t index) const;
    void CompareBatch(std::size_t batch, FileComparer &comparer);

    const CompareFunction m_compare;
    const std::array<std::string, 2> m_roots;
    const bool m_stamps;
    // Where each batch begins; past the last one handed over, where it ends.
    std::unique_ptr<std::size_t[]> m_starts;
    std::size_t m_begun = 0;                // batches begun (the filling thread's own count)
    std::atomic<std::size_t> m_handed{0};   // batches handed over
    std::atomic<bool> m_finished{false};    // every batch has been handed over
    std::atomic<std::uint32_t> m_signals{0}; // bumped whenever the workers may have new work or must stop
    std::atomic<std::size_t> m_next{0};     // the next batch nobody has taken
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<Slot[]> m_done;
    std::unique_ptr<std::atomic<bool>[]> m_ready; // whether m_done holds the pair's result
    std::vector<std::thread> m_workers;
    std::vector<std::unique_ptr<KeptOffStarter>> m_placements; // one per worker
};

} // namespace lindo
