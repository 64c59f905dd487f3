// SafeFileWriter's writing in place: into the target itself, for targets that
// a new file cannot replace with everything they had.

#include "engine/safewrite.h"

#include "engine/safewritefiles.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lindo {

using namespace safewrite;

namespace {

// Another writer of the same file is waited for this long, then the write fails.
constexpr auto kLockPatience = std::chrono::seconds(10);
constexpr auto kLockRetry = std::chrono::milliseconds(10);
constexpr std::string_view kCopyMark = ".lindo-old-";
constexpr std::size_t kCopyBuffer = 1 << 16;

bool LockWithin(int fd, std::chrono::steady_clock::duration patience)
{
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno == ENOLCK; // a file system without locks
        if (std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(kLockRetry);
    }
    return true;
}

// Where the old contents go when the target's folder cannot take them.
std::filesystem::path MadeStateFolder()
{
    const std::filesystem::path folder = StateFolder();
    std::error_code ec;
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);
    return folder;
}

// Reserving room without changing the size is not held to the process's
// file-size limit; writing is, so a limit the new contents exceed is found
// out here, before anything is written.
bool WithinFileSizeLimit(off_t size)
{
    rlimit limit {};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY
           || static_cast<rlim_t>(size) <= limit.rlim_cur;
}

bool CopyContents(int from, int to, off_t size)
{
    std::string buffer(kCopyBuffer, '\0');
    for (off_t at = 0; at < size;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || !WriteAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(got))))
            return false;
        at += got;
    }
    return ::fsync(to) == 0 || errno == EINVAL;
}

} // namespace

std::optional<FileErrorCause> SafeFileWriter::OpenInPlace()
{
    m_way = Way::InPlace;
    // Reading as well as writing: the old contents are copied first.
    m_fd = ::open(m_target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    return m_fd < 0 ? std::optional(CauseFromErrno(errno)) : std::nullopt;
}

std::optional<FileErrorCause> SafeFileWriter::CommitInPlace()
{
    // Two writers in place at once would leave parts of both.
    if (!LockWithin(m_fd, kLockPatience)) {
        Discard();
        return FileErrorCause::LockViolation;
    }
    struct stat old {};
    if (::fstat(m_fd, &old) != 0) {
        const int error = errno;
        Discard();
        return CauseFromErrno(error);
    }
    // Room for every byte first, the size left as it is: a disk too full for
    // the new contents then fails here, with the old contents still whole. A
    // file system that cannot reserve is written without reserving.
    const auto size = static_cast<off_t>(m_gathered.size());
    if (!WithinFileSizeLimit(size)) {
        Discard();
        return FileErrorCause::DiskFull;
    }
    if (size > 0 && ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS) {
        const int error = errno;
        const int released = ::ftruncate(m_fd, old.st_size); // gives the room back
        (void)released;
        Discard();
        return CauseFromErrno(error);
    }
    if (const auto failure = KeepOldContents(old.st_size)) {
        Discard();
        return failure;
    }
    return WriteOverTarget();
}

// Copies the old contents to a new file beside the target, or where the
// target's folder cannot take it, to the state folder.
std::optional<FileErrorCause> SafeFileWriter::KeepOldContents(off_t oldSize)
{
    if (oldSize == 0)
        return std::nullopt;
    const std::filesystem::path target(m_target);
    const std::string prefix = target.filename().string().substr(0, 200) + std::string(kCopyMark);
    int error = 0;
    for (const std::filesystem::path &folder : {FolderOf(target), MadeStateFolder()}) {
        if (folder.empty())
            continue;
        const int copy = CreateUniquelyNamed(folder, prefix, 0600, m_keptCopy);
        if (copy >= 0 && CopyContents(m_fd, copy, oldSize) && ::close(copy) == 0)
            return std::nullopt;
        error = errno;
        if (copy >= 0) {
            ::close(copy);
            ::unlink(m_keptCopy.c_str());
        }
    }
    m_keptCopy.clear();
    return error == ENOSPC || error == EDQUOT ? FileErrorCause::DiskFull : CauseFromErrno(error);
}

std::optional<FileErrorCause> SafeFileWriter::WriteOverTarget()
{
    const auto size = static_cast<off_t>(m_gathered.size());
    const bool written = WriteAllAt(m_fd, m_gathered, 0) && ::ftruncate(m_fd, size) == 0;
    m_gathered.clear();
    const bool closed = FlushAndClose(m_fd); // releases the lock
    m_fd = -1;
    if (!written || !closed)
        return FileErrorCause::DiskFull; // the copy stays, and the message names it
    if (!m_keptCopy.empty())
        ::unlink(m_keptCopy.c_str());
    m_keptCopy.clear();
    return std::nullopt;
}

} // namespace lindo
