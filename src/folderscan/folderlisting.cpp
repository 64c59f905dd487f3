#include "folderscan/folderlisting.h"

#include "folderscan/folderpath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace lindo {

namespace {

struct FolderIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderIdentity &) const = default;
};

// Closes the folder stream when reading ends, however it ends.
struct FolderStream {
    DIR *dir;
    ~FolderStream()
    {
        if (dir)
            closedir(dir);
    }
};

bool IsDots(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A folder, or a symbolic link to one (the link is followed, as a file
// search reports the directory attribute of what a link names).
bool IsFolder(DIR *dir, const dirent &entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status;
    return fstatat(dirfd(dir), entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

class ListingReader {
public:
    explicit ListingReader(const std::function<bool()> &stopRequested)
        : m_stopRequested(stopRequested)
    {
    }

    std::unique_ptr<FolderListing> Read(const std::string &folder)
    {
        if (m_stopped || (m_stopRequested && m_stopRequested())) {
            m_stopped = true;
            return std::make_unique<FolderListing>();
        }
        const std::string openPath = folder.empty() ? std::string(1, kPathSeparator) : folder;
        FolderStream stream{opendir(openPath.c_str())};
        struct stat status;
        if (!stream.dir || fstat(dirfd(stream.dir), &status) != 0)
            return std::make_unique<FolderListing>();
        const FolderIdentity identity{status.st_dev, status.st_ino};
        if (std::find(m_ancestors.begin(), m_ancestors.end(), identity) != m_ancestors.end())
            return std::make_unique<FolderListing>(); // a link back up: reading it would never end

        std::vector<FolderEntry> entries;
        while (const dirent *entry = readdir(stream.dir)) {
            if (!IsDots(entry->d_name))
                entries.push_back({JoinPath(folder, entry->d_name), IsFolder(stream.dir, *entry), nullptr});
        }
        closedir(stream.dir);
        stream.dir = nullptr; // no descriptor held open per level of depth

        m_ancestors.push_back(identity);
        for (FolderEntry &entry : entries) {
            if (entry.isFolder)
                entry.children = Read(entry.path);
        }
        m_ancestors.pop_back();
        return std::make_unique<FolderListing>(std::move(entries));
    }

private:
    const std::function<bool()> &m_stopRequested;
    std::vector<FolderIdentity> m_ancestors; // the folders being read, outermost first
    bool m_stopped = false;
};

} // namespace

FolderListing::FolderListing(std::vector<FolderEntry> entries)
    : m_entries(std::move(entries))
{
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const FolderEntry &a, const FolderEntry &b) {
                         if (a.isFolder != b.isFolder)
                             return b.isFolder;
                         return CompareNoCase(a.path, b.path) < 0;
                     });
}

std::unique_ptr<FolderListing> FolderListing::Read(const std::string &folder,
                                                   const std::function<bool()> &stopRequested)
{
    return ListingReader(stopRequested).Read(folder);
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

} // namespace lindo
