#include "engine/textreader.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo {

namespace {

constexpr std::size_t kMinReadChunk = 64 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Counts LF bytes eight at a time: far cheaper than a memchr call per line
// when lines are short, which they mostly are.
std::size_t CountLineFeeds(const char *p, const char *end)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    constexpr std::uint64_t kLineFeeds = kOnes * '\n';
    std::size_t count = 0;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        const std::uint64_t x = word ^ kLineFeeds; // zero bytes where the LFs were
        // Exact zero-byte test (no false positives from borrows).
        const std::uint64_t zeros = ~(((x & ~kHighs) + ~kHighs) | x) & kHighs;
        count += static_cast<std::size_t>(__builtin_popcountll(zeros));
    }
    for (; p < end; ++p)
        count += *p == '\n';
    return count;
}

} // namespace

int ReadAllBytes(int fd, std::vector<char> &buffer)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    try {
        buffer.clear();
        // A regular file is read into a buffer of its size plus one spare byte,
        // so a file that does not grow needs no reallocation at all.
        std::size_t capacity = S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1
                                                     : kMinReadChunk;
        buffer.resize(capacity);
        std::size_t used = 0;
        for (;;) {
            if (used == buffer.size())
                buffer.resize(buffer.size() + std::max(buffer.size() / 2, kMinReadChunk));
            const ssize_t got = ::read(fd, buffer.data() + used, buffer.size() - used);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                const int error = errno;
                buffer.clear();
                return error;
            }
            if (got == 0)
                break;
            used += static_cast<std::size_t>(got);
        }
        buffer.resize(used);
        return 0;
    } catch (const std::bad_alloc &) {
        buffer.clear();
        buffer.shrink_to_fit();
        return ENOMEM;
    } catch (const std::length_error &) {
        buffer.clear();
        buffer.shrink_to_fit();
        return ENOMEM;
    }
}

int ReadFileBytes(const std::string &path, std::vector<char> &buffer)
{
    if (path.empty())
        return ENOENT;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    FileDescriptor file(fd);
    return ReadAllBytes(file.get(), buffer);
}

void ReadLines(std::string_view bytes, DiffLines &lines)
{
    lines.clear();
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    std::size_t count = CountLineFeeds(begin, end);
    if (!bytes.empty() && bytes.back() != '\n')
        ++count; // a last line without a line end is still a line
    lines.reserve(count);

    for (const char *p = begin; p < end;) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char *lineEnd = lf ? lf : end;
        std::size_t length = static_cast<std::size_t>(lineEnd - p);
        if (lf && length > 0 && p[length - 1] == '\r')
            --length; // CR LF is one line end; only the one CR right before the LF
        lines.push_back(DiffLine{std::string_view(p, length), -1, 0});
        p = lf ? lf + 1 : end;
    }
}

} // namespace lindo
