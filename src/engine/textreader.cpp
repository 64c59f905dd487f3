#include "engine/textreader.h"

#include "engine/texthash.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo {

namespace {

static_assert(std::endian::native == std::endian::little, "LineFeedBits finds bytes by their little-endian order");

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

// The high bit of every byte of the eight at p that is an LF, nothing else
// (an exact zero-byte test: no false positives from borrows). Scanning eight
// bytes at a time is far cheaper than a memchr call per line when lines are
// short, which they mostly are.
std::uint64_t LineFeedBits(const char *p)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t x = word ^ (kOnes * '\n'); // zero bytes where the LFs were
    return ~(((x & ~kHighs) + ~kHighs) | x) & kHighs;
}

std::size_t CountLineFeeds(const char *p, const char *end)
{
    std::size_t count = 0;
    for (; end - p >= 8; p += 8)
        // One bit per LF at bit 7 of its byte: a multiply sums them into the top byte.
        count += static_cast<std::size_t>(((LineFeedBits(p) >> 7) * 0x0101010101010101ull) >> 56);
    for (; p < end; ++p)
        count += *p == '\n';
    return count;
}

} // namespace

int ReadAllBytes(int fd, ByteBuffer &buffer)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    try {
        buffer.Clear();
        // A regular file is read into a buffer of its size plus one spare byte,
        // so a file that does not grow needs no reallocation at all.
        buffer.Reserve(S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : kMinReadChunk);
        for (;;) {
            if (buffer.Size() == buffer.Capacity())
                buffer.Reserve(buffer.Capacity() + std::max(buffer.Capacity() / 2, kMinReadChunk));
            const ssize_t got = ::read(fd, buffer.Data() + buffer.Size(), buffer.Capacity() - buffer.Size());
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                const int error = errno;
                buffer.Clear();
                return error;
            }
            if (got == 0)
                return 0;
            buffer.SetSize(buffer.Size() + static_cast<std::size_t>(got));
        }
    } catch (const std::bad_alloc &) {
        buffer.Clear();
        return ENOMEM;
    }
}

int ReadFileBytes(const std::string &path, ByteBuffer &buffer)
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

void ReadLines(std::string_view bytes, DiffLines &lines, bool tags)
{
    lines.clear();
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    std::size_t count = CountLineFeeds(begin, end);
    if (!bytes.empty() && bytes.back() != '\n')
        ++count; // a last line without a line end is still a line
    lines.reserve(count);
    AdviseHugePages(lines.data(), count * sizeof(DiffLine));

    auto emit = [&lines, tags](const char *start, const char *lineEnd, bool endedByLineFeed) {
        std::size_t length = static_cast<std::size_t>(lineEnd - start);
        if (endedByLineFeed && length > 0 && start[length - 1] == '\r')
            --length; // CR LF is one line end; only the one CR right before the LF
        const std::string_view text(start, length);
        lines.push_back(DiffLine{text, -1, tags ? TextTag(text) : 0});
    };
    const char *lineStart = begin;
    const char *p = begin;
    for (; end - p >= 8; p += 8) {
        std::uint64_t lineFeeds = LineFeedBits(p);
        while (lineFeeds != 0) {
            const char *lf = p + (__builtin_ctzll(lineFeeds) >> 3);
            emit(lineStart, lf, true);
            lineStart = lf + 1;
            lineFeeds &= lineFeeds - 1;
        }
    }
    for (; p < end; ++p) {
        if (*p == '\n') {
            emit(lineStart, p, true);
            lineStart = p + 1;
        }
    }
    if (lineStart < end)
        emit(lineStart, end, false);
}

void TagLines(DiffLines &lines)
{
    for (DiffLine &line : lines)
        line.textId = TextTag(line.text);
}

} // namespace lindo
