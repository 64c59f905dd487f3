#include "engine/safewrite.h"

#include "engine/safewritefiles.h"

#include <acl/libacl.h>
#include <attr/libattr.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo {

using namespace safewrite;

namespace {

constexpr int kMaxLinkDepth = 40;
// Keeps a temporary's name short enough for long target names.
constexpr std::size_t kMaxNameInTemporary = 200;
constexpr std::string_view kTemporaryMark = ".lindo-";
// Each try that loses its new file to another writer's clearing up makes
// another; that happening again and again means something else is wrong.
constexpr int kTemporaryAttempts = 10;

// The temporaries of the writers at work, where a signal handler can find
// them: it may touch nothing but lock-free atomics and fixed buffers, so this
// is a fixed table rather than a member of any object.
struct TemporarySlot {
    enum State : int { Free, Filling, Ready };
    std::atomic<int> state{Free};
    char path[4096] = {};
};
constexpr int kTemporarySlots = 8;
TemporarySlot g_temporaries[kTemporarySlots];
static_assert(std::atomic<int>::is_always_lock_free);

int RememberTemporary(const std::string &path)
{
    if (path.size() >= sizeof(TemporarySlot::path))
        return -1;
    for (int slot = 0; slot < kTemporarySlots; ++slot) {
        int expected = TemporarySlot::Free;
        if (!g_temporaries[slot].state.compare_exchange_strong(expected, TemporarySlot::Filling))
            continue;
        std::memcpy(g_temporaries[slot].path, path.c_str(), path.size() + 1);
        g_temporaries[slot].state.store(TemporarySlot::Ready);
        return slot;
    }
    return -1;
}

void ForgetSlot(int slot)
{
    if (slot >= 0)
        g_temporaries[slot].state.store(TemporarySlot::Free);
}

// Follows symbolic links from path to the name of the file they lead to
// (which need not exist yet).
std::string FollowLinks(const std::string &path)
{
    std::filesystem::path current(path);
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, ec)))
            break;
        const std::filesystem::path target = std::filesystem::read_symlink(current, ec);
        if (ec)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

std::string TemporaryPrefix(const std::filesystem::path &target)
{
    return "." + target.filename().string().substr(0, kMaxNameInTemporary) + std::string(kTemporaryMark);
}

// A writer holds a lock on its temporary while it lives, so one nobody holds
// was left by a writer that was killed part way.
void RemoveStaleTemporaries(const std::filesystem::path &target)
{
    const std::string prefix = TemporaryPrefix(target);
    const std::filesystem::path folder = FolderOf(target);
    DIR *listing = ::opendir(folder.c_str());
    if (!listing)
        return;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix) || name.size() != prefix.size() + kUniqueLetters
            || name.find_first_not_of(kUniqueAlphabet, prefix.size()) != std::string_view::npos)
            continue;
        const std::string path = (folder / name).string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat status {};
        if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        if (fd >= 0)
            ::close(fd);
    }
    ::closedir(listing);
}

// Creates the temporary beside target and locks it. A writer clearing away
// stale temporaries may take the lock between the two and remove the file;
// then the name no longer leads to ours, and another is made.
int CreateTemporary(const std::string &target, mode_t mode, std::string &created)
{
    const std::filesystem::path targetPath(target);
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        const int fd = CreateUniquelyNamed(FolderOf(targetPath), TemporaryPrefix(targetPath), mode, created);
        if (fd < 0)
            return fd;
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::stat(created.c_str(), &named) == 0 && opened.st_ino == named.st_ino
            && opened.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// In a sticky folder (/tmp) only the file's owner, the folder's owner or the
// superuser may rename over a file, even one that others may write to.
bool StickyFolderRefusesRename(const std::string &target, const struct stat &file)
{
    struct stat folder {};
    if (::stat(FolderOf(target).c_str(), &folder) != 0 || !(folder.st_mode & S_ISVTX))
        return false;
    const uid_t self = ::geteuid();
    return self != 0 && self != file.st_uid && self != folder.st_uid;
}

bool SameOwnerAndMode(int fd, const struct stat &wanted)
{
    struct stat now {};
    return ::fstat(fd, &now) == 0 && now.st_uid == wanted.st_uid && now.st_gid == wanted.st_gid
           && (now.st_mode & 07777) == (wanted.st_mode & 07777);
}

} // namespace

void RemoveWriterTemporary()
{
    for (TemporarySlot &slot : g_temporaries) {
        if (slot.state.load() == TemporarySlot::Ready)
            ::unlink(slot.path);
    }
}

SafeFileWriter::SafeFileWriter(std::string path) : m_path(std::move(path)) {}

SafeFileWriter::~SafeFileWriter()
{
    Discard();
}

void SafeFileWriter::ForgetTemporary()
{
    ForgetSlot(m_slot);
    m_slot = -1;
    m_temporary.clear();
}

void SafeFileWriter::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    ForgetTemporary();
    m_gathered.clear();
}

std::string SafeFileWriter::FailureMessage(FileErrorCause cause) const
{
    std::string message = FileErrorMessage(cause, m_path);
    if (!m_keptCopy.empty())
        message += " Its old contents are kept in " + AbsolutePathText(m_keptCopy) + ".";
    return message;
}

