#pragma once

// One folder comparison: both trees are read, their files paired by path
// relative to the two folders, and every relative path classified and offered
// to the host, which decides what is shown. Runs on the caller's thread; the
// host handles pending events between steps and can stop the run there.

#include "folderscan/comparequeue.h"
#include "folderscan/filecomparer.h"
#include "folderscan/folderlisting.h"
#include "folderscan/folderstate.h"

#include <memory>
#include <string>
#include <string_view>

namespace lindo {

// What the scan needs from the window (or the command line) that runs it.
class FolderScanHost {
public:
    virtual ~FolderScanHost() = default;

    // Handles whatever is pending (user input included) and answers whether
    // the run is to stop. Asked once for every folder read (the second tree
    // is read on another thread, and the questions for its folders may come
    // after them) and after every pairing step.
    virtual bool PumpMessages() = 0;

    // The current text of folder box 1 or 2. Asked again for every
    // classified path, so an edit during a run applies to the paths after it.
    virtual std::string FolderPath(int side) = 0;

    // The "show identical files" setting, read afresh at each identical pair:
    // non-zero offers identical files, zero leaves them out.
    virtual int ReadFoldersShowSame() = 0;

    // A classified path for the result list (which may refuse it).
    virtual void OfferRow(const std::string &relativePath, FolderState state) = 0;

    // A new status text for the user.
    virtual void ShowStatus(std::string_view text) = 0;

    // Why the row about to be offered for `relativePath` (side 1 or 2 could
    // not be read) could not be read: the full path tried, and an errno value.
    virtual void ReportUnreadable(std::string_view /*relativePath*/, const std::string & /*fullPath*/,
                                  int /*error*/)
    {
    }

    // Why the row about to be offered for `relativePath`, a link to a folder
    // on side 1 or 2 while the other side has a folder there, was not
    // compared: the link's full path, and why it was not followed.
    virtual void ReportNotFollowed(std::string_view /*relativePath*/, const std::string & /*fullPath*/,
                                   NotFollowed /*why*/)
    {
    }

    // Whether PumpMessages may run code that changes the compared files (a
    // window's handlers may). Files are compared ahead of their turn on
    // other threads; when this is true, such a comparison is used only if
    // neither file has changed since.
    virtual bool PumpMayChangeFiles() { return true; }
};

// Status texts of a run.
inline constexpr std::string_view kStatusReady = "Select your two folders and press Go.";
inline constexpr std::string_view kStatusComparing = "Comparing...";
inline constexpr std::string_view kStatusDone = "Done.";
inline constexpr std::string_view kStatusDoneInconsistent = "Done. There was a compare inconsistency";

class FolderScan {
public:
    explicit FolderScan(FolderScanHost &host);
    ~FolderScan();
    FolderScan(const FolderScan &) = delete;
    FolderScan &operator=(const FolderScan &) = delete;

    // One run as the Go button starts it: clears the inconsistency flag, shows
    // kStatusComparing, CompareFolders, then shows kStatusDone or, when the
    // flag was set, kStatusDoneInconsistent.
    void Run(const std::string &folder1, const std::string &folder2);

    // Reads both trees and offers every relative path of either at least once
    // (a path can be offered twice; the result list keeps the first). A
    // folder one side cannot open is offered as a path of its own, and the
    // other side's files below it are not offered; so is a link to a folder
    // that one side did not follow while the other has a folder there.
    void CompareFolders(const std::string &folder1, const std::string &folder2);

    // Classifies one relative path against the folder boxes' current texts
    // and offers it; identical files are offered only when the host's
    // show-same setting is on at that moment.
    void ClassifyPair(std::string_view relativePath) { ClassifyPair(relativePath, relativePath); }
    // The same for a path whose spelling differs between the sides in case
    // only: each side's file is opened by its own name, the row shows side 1's.
    void ClassifyPair(std::string_view relativePath1, std::string_view relativePath2);

    // Set while CompareFolders runs.
    bool IsRunning() const { return m_running; }
    // Set when a path both sides hold could not be compared (one side cannot
    // be read, is not a regular file, or is a link not followed), or a read
    // failed part-way through a comparison; cleared at the start of Run.
    bool HadInconsistency() const { return m_inconsistency; }
    // Whether the last run was stopped by the host.
    bool WasStopped() const { return m_stopped; }
    // The trees of the last run, kept until the next one; null before any run.
    const FolderListing *Listing(int side) const;

private:
    struct Step;
    struct Pairing;
    class FolderTurns;
    void ReadListings(const std::string &search1, const std::string &search2,
                      std::vector<const FolderEntry *> &files1, std::vector<const FolderEntry *> &files2);
    void PairFiles(const std::vector<const FolderEntry *> &files1, std::size_t cut1,
                   const std::vector<const FolderEntry *> &files2, std::size_t cut2);
    void RunSteps(const Pairing &pairing, CompareQueue &queue);
    void OfferTaken(std::string_view relative1, std::string_view relative2, const std::string &start1,
                    const std::string &start2, bool checkFiles, const FileComparer::Result &taken);
    void OfferResult(std::string_view relativePath1, const std::string &folder1, std::string_view relativePath2,
                     const std::string &folder2, const FileComparer::Result &result);
    void OfferNotRead(std::string_view relativePath, const FolderEntry &folder, int side);
    void OfferUnreadable(std::string_view relativePath, const std::string &full, int side, int error);
    void Offer(std::string_view relativePath, FolderState state);
    bool PumpMessages();

    FolderScanHost &m_host;
    FileComparer m_comparer;
    std::unique_ptr<FolderListing> m_listing1;
    std::unique_ptr<FolderListing> m_listing2;
    bool m_running = false;
    bool m_inconsistency = false;
    bool m_stopped = false;
};

} // namespace lindo
