#include "folderscan/folderscan.h"

#include "folderscan/folderpath.h"

#include <vector>

namespace lindo {

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
    const auto stopRequested = [this] { return PumpMessages(); };
    m_listing1 = FolderListing::Read(search1, stopRequested);
    m_listing2 = FolderListing::Read(search2, stopRequested);
    if (m_stopped)
        return;

    std::vector<std::string_view> files1;
    std::vector<std::string_view> files2;
    FlattenFiles(*m_listing1, files1);
    FlattenFiles(*m_listing2, files2);
    PairFiles(files1, search1.size(), files2, search2.size());
}

// Walks both sorted file lists together like a merge, offering the smaller
// relative path (or both at once when they are equal ignoring case).
void FolderScan::PairFiles(const std::vector<std::string_view> &files1, std::size_t cut1,
                           const std::vector<std::string_view> &files2, std::size_t cut2)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < files1.size() || j < files2.size()) {
        if (i < files1.size() && j < files2.size()) {
            const std::string_view relative1 = files1[i].substr(cut1);
            const std::string_view relative2 = files2[j].substr(cut2);
            const int order = CompareNoCase(relative1, relative2);
            if (order == 0) {
                ClassifyPair(relative1, relative2);
                ++i;
                ++j;
            } else if (order < 0) {
                ClassifyPair(relative1);
                ++i;
            } else {
                ClassifyPair(relative2);
                ++j;
            }
        } else if (i < files1.size()) {
            ClassifyPair(files1[i++].substr(cut1));
        } else {
            ClassifyPair(files2[j++].substr(cut2));
        }
        if (PumpMessages())
            return;
    }
}

void FolderScan::Offer(std::string_view relativePath, FolderState state)
{
    m_host.OfferRow(std::string(relativePath), state);
}

void FolderScan::ClassifyPair(std::string_view relativePath1, std::string_view relativePath2)
{
    // On a file system that tells case apart, "Readme" on one side cannot be
    // opened as "README" on the other, so each side keeps its own spelling.
    const std::string full1 = JoinPath(m_host.FolderPath(1), relativePath1);
    const std::string full2 = JoinPath(m_host.FolderPath(2), relativePath2);
    const FileComparer::Result result = m_comparer.Compare(full1, full2);
    switch (result.outcome) {
    // A path both sides hold that one side will not let us read keeps the
    // row it has always had, but the run says that something was not
    // compared.
    case FileComparer::Outcome::Unreadable1:
        m_inconsistency = true;
        [[fallthrough]];
    case FileComparer::Outcome::Missing1:
        Offer(relativePath1, FolderOnlyIn2);
        return;
    case FileComparer::Outcome::Unreadable2:
        m_inconsistency = true;
        [[fallthrough]];
    case FileComparer::Outcome::Missing2:
        Offer(relativePath1, FolderOnlyIn1);
        return;
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
