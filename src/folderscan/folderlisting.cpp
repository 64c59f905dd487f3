#include "folderscan/folderlisting.h"

#include "folderscan/folderpath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <unordered_set>
#include <utility>

namespace lindo {

namespace {

struct FolderIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderIdentity &) const = default;
};

struct IdentityHash {
    std::size_t operator()(const FolderIdentity &identity) const
    {
        return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(identity.inode) * 31
                                          + static_cast<std::uint64_t>(identity.device));
    }
};

using IdentitySet = std::unordered_set<FolderIdentity, IdentityHash>;

bool IsDots(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls take(name, type) for every entry of the open folder `fd` but "." and
// "..", with the type as the folder reports it (DT_UNKNOWN when it does
// not). Stops at the end or at the first error, as a listing does.
template <typename Take>
void ForEachName(int fd, std::vector<char> &buffer, const Take &take)
{
#if defined(__linux__)
    // Straight from the kernel: a folder stream would first look the handle
    // up and check its flags again, three calls per folder for nothing.
    buffer.resize(32768);
    for (;;) {
        const ssize_t got = getdents64(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer.data() + at);
            if (!IsDots(entry->d_name))
                take(entry->d_name, entry->d_type);
            at += entry->d_reclen;
        }
    }
#else
    (void)buffer;
    const int copy = dup(fd); // the stream closes what it is given
    DIR *dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            close(copy);
        return;
    }
    while (const dirent *entry = readdir(dir)) {
        if (!IsDots(entry->d_name))
            take(entry->d_name, entry->d_type);
    }
    closedir(dir);
#endif
}

// Whether the file system of the open folder `fd` stores its files' bytes,
// so that a read ending short is a file's end. Only those known to do so
// count: a pseudo-file system may hand out a file a page at a time.
bool StoresFiles(int fd)
{
#if defined(__linux__)
    static constexpr unsigned long kStoring[] = {
        0xEF53,     // ext2, ext3, ext4
        0x58465342, // xfs
        0x9123683E, // btrfs
        0x01021994, // tmpfs
        0xF2F52010, // f2fs
        0x794C7630, // overlayfs
        0x2FC12FC1, // zfs
        0x73717368, // squashfs
        0xE0F5E1E2, // erofs
        0x9660,     // iso9660
        0x4D44,     // vfat
        0x2011BAB0, // exfat
        0x7366746E, // ntfs3
    };
    struct statfs system;
    if (fstatfs(fd, &system) != 0)
        return false;
    const auto type = static_cast<unsigned long>(system.f_type) & 0xFFFFFFFFul;
    return std::find(std::begin(kStoring), std::end(kStoring), type) != std::end(kStoring);
#else
    (void)fd;
    return false;
#endif
}

// Closes a folder handle when reading ends, however it ends.
struct HandleCloser {
    int fd;
    ~HandleCloser()
    {
        if (fd >= 0)
            close(fd);
    }
};

bool ListingBefore(const FolderEntry &a, const FolderEntry &b)
{
    if (a.isFolder != b.isFolder)
        return b.isFolder;
    return CompareNoCase(a.path, b.path) < 0;
}

struct Kind {
    bool isFolder = false;
    bool viaLink = false;
};

// A folder, or a symbolic link to one (the link is followed, as a file
// search reports the directory attribute of what a link names).
Kind KindOf(int folder, const char *name, unsigned char type)
{
    if (type == DT_DIR)
        return {true, false};
    if (type != DT_LNK && type != DT_UNKNOWN)
        return {};
    struct stat status;
    if (fstatat(folder, name, &status, 0) != 0 || !S_ISDIR(status.st_mode))
        return {};
    if (type == DT_LNK)
        return {true, true};
    struct stat own;
    return {true, fstatat(folder, name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode)};
}

