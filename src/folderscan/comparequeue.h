#pragma once

// Compares file pairs ahead of a scan's pairing loop on worker threads, so
// that while the loop offers one row the next pairs are being read. The loop
// still takes the results one by one in its own order; a pair that no worker
// has taken yet when the loop reaches it is compared on the loop's thread.

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
    // Compares pair `index` with the given comparer.
    using CompareFunction = std::function<Result(std::size_t index, FileComparer &comparer)>;

    // `count` pairs, each compared by `compare`. A thread takes the pairs a
    // batch at a time: the batches begin at the indexes in `batchStarts`
    // (rising, the first 0; empty only when there are no pairs). Pairs of
    // one folder are best one batch: the thread that compares them looks
    // their folder up once. The workers' comparers keep their folders and
    // look them up from `roots`, the folders the two trees begin at; without
    // `stamps` they leave the stamps out (FileComparer::LeaveOutStamps).
    CompareQueue(std::size_t count, CompareFunction compare, std::vector<std::size_t> batchStarts,
                 std::array<std::string, 2> roots, bool stamps = true);
    // Stops the workers (a comparison under way is cut short) and waits for them.
    ~CompareQueue();
    CompareQueue(const CompareQueue &) = delete;
    CompareQueue &operator=(const CompareQueue &) = delete;

    // The result of pair `index`; indexes must be asked in rising order.
    // Meanwhile the calling thread may compare later pairs.
    Result Take(std::size_t index, FileComparer &comparer);

private:
    void Work();
    void ReleasePlacements();
    void Store(std::size_t index, Result result);
    std::size_t BatchCount() const;
    std::size_t BatchOf(std::size_t index) const;
    void CompareBatch(std::size_t batch, FileComparer &comparer);

    const std::size_t m_count;
    const CompareFunction m_compare;
    const std::vector<std::size_t> m_batchStarts;
    const std::array<std::string, 2> m_roots;
    const bool m_stamps;
    std::atomic<std::size_t> m_next{0}; // the next batch nobody has taken
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<Result[]> m_done;
    std::unique_ptr<std::atomic<bool>[]> m_ready; // whether m_done holds the pair's result
    std::vector<std::thread> m_workers;
    std::vector<std::unique_ptr<KeptOffStarter>> m_placements; // one per worker
};

} // namespace lindo
