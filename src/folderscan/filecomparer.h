#pragma once

// Decides whether two files hold the same bytes, and which was written last.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lindo {

class FileComparer {
public:
    // A path "is there" when it names something other than a folder (a
    // pipe, a device or a dangling link is there, though it cannot be
    // compared); only regular files open.
    enum class Outcome {
        Missing1,     // the first path is not there
        Missing2,     // the first path is there, the second is not
        Unreadable1,  // both are there, the first cannot be opened for reading
        Unreadable2,  // both are there, the first opens, the second cannot
        Special,      // both are there, one is a pipe, a device or a socket
        Same,         // equal bytes
        Different,    // different bytes
        ReadError,    // a read failed part-way; the files count as different
    };

    // What a special file is.
    enum class Kind { Pipe, Device, Socket };

    struct Result {
        Outcome outcome = Outcome::Missing1;
        // Last-write times in whole seconds; set when both are regular files
        // (under LeaveOutStamps, only when they differ).
        std::int64_t time1 = 0;
        std::int64_t time2 = 0;
        int error = 0;            // Unreadable1/2: why (an errno value)
        Kind kind = Kind::Pipe;   // Special: side 1's kind when it is special, else side 2's
        // Each path's Stamp as it was looked up for this comparison; 0 where
        // LeaveOutStamps let a comparison go without a look.
        std::uint64_t stamps[2] = {0, 0};
    };

    // A fingerprint of what a path names now (links followed): its identity,
    // size, times and type; 0 when nothing can be looked up there. A file
    // changed or replaced since gets another.
    static std::uint64_t Stamp(const std::string &path);

    // Only regular files (symbolic links followed) are ever opened: what a
    // path names is looked up first, so a device is never opened (opening
    // some has effects) nor a pipe waited on. Files of different sizes
    // differ without being opened, unless `listedRegular` says that the
    // folder's listing named a regular file there: such a file is opened
    // without following a link and then looked up, which saves a walk of
    // its name on the many files whose sizes agree. `bothStored`: both
    // listings said that their files are stored files (FolderEntry::storedFile).
    Result Compare(const std::string &path1, const std::string &path2, bool listedRegular1 = false,
                   bool listedRegular2 = false, bool bothStored = false);

    FileComparer() = default;
    ~FileComparer();
    FileComparer(const FileComparer &) = delete;
    FileComparer &operator=(const FileComparer &) = delete;

    // Keeps the folder of the last file of each side open, so that looking
    // up the next file of that folder walks its name alone rather than its
    // whole path. Only where the folders cannot change meanwhile, or where a
    // change is caught afterwards: a folder renamed away stays the one used.
    void KeepFolders() { m_keepFolders = true; }

    // For callers that use no stamps: two stored files are then opened and
    // read from their start without a look at their sizes first, two system
    // calls less per pair. A read that ends short of kReadAhead is taken as
    // the file's end; one that fills it or finds nothing decides nothing,
    // and the open files are then looked up as usual.
    void LeaveOutStamps() { m_stamps = false; }

    // With KeepFolders: the folders the compared trees of side 1 and 2 begin
    // at. A folder below one is looked up from the root's own handle, which
    // walks only the part of its path below the root.
    void SetRoots(std::string_view root1, std::string_view root2);

    // Where a file is: a folder handle (or the current folder's mark) and a
    // name, or a path, relative to it.
    struct Place {
        int folder;
        const char *name;
    };

    // A flag that, once set, cuts a comparison short (as a read error).
    void SetCancelFlag(const std::atomic<bool> *cancel) { m_cancel = cancel; }

    // Bytes read from each file at a time.
    static constexpr std::size_t kBlockSize = 256 * 1024;
    // Bytes read at first, unlooked, under LeaveOutStamps.
    static constexpr std::size_t kReadAhead = 64 * 1024;

private:
    struct FolderHandle {
        std::string path;
        int fd = -1;
    };
    Place PlaceOf(int side, const std::string &path);
    bool DecideUnlooked(const Place &place1, const Place &place2, int (&files)[2], Result &result);

    bool m_keepFolders = false;
    bool m_stamps = true;
    FolderHandle m_folders[2];
    FolderHandle m_roots[2];
    const std::atomic<bool> *m_cancel = nullptr;
    std::vector<char> m_block1;
    std::vector<char> m_block2;
};

} // namespace lindo
