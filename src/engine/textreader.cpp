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
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lindo {

namespace {

static_assert(std::endian::native == std::endian::little, "LineFeedMask finds bytes by their little-endian order");

constexpr std::size_t kMinReadChunk = 64 * 1024;
constexpr std::size_t kComparePiece = 1024 * 1024;

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

#ifdef __SSE2__
constexpr std::size_t kBlock = 16;

// One bit per byte of the sixteen at p that is an LF, bit n for byte n.
std::uint32_t LineFeedMask(const char *p)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
}

int ByteOfBit(std::uint32_t mask)
{
    return __builtin_ctz(mask);
}
#else
constexpr std::size_t kBlock = 8;

// The high bit of every byte of the eight at p that is an LF, nothing else
// (an exact zero-byte test: no false positives from borrows). Scanning eight
// bytes at a time is far cheaper than a memchr call per line when lines are
// short, which they mostly are.
std::uint64_t LineFeedBits(const char *p)
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return BytesEqualTo(word, '\n');
}

std::uint64_t LineFeedMask(const char *p)
{
    return LineFeedBits(p);
}

int ByteOfBit(std::uint64_t mask)
{
    return __builtin_ctzll(mask) >> 3;
}
#endif

std::size_t CountLineFeeds(const char *p, const char *end)
{
    std::size_t count = 0;
#ifdef __SSE2__
    // Each block's LF bytes are -1 after the compare; subtracting them counts
    // per byte lane, and the lanes are summed before any can pass 255.
    const __m128i lineFeed = _mm_set1_epi8('\n');
    while (static_cast<std::size_t>(end - p) >= kBlock) {
        __m128i lanes = _mm_setzero_si128();
        for (int block = 0; block < 255 && static_cast<std::size_t>(end - p) >= kBlock; ++block, p += kBlock) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lineFeed));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
    }
#else
    for (; static_cast<std::size_t>(end - p) >= kBlock; p += kBlock)
        // One bit per LF at bit 7 of its byte: a multiply sums them into the top byte.
        count += static_cast<std::size_t>(((LineFeedBits(p) >> 7) * 0x0101010101010101ull) >> 56);
#endif
    for (; p < end; ++p)
        count += *p == '\n';
    return count;
}

// The number of CR LF pairs from p to end.
std::size_t CountCrLfs(const char *p, const char *end)
{
    std::size_t count = 0;
#ifdef __SSE2__
    for (; end - p > static_cast<std::ptrdiff_t>(kBlock); p += kBlock) {
        const __m128i crs = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), _mm_set1_epi8('\r'));
        const __m128i lfs =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1)), _mm_set1_epi8('\n'));
        count += static_cast<std::size_t>(__builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(crs, lfs)))));
    }
#endif
    for (; end - p > 1; ++p)
        count += p[0] == '\r' && p[1] == '\n';
    return count;
}

bool HasCrLf(std::string_view text)
{
    for (std::size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', cr + 1)) {
        if (cr + 1 < text.size() && text[cr + 1] == '\n')
            return true;
    }
    return false;
}

} // namespace