// Every folder that holds `folder` (the folder itself included), up to the
// file-system root, by identity: ".." names the real parent even when the
// path went through links.
void AddFolderAndParents(const std::string &folder, IdentitySet &identities)
{
    std::string path = folder.empty() ? std::string(1, kPathSeparator) : folder;
    for (int depth = 0; depth < 4096; ++depth) {
        struct stat status;
        if (stat(path.c_str(), &status) != 0)
            return;
        if (!identities.insert({status.st_dev, status.st_ino}).second && depth > 0)
            return; // the root's parent is the root
        path += path.back() == kPathSeparator ? ".." : "/..";
    }
}

class ListingReader {
public:
    ListingReader(const std::function<bool()> &stopRequested, IdentitySet rootsAndParents)
        : m_stopRequested(stopRequested)
        , m_rootsAndParents(std::move(rootsAndParents))
    {
    }
    ~ListingReader()
    {
        if (m_root >= 0)
            close(m_root);
    }
    ListingReader(const ListingReader &) = delete;
    ListingReader &operator=(const ListingReader &) = delete;

    // The listing of `folder`; null when it cannot be opened, with the
    // reason in `error`; empty, with the reason in `notFollowed`, when it is
    // not read.
    std::unique_ptr<FolderListing> Read(const std::string &folder, bool viaLink, bool isRoot, int &error,
                                        NotFollowed &notFollowed)
    {
        if (m_stopped || (m_stopRequested && m_stopRequested())) {
            m_stopped = true;
            return std::make_unique<FolderListing>();
        }
        HandleCloser handle{OpenFolder(folder, isRoot)};
        struct stat status;
        if (handle.fd < 0 || fstat(handle.fd, &status) != 0) {
            error = errno != 0 ? errno : EIO;
            return nullptr;
        }
        const FolderIdentity identity{status.st_dev, status.st_ino};
        if (!isRoot && (m_rootsAndParents.count(identity) != 0
                        || std::find(m_ancestors.begin(), m_ancestors.end(), identity) != m_ancestors.end()))
            notFollowed = NotFollowed::BackUp;
        else if (!isRoot && viaLink && m_read.count(identity) != 0)
            notFollowed = NotFollowed::ReadBefore;
        if (notFollowed != NotFollowed::No)
            return std::make_unique<FolderListing>();
        m_read.insert(identity);

        const bool stores = Stores(status.st_dev, handle.fd);
        std::vector<FolderEntry> entries;
        std::vector<bool> viaLinks;
        ForEachName(handle.fd, m_names, [&](const char *name, unsigned char type) {
            const Kind kind = KindOf(handle.fd, name, type);
            entries.push_back({JoinPath(folder, name), kind.isFolder, nullptr, 0, NotFollowed::No, type == DT_REG,
                               type == DT_REG && stores});
            viaLinks.push_back(kind.viaLink);
        });
        close(handle.fd);
        handle.fd = -1; // no descriptor held open per level of depth

        // Folders are read in listing order, so that which of two ways to
        // one folder is read does not depend on the order of the disk.
        std::vector<std::size_t> order(entries.size());
        for (std::size_t n = 0; n < order.size(); ++n)
            order[n] = n;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return ListingBefore(entries[a], entries[b]); });
        std::vector<FolderEntry> sorted;
        sorted.reserve(entries.size());
        for (const std::size_t n : order)
            sorted.push_back(std::move(entries[n]));
        m_ancestors.push_back(identity);
        for (std::size_t k = 0; k < sorted.size(); ++k) {
            FolderEntry &entry = sorted[k];
            if (!entry.isFolder)
                continue;
            entry.children = Read(entry.path, viaLinks[order[k]], false, entry.readError, entry.notFollowed);
            if (!entry.children)
                entry.children = std::make_unique<FolderListing>();
        }
        m_ancestors.pop_back();
        return std::make_unique<FolderListing>(std::move(sorted));
    }

