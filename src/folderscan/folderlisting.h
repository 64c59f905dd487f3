#pragma once

// The content of one folder tree as the scan reads it: every file and folder
// with its full path, each folder with its own listing below it.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lindo {

class FolderListing;

// Why a folder reached through a symbolic link was listed but not read.
enum class NotFollowed : unsigned char {
    No,
    BackUp,     // it holds a compared tree, or is being read further up: reading it would loop
    ReadBefore, // the folder it leads to was read already by another way
};

// One file or folder found by the scan.
struct FolderEntry {
    std::string path;                       // searched folder, one separator, entry name
    bool isFolder = false;                  // a folder, or a symbolic link to one
    std::unique_ptr<FolderListing> children; // the folder's own listing; null for files
    int readError = 0;                      // for a folder that could not be opened: why (an errno value)
    NotFollowed notFollowed = NotFollowed::No; // for a folder listed but not read: why
    bool regularFile = false;               // listed as a regular file of its own (not a link)
    // A regular file on a file system that stores its files' bytes (a disk
    // or memory file system), where a read that ends short has reached the
    // file's end; pseudo-files (/proc, /sys) are made up as they are read.
    bool storedFile = false;
};

// The sorted content of one folder. Order: all files before all folders;
// within each group ascending by path with ASCII letters folded to lower
// case (unsigned byte order); entries whose folded paths are equal keep the
// order in which they arrived.
class FolderListing {
public:
    FolderListing() = default;
    // Takes the entries in arrival order and puts them in listing order.
    explicit FolderListing(std::vector<FolderEntry> entries);

    // Reads `folder` (as SearchFolder gives it; empty: the file-system root)
    // and every folder below it. A folder that cannot be opened gives an
    // empty listing, and its entry keeps the reason in readError. Some
    // folders are listed but not read, so that the walk ends and reads
    // nothing twice: one already being read further up, one that holds
    // `folder` or any of `otherRoots` (reading it would walk back into a
    // compared tree), and one reached through a symbolic link when that
    // folder was read already; their entries say why. `stopRequested` is
    // asked before each folder is read; once it answers true nothing more
    // is read.
    static std::unique_ptr<FolderListing> Read(const std::string &folder,
                                               const std::function<bool()> &stopRequested,
                                               const std::vector<std::string> &otherRoots = {});

    const std::vector<FolderEntry> &Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }

    // The folder entry at `relativePath` ("/a/b", as cut from the paths
    // below a tree's folder of `rootLength` bytes), matched ignoring case
    // as the pairing does; null when there is none.
    const FolderEntry *FindFolder(std::string_view relativePath, std::size_t rootLength) const;

private:
    std::vector<FolderEntry> m_entries;
};

// Appends the full paths of every file below `listing`, in listing order,
// each folder's files before everything below its subfolders. Folders
// themselves never appear. The texts are the entries' own, valid as long as
// the listing.
void FlattenFiles(const FolderListing &listing, std::vector<std::string_view> &files);

// The same walk giving the entries themselves, with one addition: a folder
// that could not be opened or was not followed stands at its place, as its
// files would have.
void FlattenComparable(const FolderListing &listing, std::vector<const FolderEntry *> &entries);

} // namespace lindo