namespace {

// Reads from fd to its end, appending to buffer's content; the room grows as
// needed. Returns 0 or an errno value (buffer emptied).
int ReadToEnd(int fd, ByteBuffer &buffer)
{
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
}

// A regular file's buffer gets its size plus one spare byte, so a file that
// does not grow needs no reallocation at all.
std::size_t FirstRoom(const struct stat &info)
{
    return S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : kMinReadChunk;
}

// Fills info for an open file that can be read as text; 0, or the error
// to report (a folder opens, but reading it is an error).
int StatReadable(int fd, struct stat &info)
{
    if (::fstat(fd, &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? EISDIR : 0;
}

} // namespace

int ReadAllBytes(int fd, ByteBuffer &buffer)
{
    struct stat info {};
    if (const int error = StatReadable(fd, info); error != 0)
        return error;
    try {
        buffer.Clear();
        buffer.Reserve(FirstRoom(info));
        return ReadToEnd(fd, buffer);
    } catch (const std::bad_alloc &) {
        buffer.Clear();
        return ENOMEM;
    }
}

int ReadAllBytesComparing(int fd, std::string_view reference, ByteBuffer &buffer, bool &same)
{
    same = false;
    struct stat info {};
    if (const int error = StatReadable(fd, info); error != 0)
        return error;
    try {
        buffer.Clear();
        // The file is read a piece at a time into a small buffer that stays
        // in the cache, as long as it goes on agreeing with the reference.
        const std::unique_ptr<char[]> piece(new char[kComparePiece]);
        std::size_t matched = 0;
        std::size_t pending = 0;
        for (;;) {
            const ssize_t got = ::read(fd, piece.get(), kComparePiece);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (got == 0) {
                same = matched == reference.size();
                if (same)
                    return 0;
                break;
            }
            const auto size = static_cast<std::size_t>(got);
            if (size > reference.size() - matched || std::memcmp(reference.data() + matched, piece.get(), size) != 0) {
                pending = size;
                break;
            }
            matched += size;
        }
        // They differ: what was read so far is the reference's first bytes
        // and the last piece; the rest comes as usual.
        buffer.Reserve(std::max(FirstRoom(info), matched + pending + kMinReadChunk));
        if (matched > 0)
            std::memcpy(buffer.Data(), reference.data(), matched);
        if (pending > 0)
            std::memcpy(buffer.Data() + matched, piece.get(), pending);
        buffer.SetSize(matched + pending);
        return ReadToEnd(fd, buffer);
    } catch (const std::bad_alloc &) {
        buffer.Clear();
        return ENOMEM;
    }
}

namespace {

// Opens path for reading; returns the descriptor or -errno.
int OpenForReading(const std::string &path)
{
    if (path.empty())
        return -ENOENT;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? -errno : fd;
}

} // namespace

int ReadFileBytes(const std::string &path, ByteBuffer &buffer)
{
    const int fd = OpenForReading(path);
    if (fd < 0)
        return -fd;
    FileDescriptor file(fd);
    return ReadAllBytes(file.get(), buffer);
}

int ReadFileBytesComparing(const std::string &path, std::string_view reference, ByteBuffer &buffer, bool &same)
{
    same = false;
    const int fd = OpenForReading(path);
    if (fd < 0)
        return -fd;
    FileDescriptor file(fd);
    return ReadAllBytesComparing(file.get(), reference, buffer, same);
}

std::size_t CountLines(std::string_view bytes)
{
    std::size_t count = CountLineFeeds(bytes.data(), bytes.data() + bytes.size());
    if (!bytes.empty() && bytes.back() != '\n')
        ++count; // a last line without a line end is still a line
    return count;
}

void CutLines(std::string_view bytes, DiffLines &lines)
{
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    auto emit = [&lines](const char *start, const char *lineEnd, bool endedByLineFeed) {
        std::size_t length = static_cast<std::size_t>(lineEnd - start);
        if (endedByLineFeed && length > 0 && start[length - 1] == '\r')
            --length; // CR LF is one line end; only the one CR right before the LF
        const std::string_view text(start, length);
        lines.push_back(DiffLine{text, -1, 0});
    };
    const char *lineStart = begin;
    const char *p = begin;
    for (; static_cast<std::size_t>(end - p) >= kBlock; p += kBlock) {
        auto lineFeeds = LineFeedMask(p);
        while (lineFeeds != 0) {
            const char *lf = p + ByteOfBit(lineFeeds);
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

void ReadLines(std::string_view bytes, DiffLines &lines)
{
    lines.clear();
    const std::size_t count = CountLines(bytes);
    lines.reserve(count);
    CutLines(bytes, lines);
}

void TagLines(DiffLines &lines, std::size_t from, std::size_t to, const LineKeyOptions &keys)
{
    if (!keys.Any()) {
        for (std::size_t n = from; n < to; ++n)
            lines[n].textId = TextTag(lines[n].text);
        return;
    }
    KeyTagger tag(keys);
    for (std::size_t n = from; n < to; ++n)
        lines[n].textId = tag(lines[n].text);
}

LineEnds FindLineEnds(std::string_view text)
{
    // Most files have one kind: a file without CR LF is looked through once
    // for a CR, one with them is counted through only to find a lone LF.
    if (!HasCrLf(text))
        return {false, text.find('\n') != std::string_view::npos};
    const char *const end = text.data() + text.size();
    return {true, CountLineFeeds(text.data(), end) > CountCrLfs(text.data(), end)};
}

const char *LineEndsLabel(const LineEnds &ends)
{
    if (ends.crLf)
        return ends.lf ? "LF and CR LF" : "CR LF";
    return ends.lf ? "LF" : "no line end";
}

} // namespace lindo
