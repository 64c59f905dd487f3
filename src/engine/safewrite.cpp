#include "engine/safewrite.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo {

namespace {

constexpr int kMaxLinkDepth = 40;

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

std::string RandomSuffix()
{
    static std::mt19937_64 generator{std::random_device{}()};
    constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int n = 0; n < 8; ++n)
        suffix += kDigits[generator() % 36];
    return suffix;
}

std::filesystem::path FolderOf(const std::filesystem::path &target)
{
    return target.has_parent_path() ? target.parent_path() : ".";
}

// Creates a new file beside target; the umask applies to its permissions.
int CreateSibling(const std::string &target, std::string &created)
{
    const std::filesystem::path targetPath(target);
    const std::filesystem::path folder = FolderOf(targetPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Keep the name short enough for long target names.
        std::string name = "." + targetPath.filename().string().substr(0, 200) + ".lindo-" + RandomSuffix();
        created = (folder / name).string();
        const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

std::optional<FileErrorCause> Failure(int error)
{
    return CauseFromErrno(error);
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

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Flushes and closes fd; false when either fails (a file system that cannot
// flush this kind of file is no failure).
bool FlushAndClose(int fd)
{
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL;
    const bool closed = ::close(fd) == 0;
    return flushed && closed;
}

} // namespace

SafeFileWriter::SafeFileWriter(std::string path) : m_path(std::move(path)) {}

SafeFileWriter::~SafeFileWriter()
{
    Discard();
}

void SafeFileWriter::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    m_gathered.clear();
}

std::optional<FileErrorCause> SafeFileWriter::Open()
{
    if (m_path.empty())
        return FileErrorCause::FileNotFound;
    m_target = FollowLinks(m_path);
    struct stat existing {};
    const bool exists = ::stat(m_target.c_str(), &existing) == 0;
    // Only a target that is not there yet may be created; any other reason
    // the name leads nowhere (a loop of links, a folder we may not search) is
    // the failure, or the new file would take the place of a link.
    if (!exists && errno != ENOENT)
        return Failure(errno);
    if (exists && S_ISDIR(existing.st_mode))
        return Failure(EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) {
        m_way = Way::Direct;
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return m_fd < 0 ? Failure(errno) : std::nullopt;
    }
    if (exists) {
        // A file its owner made read-only is not replaced behind their back,
        // even though the folder would let us rename over it; the superuser,
        // whom the access check always lets through, is no exception.
        if ((existing.st_mode & 0222) == 0)
            return Failure(EACCES);
        if (::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0)
            return Failure(errno);
        if (existing.st_nlink > 1 || StickyFolderRefusesRename(m_target, existing))
            return OpenInPlace();
    }
    m_fd = CreateSibling(m_target, m_temporary);
    if (m_fd < 0) {
        const int error = errno;
        m_temporary.clear();
        // A writable file in a folder we may not add to is still writable.
        return exists ? OpenInPlace() : Failure(error);
    }
    if (exists) {
        ::fchmod(m_fd, existing.st_mode & 07777);
        // Keeps the owner where we may (as root); otherwise the file becomes ours.
        const int ownerKept = ::fchown(m_fd, existing.st_uid, existing.st_gid);
        (void)ownerKept;
    }
    return std::nullopt;
}

std::optional<FileErrorCause> SafeFileWriter::OpenInPlace()
{
    m_way = Way::InPlace;
    m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    struct stat opened {};
    if (m_fd < 0 || ::fstat(m_fd, &opened) != 0)
        return Failure(errno);
    m_oldSize = opened.st_size;
    return std::nullopt;
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

std::optional<FileErrorCause> SafeFileWriter::CommitInPlace()
{
    const auto size = static_cast<off_t>(m_gathered.size());
    // Room for every byte first: a disk too full for the new contents then
    // fails here, with the old contents still whole.
    if (size > 0) {
        const int reserved = ::posix_fallocate(m_fd, 0, size);
        if (reserved != 0) {
            // A reservation that ran out part way may have lengthened the file.
            struct stat now {};
            if (::fstat(m_fd, &now) == 0 && now.st_size > m_oldSize) {
                const int restored = ::ftruncate(m_fd, m_oldSize);
                (void)restored;
            }
            Discard();
            return Failure(reserved);
        }
    }
    const bool written = WriteAll(m_fd, m_gathered) && ::ftruncate(m_fd, size) == 0;
    m_gathered.clear();
    const bool closed = FlushAndClose(m_fd);
    m_fd = -1;
    return written && closed ? std::nullopt : std::optional(FileErrorCause::DiskFull);
}

std::optional<FileErrorCause> SafeFileWriter::CommitReplacement()
{
    const bool flushed = FlushAndClose(m_fd);
    m_fd = -1;
    if (!flushed) {
        Discard();
        return FileErrorCause::DiskFull;
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        Discard();
        return Failure(error);
    }
    m_temporary.clear();
    return std::nullopt;
}

} // namespace lindo