private:
    // StoresFiles for the folder `fd` on `device`, looked up once per device.
    bool Stores(dev_t device, int fd)
    {
        for (const auto &[known, stores] : m_devices) {
            if (known == device)
                return stores;
        }
        m_devices.emplace_back(device, StoresFiles(fd));
        return m_devices.back().second;
    }

    // A folder below the root is opened by its path from the root, which the
    // system walks in fewer steps than the whole path.
    int OpenFolder(const std::string &folder, bool isRoot)
    {
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOCTTY | O_CLOEXEC;
        const std::string openPath = folder.empty() ? std::string(1, kPathSeparator) : folder;
        if (isRoot) {
            m_rootPath = openPath;
            m_root = open(openPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            return open(openPath.c_str(), kFlags);
        }
        return OpenFolderBelow(m_root, m_rootPath, openPath, kFlags);
    }

    int m_root = -1;        // the root folder, for looking up those below it
    std::string m_rootPath; // its path as opened
    const std::function<bool()> &m_stopRequested;
    const IdentitySet m_rootsAndParents; // folders whose reading would walk into a compared tree
    IdentitySet m_read;                  // every folder read so far
    std::vector<FolderIdentity> m_ancestors; // the folders being read, outermost first
    std::vector<char> m_names;               // room for the names of one folder at a time
    std::vector<std::pair<dev_t, bool>> m_devices; // StoresFiles of each device met so far
    bool m_stopped = false;
};

} // namespace

FolderListing::FolderListing(std::vector<FolderEntry> entries)
    : m_entries(std::move(entries))
{
    // A tree's reader hands its entries over in order already.
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), ListingBefore))
        std::stable_sort(m_entries.begin(), m_entries.end(), ListingBefore);
}

std::unique_ptr<FolderListing> FolderListing::Read(const std::string &folder,
                                                   const std::function<bool()> &stopRequested,
                                                   const std::vector<std::string> &otherRoots)
{
    IdentitySet rootsAndParents;
    AddFolderAndParents(folder, rootsAndParents);
    for (const std::string &root : otherRoots)
        AddFolderAndParents(root, rootsAndParents);
    int error = 0;
    NotFollowed notFollowed = NotFollowed::No;
    std::unique_ptr<FolderListing> listing = ListingReader(stopRequested, std::move(rootsAndParents))
                                                 .Read(folder, false, true, error, notFollowed);
    return listing ? std::move(listing) : std::make_unique<FolderListing>();
}

const FolderEntry *FolderListing::FindFolder(std::string_view relativePath, std::size_t rootLength) const
{
    const FolderListing *listing = this;
    for (std::size_t end = relativePath.find(kPathSeparator, 1);; end = relativePath.find(kPathSeparator, end + 1)) {
        const std::string_view wanted = relativePath.substr(0, end);
        const FolderEntry *found = nullptr;
        for (const FolderEntry &entry : listing->m_entries) {
            if (entry.isFolder && entry.path.size() >= rootLength
                && CompareNoCase(std::string_view(entry.path).substr(rootLength), wanted) == 0) {
                found = &entry;
                break;
            }
        }
        if (!found || end == std::string_view::npos)
            return found;
        if (!found->children)
            return nullptr;
        listing = found->children.get();
    }
}

void FlattenFiles(const FolderListing &listing, std::vector<std::string_view> &files)
{
    for (const FolderEntry &entry : listing.Entries()) {
        if (!entry.isFolder)
            files.push_back(entry.path);
        else if (entry.children)
            FlattenFiles(*entry.children, files);
    }
}

void FlattenComparable(const FolderListing &listing, std::vector<const FolderEntry *> &entries)
{
    for (const FolderEntry &entry : listing.Entries()) {
        if (!entry.isFolder || entry.readError != 0 || entry.notFollowed != NotFollowed::No)
            entries.push_back(&entry);
        else if (entry.children)
            FlattenComparable(*entry.children, entries);
    }
}

} // namespace lindo