std::optional<FileErrorCause> SafeFileWriter::Open()
{
    if (m_path.empty())
        return FileErrorCause::FileNotFound;
    if (DescriptorNamed(m_path) >= 0)
        return OpenDirect({});
    m_target = FollowLinks(m_path);
    struct stat existing {};
    const bool exists = ::stat(m_target.c_str(), &existing) == 0;
    // Only a target that is not there yet may be created; any other reason
    // the name leads nowhere (a loop of links, a folder we may not search) is
    // the failure, or the new file would take the place of a link.
    if (!exists && errno != ENOENT)
        return CauseFromErrno(errno);
    if (exists && S_ISDIR(existing.st_mode))
        return CauseFromErrno(EISDIR);
    if (exists && !S_ISREG(existing.st_mode))
        return OpenDirect(existing);
    if (exists) {
        // A file its owner made read-only is not replaced behind their back,
        // even though the folder would let us rename over it; the superuser,
        // whom the access check always lets through, is no exception.
        if ((existing.st_mode & 0222) == 0)
            return CauseFromErrno(EACCES);
        if (::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0)
            return CauseFromErrno(errno);
        if (existing.st_nlink > 1 || StickyFolderRefusesRename(m_target, existing))
            return OpenInPlace();
    }
    return OpenReplacement(exists ? &existing : nullptr);
}

std::optional<FileErrorCause> SafeFileWriter::OpenDirect(const struct stat &existing)
{
    m_way = Way::Direct;
    const int named = DescriptorNamed(m_path);
    if (named >= 0) {
        // The descriptor itself, not the file it leads to: its position and
        // its appending are the redirect's.
        m_fd = ::fcntl(named, F_DUPFD_CLOEXEC, 0);
        return m_fd < 0 ? std::optional(CauseFromErrno(errno)) : std::nullopt;
    }
    if (S_ISSOCK(existing.st_mode))
        return FileErrorCause::Socket;
    // Without a reader a pipe would keep the open waiting for ever.
    m_fd = ::open(m_target.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return errno == ENXIO && S_ISFIFO(existing.st_mode) ? FileErrorCause::PipeWithoutReader
                                                             : CauseFromErrno(errno);
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    return std::nullopt;
}

std::optional<FileErrorCause> SafeFileWriter::OpenReplacement(const struct stat *existing)
{
    RemoveStaleTemporaries(m_target);
    // A new file gets the permissions a new file would get anyway; one that
    // replaces a file starts readable by its maker only, and gets the old
    // file's permissions once it is ours.
    m_fd = CreateTemporary(m_target, existing ? 0600 : 0666, m_temporary);
    if (m_fd < 0) {
        const int error = errno;
        m_temporary.clear();
        // A writable file in a folder we may not add to is still writable.
        return existing ? OpenInPlace() : CauseFromErrno(error);
    }
    m_slot = RememberTemporary(m_temporary);
    if (existing && !CarryOver(*existing)) {
        Discard();
        return OpenInPlace();
    }
    return std::nullopt;
}

// Gives the temporary everything the target has besides its contents: owner
// and group first (a change of owner clears the set-id bits), then the access
// control list, the mode with its set-id bits, and the extended attributes.
// False when any of it cannot be carried over.
bool SafeFileWriter::CarryOver(const struct stat &existing)
{
    const int source = ::open(m_target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (source < 0)
        return false;
    const bool carried = ::fchown(m_fd, existing.st_uid, existing.st_gid) == 0
                         && ::perm_copy_fd(m_target.c_str(), source, m_temporary.c_str(), m_fd, nullptr) == 0
                         && ::fchmod(m_fd, existing.st_mode & 07777) == 0
                         && ::attr_copy_fd(m_target.c_str(), source, m_temporary.c_str(), m_fd, nullptr, nullptr) == 0
                         && SameOwnerAndMode(m_fd, existing);
    ::close(source);
    return carried;
}

std::optional<FileErrorCause> SafeFileWriter::Write(std::string_view bytes)
{
    if (m_way != Way::InPlace)
        return WriteAll(m_fd, bytes) ? std::nullopt : std::optional(FileErrorCause::DiskFull);
    try {
        m_gathered.append(bytes);
    } catch (const std::bad_alloc &) {
        return FileErrorCause::OutOfMemory;
    }
    return std::nullopt;
}

std::optional<FileErrorCause> SafeFileWriter::Commit()
{
    switch (m_way) {
    case Way::Direct: {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? std::nullopt : std::optional(FileErrorCause::DiskFull);
    }
    case Way::InPlace:
        return CommitInPlace();
    case Way::Replace:
        break;
    }
    return CommitReplacement();
}

std::optional<FileErrorCause> SafeFileWriter::CommitReplacement()
{
    if (::fsync(m_fd) != 0 && errno != EINVAL) {
        Discard();
        return FileErrorCause::DiskFull;
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        // A target that is a mount point (a file bound over another) cannot
        // be renamed over, but can be written.
        if (errno == EBUSY)
            return ReplaceInPlaceInstead();
        const int error = errno;
        Discard();
        return CauseFromErrno(error);
    }
    ForgetTemporary();
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!closed || !FlushFolder(FolderOf(m_target)))
        return FileErrorCause::DiskFull;
    return std::nullopt;
}

std::optional<FileErrorCause> SafeFileWriter::ReplaceInPlaceInstead()
{
    std::string written;
    char buffer[1 << 16];
    ssize_t got = 0;
    while ((got = ::pread(m_fd, buffer, sizeof buffer, static_cast<off_t>(written.size()))) > 0)
        written.append(buffer, static_cast<std::size_t>(got));
    const int error = errno;
    Discard();
    if (got < 0)
        return CauseFromErrno(error);
    if (const auto failure = OpenInPlace())
        return failure;
    m_gathered = std::move(written);
    return CommitInPlace();
}

} // namespace lindo
