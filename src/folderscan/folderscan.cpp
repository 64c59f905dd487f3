#include "folderscan/folderscan.h"

#include "folderscan/comparequeue.h"
#include "folderscan/folderpath.h"

#include "engine/threadplacement.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <unordered_set>
#include <vector>

namespace lindo {

namespace {

// Whether a folder holding the relative path is among `folders`.
bool BelowOneOf(std::string_view relativePath, const std::unordered_set<std::string> &folders)
{
    if (folders.empty())
        return false;
    const std::string folded = LowerCase(relativePath);
    for (std::size_t at = folded.find(kPathSeparator, 1); at != std::string::npos;
         at = folded.find(kPathSeparator, at + 1)) {
        if (folders.count(folded.substr(0, at)) != 0)
            return true;
    }
    return false;
}

// Where the batches of compared pairs begin: a new batch with every new
// folder on either side, and at most 64 pairs to a batch, so that the
// threads still share out a folder of many files. Given the pairs' relative
// paths in order, as they are paired: the paths are at hand then, where a
// pass of its own would fetch every one from memory again. Each new batch
// hands the one before it to the queue.
class BatchStarts {
public:
    explicit BatchStarts(CompareQueue &queue)
        : m_queue(queue)
    {
    }
    void Add(std::string_view relative1, std::string_view relative2)
    {
        constexpr std::size_t kMostPairs = 64;
        const std::string_view here1 = FolderOf(relative1);
        const std::string_view here2 = FolderOf(relative2);
        if (m_pairs == 0 || here1 != m_folder1 || here2 != m_folder2 || m_pairs - m_start >= kMostPairs) {
            m_queue.BeginBatch(m_pairs);
            m_start = m_pairs;
            m_folder1 = here1;
            m_folder2 = here2;
        }
        ++m_pairs;
    }

private:
    static std::string_view FolderOf(std::string_view path) { return path.substr(0, path.rfind(kPathSeparator)); }

    CompareQueue &m_queue;
    std::string_view m_folder1;
    std::string_view m_folder2;
    std::size_t m_start = 0; // where the last batch began
    std::size_t m_pairs = 0;
};

// The entries and their paths lie scattered over the heap, so the pairing
// merge waits on memory far more than it computes (two-thirds of its time on
// 40,000 files): each step asks for the entry and the path it reaches soon.
void FetchAhead(const std::vector<const FolderEntry *> &files, std::size_t at)
{
    constexpr std::size_t kAhead = 8;
    if (at + 2 * kAhead < files.size())
        __builtin_prefetch(files[at + 2 * kAhead]);
    if (at + kAhead < files.size())
        __builtin_prefetch(files[at + kAhead]->path.data());
}

bool IsFolder(const FolderEntry *entry)
{
    return entry && entry->isFolder;
}

// A link not followed counts only where the other tree has a folder it read
// at the same path: its files are what the link would have been compared
// with. Elsewhere it stands for no files at all, as an empty folder would,
// also where the other tree has a link not followed too (two links to
// folders compared by their own names, say).
void DropUnmatchedLinks(std::vector<const FolderEntry *> &entries, std::size_t cut, const FolderListing &other,
                        std::size_t otherCut)
{
    std::erase_if(entries, [&](const FolderEntry *entry) {
        if (entry->notFollowed == NotFollowed::No)
            return false;
        const FolderEntry *facing = other.FindFolder(std::string_view(entry->path).substr(cut), otherCut);
        return !facing || facing->notFollowed != NotFollowed::No;
    });
}

} // namespace

// The questions the thread reading the second tree owes the host, one per
// folder, asked on the host's thread as it gets to them. The reading thread
// never waits for an answer: handing a turn from thread to thread for every
// folder cost more than reading the folder. It stops at the first folder
// after an answer to stop.
class FolderScan::FolderTurns {
public:
    // Reading thread, before each folder: false once the run is to stop.
    bool Ask()
    {
        if (m_stopped.load(std::memory_order_relaxed))
            return false;
        m_owed.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    // Host's thread: asks `goOn` once for every folder asked about so far,
    // until it answers false.
    template <typename GoOn>
    void Answer(const GoOn &goOn)
    {
        for (const int owed = m_owed.load(std::memory_order_relaxed); m_answered < owed && !Stopped(); ++m_answered) {
            if (!goOn())
                Stop();
        }
    }
    void Stop() { m_stopped.store(true, std::memory_order_relaxed); }
    bool Stopped() const { return m_stopped.load(std::memory_order_relaxed); }

private:
    std::atomic<int> m_owed{0};
    std::atomic<bool> m_stopped{false};
    int m_answered = 0; // host's thread only
};

// One pairing step: the entry of either side, or of both when their
// relative paths are equal ignoring case.
struct FolderScan::Step {
    const FolderEntry *entry1;
    const FolderEntry *entry2;
};

// The steps of one run and what they are compared against.
struct FolderScan::Pairing {
    std::vector<Step> steps;
    std::vector<std::size_t> compared; // the steps that compare files, in order
    std::size_t cut1;                  // the length of side 1's searched folder in its entries' paths
    std::size_t cut2;
    std::string start1; // the folder boxes' texts when the run began
    std::string start2;
    bool checkAhead; // whether a comparison made ahead is checked against the files before use

