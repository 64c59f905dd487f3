#include "folderscan/filecomparer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lindo {

namespace {

// A regular file open for reading, closed when the object goes away.
class ReadableFile {
public:
    explicit ReadableFile(const std::string &path)
    {
        // Non-blocking, so that opening a pipe cannot wait for a writer.
        m_fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (m_fd < 0)
            return;
        if (fstat(m_fd, &m_status) != 0 || !S_ISREG(m_status.st_mode)) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~ReadableFile()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    ReadableFile(const ReadableFile &) = delete;
    ReadableFile &operator=(const ReadableFile &) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    off_t Size() const { return m_status.st_size; }
    std::int64_t WriteTime() const { return static_cast<std::int64_t>(m_status.st_mtime); }

    // Fills the buffer up to its size, fewer bytes only at the end of the
    // file; -1 when a read fails. A file ends where it ended when it was
    // opened: once that many bytes are in, no further read is made to find
    // the end (one system call less per file, which a scan of many small
    // files feels). Files that report no size at all (those under /proc)
    // are read to their end.
    ssize_t ReadBlock(std::vector<char> &buffer)
    {
        std::size_t filled = 0;
        while (filled < buffer.size() && !m_atEnd) {
            if (m_status.st_size > 0 && m_consumed + static_cast<off_t>(filled) >= m_status.st_size) {
                m_atEnd = true;
                break;
            }
            const ssize_t got = read(m_fd, buffer.data() + filled, buffer.size() - filled);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return -1;
            if (got == 0)
                m_atEnd = true; // asking again would only cost another call
            filled += static_cast<std::size_t>(got);
        }
        m_consumed += static_cast<off_t>(filled);
        return static_cast<ssize_t>(filled);
    }

private:
    int m_fd = -1;
    bool m_atEnd = false;
    off_t m_consumed = 0; // bytes read so far
    struct stat m_status {};
};

// Whether anything but a folder (or a link to one) is at the path; a link
// that leads nowhere is there.
bool IsThere(const std::string &path)
{
    struct stat status;
    if (lstat(path.c_str(), &status) != 0)
        return false;
    if (!S_ISLNK(status.st_mode))
        return !S_ISDIR(status.st_mode);
    return stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode);
}

} // namespace

FileComparer::Result FileComparer::Compare(const std::string &path1, const std::string &path2)
{
    Result result;
    // Existence is asked only once an open has failed, so the common case
    // costs no extra system call.
    ReadableFile file1(path1);
    if (!file1.IsOpen()) {
        const bool there1 = IsThere(path1);
        if (there1 && !IsThere(path2))
            result.outcome = Outcome::Missing2;
        else
            result.outcome = there1 ? Outcome::Unreadable1 : Outcome::Missing1;
        return result;
    }
    ReadableFile file2(path2);
    if (!file2.IsOpen()) {
        result.outcome = IsThere(path2) ? Outcome::Unreadable2 : Outcome::Missing2;
        return result;
    }
    result.time1 = file1.WriteTime();
    result.time2 = file2.WriteTime();
    if (file1.Size() != file2.Size()) {
        result.outcome = Outcome::Different;
        return result;
    }
    m_block1.resize(kBlockSize);
    m_block2.resize(kBlockSize);
    for (;;) {
        const ssize_t got1 = file1.ReadBlock(m_block1);
        const ssize_t got2 = got1 < 0 ? 0 : file2.ReadBlock(m_block2);
        if (got1 < 0 || got2 < 0) {
            result.outcome = Outcome::ReadError;
            return result;
        }
        if (got1 != got2 || std::memcmp(m_block1.data(), m_block2.data(), static_cast<std::size_t>(got1)) != 0) {
            result.outcome = Outcome::Different;
            return result;
        }
        if (got1 == 0) {
            result.outcome = Outcome::Same;
            return result;
        }
    }
}

} // namespace lindo
