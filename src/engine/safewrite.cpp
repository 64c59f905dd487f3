#include "engine/safewrite.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
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

// Creates a new file beside target; the umask applies to its permissions.
int CreateSibling(const std::string &target, std::string &created)
{
    const std::filesystem::path targetPath(target);
    const std::filesystem::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : ".";
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
    // A file its owner made read-only is not replaced behind their back,
    // even though the folder would let us rename over it; the superuser,
    // whom the access check always lets through, is no exception.
    if (exists && S_ISREG(existing.st_mode) && (existing.st_mode & 0222) == 0)
        return Failure(EACCES);
    if (exists && S_ISREG(existing.st_mode) && ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0)
        return Failure(errno);
    if (exists && !S_ISREG(existing.st_mode)) {
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return m_fd < 0 ? Failure(errno) : std::nullopt;
    }
    m_fd = CreateSibling(m_target, m_temporary);
    if (m_fd < 0) {
        const int error = errno;
        m_temporary.clear();
        return Failure(error);
    }
    if (exists) {
        ::fchmod(m_fd, existing.st_mode & 07777);
        // Keeps the owner where we may (as root); otherwise the file becomes ours.
        const int ownerKept = ::fchown(m_fd, existing.st_uid, existing.st_gid);
        (void)ownerKept;
    }
    return std::nullopt;
}

std::optional<FileErrorCause> SafeFileWriter::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return FileErrorCause::DiskFull;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

std::optional<FileErrorCause> SafeFileWriter::Commit()
{
    if (m_temporary.empty()) { // a device or pipe, written directly
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? std::nullopt : std::optional(FileErrorCause::DiskFull);
    }
    if (::fsync(m_fd) != 0 && errno != EINVAL) {
        Discard();
        return FileErrorCause::DiskFull;
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0) {
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