    // The step's path relative to side 1's or 2's folder (the other side's
    // when the side has no entry).
    std::string_view Relative(const Step &step, int side) const
    {
        const FolderEntry *entry = side == 1 ? step.entry1 : step.entry2;
        if (!entry)
            entry = side == 1 ? step.entry2 : step.entry1;
        return std::string_view(entry->path).substr(entry == step.entry1 ? cut1 : cut2);
    }
};

FolderScan::FolderScan(FolderScanHost &host)
    : m_host(host)
{
}

FolderScan::~FolderScan() = default;

const FolderListing *FolderScan::Listing(int side) const
{
    return side == 1 ? m_listing1.get() : m_listing2.get();
}

bool FolderScan::PumpMessages()
{
    if (!m_stopped && m_host.PumpMessages())
        m_stopped = true;
    return m_stopped;
}

void FolderScan::Run(const std::string &folder1, const std::string &folder2)
{
    m_inconsistency = false;
    m_host.ShowStatus(kStatusComparing);
    CompareFolders(folder1, folder2);
    m_host.ShowStatus(m_inconsistency ? kStatusDoneInconsistent : kStatusDone);
}

void FolderScan::CompareFolders(const std::string &folder1, const std::string &folder2)
{
    m_listing1.reset();
    m_listing2.reset();
    m_running = true;
    m_stopped = false;
    struct RunningGuard {
        bool &running;
        ~RunningGuard() { running = false; }
    } guard{m_running};

    // Relative paths are cut from the full paths by the length of the folder
    // as it was searched, so a folder typed as a relative path works too.
    const std::string search1 = SearchFolder(folder1);
    const std::string search2 = SearchFolder(folder2);
    std::vector<const FolderEntry *> files1;
    std::vector<const FolderEntry *> files2;
    ReadListings(search1, search2, files1, files2);
    if (m_stopped)
        return;
    DropUnmatchedLinks(files1, search1.size(), *m_listing2, search2.size());
    DropUnmatchedLinks(files2, search2.size(), *m_listing1, search1.size());
    PairFiles(files1, search1.size(), files2, search2.size());
}

// The two trees are read at the same time, the second on a thread of its own:
// reading a folder costs mostly system calls, which two processors share out.
// The host is still asked once for every folder of either tree, always on
// this thread (its handlers run here). Each thread then lays out its tree's
// files for the pairing (FlattenComparable) into `files1` or `files2`.
void FolderScan::ReadListings(const std::string &search1, const std::string &search2,
                              std::vector<const FolderEntry *> &files1, std::vector<const FolderEntry *> &files2)
{
    FolderTurns turns;
    std::packaged_task<std::unique_ptr<FolderListing>()> readSecond([&] {
        std::unique_ptr<FolderListing> listing =
            FolderListing::Read(search2, [&turns] { return !turns.Ask(); }, {search1});
        FlattenComparable(*listing, files2);
        return listing;
    });
    std::future<std::unique_ptr<FolderListing>> second = readSecond.get_future();
    std::thread reader(std::move(readSecond));
    // Should this thread leave early (an exception), the other stops too.
    struct StopOnLeave {
        FolderTurns &turns;
        std::thread &reader;
        ~StopOnLeave()
        {
            turns.Stop();
            reader.join();
        }
    } stopOnLeave{turns, reader};
    KeptOffStarter placement(reader);
    const auto goOn = [this] { return !PumpMessages(); };
    m_listing1 = FolderListing::Read(search1, [&] {
        turns.Answer(goOn);
        if (PumpMessages())
            turns.Stop();
        return m_stopped;
    }, {search2});
    FlattenComparable(*m_listing1, files1);
    placement.Release();
    while (second.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
        turns.Answer(goOn);
    turns.Answer(goOn);
    m_listing2 = second.get();
}

// Walks both sorted file lists together like a merge, taking the smaller
// relative path (or both at once when they are equal ignoring case). The
// pairs of files are handed to the queue a batch at a time as they are
// found, and compared ahead while the walk goes on.
void FolderScan::PairFiles(const std::vector<const FolderEntry *> &files1, std::size_t cut1,
                           const std::vector<const FolderEntry *> &files2, std::size_t cut2)
{
    Pairing pairing{{}, {}, cut1, cut2, m_host.FolderPath(1), m_host.FolderPath(2), m_host.PumpMayChangeFiles()};
    // Room for every step there can be (each takes at least one entry): the
    // workers read the steps handed over while more are added, so the
    // vectors must never move.
    const std::size_t most = files1.size() + files2.size();
    std::vector<Step> &steps = pairing.steps;
    std::vector<std::size_t> &compared = pairing.compared;
    steps.reserve(most);
    compared.reserve(most);
    CompareQueue queue(
        most,
        [&pairing](std::size_t index, FileComparer &comparer) {
            const Step &step = pairing.steps[pairing.compared[index]];
            // Each thread's own path texts, kept from pair to pair.
            thread_local std::string full1;
            thread_local std::string full2;
            JoinPathInto(full1, pairing.start1, pairing.Relative(step, 1));
            JoinPathInto(full2, pairing.start2, pairing.Relative(step, 2));
            return comparer.Compare(full1, full2, step.entry1 && step.entry1->regularFile,
                                    step.entry2 && step.entry2->regularFile,
                                    step.entry1 && step.entry2 && step.entry1->storedFile && step.entry2->storedFile);
        },
        {pairing.start1, pairing.start2}, pairing.checkAhead);
    BatchStarts batches(queue);
    const auto add = [&](const FolderEntry *entry1, const FolderEntry *entry2) {
        if (!IsFolder(entry1) && !IsFolder(entry2)) {
            compared.push_back(steps.size());
            const std::string_view path1 = entry1 ? std::string_view(entry1->path).substr(cut1)
                                                  : std::string_view(entry2->path).substr(cut2);
            batches.Add(path1, entry2 ? std::string_view(entry2->path).substr(cut2) : path1);
        }
        steps.push_back({entry1, entry2});
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < files1.size() || j < files2.size()) {
        FetchAhead(files1, i);
        FetchAhead(files2, j);
        if (i < files1.size() && j < files2.size()) {
            const int order = CompareNoCase(std::string_view(files1[i]->path).substr(cut1),
                                            std::string_view(files2[j]->path).substr(cut2));
            if (order == 0)
                add(files1[i++], files2[j++]);
            else if (order < 0)
                add(files1[i++], nullptr);
            else
                add(nullptr, files2[j++]);
        } else if (i < files1.size()) {
            add(files1[i++], nullptr);
        } else {
            add(nullptr, files2[j++]);
        }
    }
    queue.Finish(compared.size());
    RunSteps(pairing, queue);
}

void FolderScan::RunSteps(const Pairing &pairing, CompareQueue &queue)
{
    const std::vector<Step> &steps = pairing.steps;
    const std::vector<std::size_t> &compared = pairing.compared;
    const std::string &start1 = pairing.start1;
    const std::string &start2 = pairing.start2;
    const bool checkAhead = pairing.checkAhead;

    // The folded relative paths of the folders each side could not open or
    // did not follow.
    std::unordered_set<std::string> unreadable1;
    std::unordered_set<std::string> unreadable2;
    for (const Step &step : steps) {
        if (IsFolder(step.entry1))
            unreadable1.insert(LowerCase(pairing.Relative(step, 1)));
        if (IsFolder(step.entry2))
            unreadable2.insert(LowerCase(pairing.Relative(step, 2)));
    }
    FileComparer aheadComparer; // for the pairs this thread takes on from the queue
    aheadComparer.KeepFolders();
    aheadComparer.SetRoots(start1, start2);
    // Stamps only tell whether a file changed before its row was offered.
    if (!checkAhead)
        aheadComparer.LeaveOutStamps();
    std::size_t next = 0;
    for (std::size_t n = 0; n < steps.size(); ++n) {
        const Step &step = steps[n];
        const std::string_view relative1 = pairing.Relative(step, 1);
        if (next < compared.size() && compared[next] == n) {
            const FileComparer::Result taken = queue.Take(next++, aheadComparer);
            // The other side's files below a folder that one side could not
            // open were not compared: that folder's own row says so.
            if (!BelowOneOf(relative1, step.entry1 ? unreadable2 : unreadable1))
                OfferTaken(relative1, pairing.Relative(step, 2), start1, start2, checkAhead, taken);
        } else {
            const int side = IsFolder(step.entry1) ? 1 : 2;
            OfferNotRead(relative1, side == 1 ? *step.entry1 : *step.entry2, side);
        }
        if (PumpMessages())
            return;
    }
}

// Offers a pair compared ahead, or compares it again when the folder boxes
// or the files have changed since.
void FolderScan::OfferTaken(std::string_view relative1, std::string_view relative2, const std::string &start1,
                            const std::string &start2, bool checkFiles, const FileComparer::Result &taken)
{
    const std::string folder1 = m_host.FolderPath(1);
    const std::string folder2 = m_host.FolderPath(2);
    if (folder1 == start1 && folder2 == start2 && !checkFiles) {
        OfferResult(relative1, folder1, relative2, folder2, taken);
        return;
    }
    const std::string full1 = JoinPath(folder1, relative1);
    const std::string full2 = JoinPath(folder2, relative2);
    const bool unchanged = folder1 == start1 && folder2 == start2
                           && taken.stamps[0] == FileComparer::Stamp(full1)
                           && taken.stamps[1] == FileComparer::Stamp(full2);
    OfferResult(relative1, folder1, relative2, folder2, unchanged ? taken : m_comparer.Compare(full1, full2));
}

void FolderScan::OfferNotRead(std::string_view relativePath, const FolderEntry &folder, int side)
{
    if (folder.notFollowed == NotFollowed::No) {
        OfferUnreadable(relativePath, folder.path, side, folder.readError);
        return;
    }
    m_inconsistency = true;
    m_host.ReportNotFollowed(relativePath, folder.path, folder.notFollowed);
    Offer(relativePath, side == 1 ? FolderNotFollowed1 : FolderNotFollowed2);
}

void FolderScan::OfferUnreadable(std::string_view relativePath, const std::string &full, int side, int error)
{
    m_inconsistency = true;
    m_host.ReportUnreadable(relativePath, full, error);
    Offer(relativePath, side == 1 ? FolderUnreadable1 : FolderUnreadable2);
}

void FolderScan::Offer(std::string_view relativePath, FolderState state)
{
    m_host.OfferRow(std::string(relativePath), state);
}

void FolderScan::ClassifyPair(std::string_view relativePath1, std::string_view relativePath2)
{
    // On a file system that tells case apart, "Readme" on one side cannot be
    // opened as "README" on the other, so each side keeps its own spelling.
    const std::string folder1 = m_host.FolderPath(1);
    const std::string folder2 = m_host.FolderPath(2);
    OfferResult(relativePath1, folder1, relativePath2, folder2,
                m_comparer.Compare(JoinPath(folder1, relativePath1), JoinPath(folder2, relativePath2)));
}

void FolderScan::OfferResult(std::string_view relativePath1, const std::string &folder1,
                             std::string_view relativePath2, const std::string &folder2,
                             const FileComparer::Result &result)
{
    switch (result.outcome) {
    case FileComparer::Outcome::Missing1:
        Offer(relativePath1, FolderOnlyIn2);
        return;
    case FileComparer::Outcome::Missing2:
        Offer(relativePath1, FolderOnlyIn1);
        return;
    case FileComparer::Outcome::Unreadable1:
        OfferUnreadable(relativePath1, JoinPath(folder1, relativePath1), 1, result.error);
        return;
    case FileComparer::Outcome::Unreadable2:
        OfferUnreadable(relativePath1, JoinPath(folder2, relativePath2), 2, result.error);
        return;
    case FileComparer::Outcome::Special: {
        m_inconsistency = true;
        static constexpr FolderState kStates[] = {FolderPipe, FolderDevice, FolderSocket};
        Offer(relativePath1, kStates[static_cast<int>(result.kind)]);
        return;
    }
    case FileComparer::Outcome::Same:
        if (m_host.ReadFoldersShowSame() != 0)
            Offer(relativePath1, FolderSame);
        return;
    case FileComparer::Outcome::ReadError:
        m_inconsistency = true;
        break;
    case FileComparer::Outcome::Different:
        break;
    }
    if (result.time1 > result.time2) {
        Offer(relativePath1, FolderNewer1);
    } else if (result.time2 > result.time1) {
        Offer(relativePath1, FolderNewer2);
    } else {
        // Equal times with other bytes are normal after a copy or a
        // checkout, and the row's own text says so.
        Offer(relativePath1, FolderSameTime);
    }
}

} // namespace lindo
