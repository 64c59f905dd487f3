#include "folderscan/filecomparer.h"

#include "folderscan/folderpath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif

#include <cerrno>
#include <cstring>
#include <utility>

namespace lindo {

namespace {

// The calls a pair of files costs, made straight. The C library's wrappers
// make each a point where a thread can be cancelled, two atomic updates per
// call once a program has threads; no scan thread is ever cancelled, and a
// scan makes hundreds of thousands of these calls. Under a sanitizer the
// wrappers stay: the thread checker follows descriptors through them.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define LINDO_STRAIGHT_CALLS 0
#elif defined(__linux__)
#define LINDO_STRAIGHT_CALLS 1
#else
#define LINDO_STRAIGHT_CALLS 0
#endif
#if LINDO_STRAIGHT_CALLS
int OpenAt(int folder, const char *name, int flags)
{
    return static_cast<int>(syscall(SYS_openat, folder, name, flags));
}
ssize_t ReadAt(int fd, void *buffer, std::size_t size, off_t at)
{
    return static_cast<ssize_t>(syscall(SYS_pread64, fd, buffer, size, at));
}
void CloseFile(int fd)
{
    syscall(SYS_close, fd);
}
#else
int OpenAt(int folder, const char *name, int flags)
{
    return openat(folder, name, flags);
}
ssize_t ReadAt(int fd, void *buffer, std::size_t size, off_t at)
{
    return pread(fd, buffer, size, at);
}
void CloseFile(int fd)
{
    close(fd);
}
#endif

std::uint64_t StampOf(const struct stat &status)
{
    std::uint64_t stamp = 1469598103934665603ull;
    for (const std::uint64_t part :
         {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          static_cast<std::uint64_t>(status.st_size), static_cast<std::uint64_t>(status.st_mtim.tv_sec),
          static_cast<std::uint64_t>(status.st_mtim.tv_nsec), static_cast<std::uint64_t>(status.st_ctim.tv_sec),
          static_cast<std::uint64_t>(status.st_ctim.tv_nsec), static_cast<std::uint64_t>(status.st_mode)})
        stamp = (stamp ^ part) * 1099511628211ull;
    return stamp | 1; // never 0
}

// A regular file, looked up beforehand, open for reading; closed when the
// object goes away.
class ReadableFile {
public:
    // The file `fd` names when it is open already (it is then this object's
    // to close), else the one at `place`.
    ReadableFile(const FileComparer::Place &place, const struct stat &status, int fd)
        : m_fd(fd)
        , m_status(status)
    {
        if (m_fd >= 0)
            return;
        // Non-blocking, so that should a pipe have taken the file's place
        // since it was looked up, the open still cannot wait for a writer.
        m_fd = OpenAt(place.folder, place.name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        m_error = m_fd < 0 ? errno : 0;
    }
    ~ReadableFile()
    {
        if (m_fd >= 0)
            CloseFile(m_fd);
    }
    ReadableFile(const ReadableFile &) = delete;
    ReadableFile &operator=(const ReadableFile &) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Error() const { return m_error; }

    // Fills the buffer up to its size, fewer bytes only at the end of the
    // file; -1 when a read fails. A file ends where it ended when it was
    // looked up: once that many bytes are in, no further read is made to
    // find the end (one system call less per file, which a scan of many
    // small files feels). Files that report no size at all (those under
    // /proc) are read to their end.
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
    int m_error = 0;
    bool m_atEnd = false;
    off_t m_consumed = 0; // bytes read so far
    struct stat m_status;
};

// A name the folder listed as a regular file of its own, opened without
// following a link swapped in since.
int OpenListed(const FileComparer::Place &place)
{
    return OpenAt(place.folder, place.name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
}

// Whether a first read of `got` bytes (up to `asked`) of a stored file
// reached its end.
bool EndedShort(ssize_t got, std::size_t asked)
{
    return got > 0 && static_cast<std::size_t>(got) < asked;
}

// What a path names, found without opening it. Anything but a folder (or a
// link to one) is there; a link that leads nowhere is there but unreadable.
// A name the folder listed as a regular file of its own (not a link) is
// opened at once and looked up through the open file instead: one walk of
// the name less. It cannot follow a link swapped in since, and what it
// finds is used only if it is still a regular file.
struct PathLookUp {
    enum class Type { Absent, Regular, Special, Unreadable } type = Type::Absent;
    struct stat status {};
    bool looked = false; // whether `status` holds what the path names (a link followed)
    int error = 0;
    int fd = -1; // the file, when it was opened to be looked up

    // `openFile`: the file at `place`, opened already as a listed one is
    // (it is then this object's to close).
    PathLookUp(const FileComparer::Place &place, bool listedRegular, int openFile)
    {
        fd = openFile;
        if (fd < 0 && listedRegular)
            fd = OpenListed(place);
        if (fd >= 0) {
            if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
                type = Type::Regular;
                looked = true;
                return;
            }
            Close();
        }
        if (fstatat(place.folder, place.name, &status, 0) == 0) {
            looked = true;
            if (S_ISREG(status.st_mode))
                type = Type::Regular;
            else if (!S_ISDIR(status.st_mode))
                type = Type::Special;
            return;
        }
        error = errno;
        struct stat own;
        if (fstatat(place.folder, place.name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode))
            type = Type::Unreadable;
    }

    ~PathLookUp() { Close(); }
    PathLookUp(const PathLookUp &) = delete;
    PathLookUp &operator=(const PathLookUp &) = delete;

    // Hands the open file over (to be closed by the taker).
    int TakeFile() { return std::exchange(fd, -1); }
    void Close()
    {
        if (fd >= 0)
            CloseFile(fd);
        fd = -1;
    }

    bool IsThere() const { return type != Type::Absent; }
    // What FileComparer::Stamp gives for the path as it was looked up.
    std::uint64_t Stamp() const { return looked ? StampOf(status) : 0; }
    FileComparer::Kind Kind() const
    {
        if (S_ISFIFO(status.st_mode))
            return FileComparer::Kind::Pipe;
        return S_ISSOCK(status.st_mode) ? FileComparer::Kind::Socket : FileComparer::Kind::Device;
    }
};

// The outcome when at least one side is not a regular file; false when both are.
bool DecideIrregular(const PathLookUp &look1, const PathLookUp &look2, FileComparer::Result &result)
{
    using Outcome = FileComparer::Outcome;
    using Type = PathLookUp::Type;
    if (!look1.IsThere()) {
        result.outcome = Outcome::Missing1;
    } else if (!look2.IsThere()) {
        result.outcome = Outcome::Missing2;
    } else if (look1.type == Type::Special || (look1.type == Type::Regular && look2.type == Type::Special)) {
        result.outcome = Outcome::Special;
        result.kind = look1.type == Type::Special ? look1.Kind() : look2.Kind();
    } else if (look1.type == Type::Unreadable) {
        result.outcome = Outcome::Unreadable1;
        result.error = look1.error;
    } else if (look2.type == Type::Unreadable) {
        result.outcome = Outcome::Unreadable2;
        result.error = look2.error;
    } else {
        return false;
    }
    return true;
}

} // namespace

FileComparer::~FileComparer()
{
    for (FolderHandle *handles : {m_folders, m_roots}) {
        for (int side = 0; side < 2; ++side) {
            if (handles[side].fd >= 0)
                close(handles[side].fd);
        }
    }
}

std::uint64_t FileComparer::Stamp(const std::string &path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? StampOf(status) : 0;
}

void FileComparer::SetRoots(std::string_view root1, std::string_view root2)
{
    const std::string_view roots[2] = {root1, root2};
    for (int side = 0; side < 2; ++side) {
        FolderHandle &root = m_roots[side];
        if (root.path == roots[side] && (root.fd >= 0 || root.path.empty()))
            continue;
        if (root.fd >= 0)
            close(root.fd);
        root.path.assign(roots[side]);
        root.fd = root.path.empty() ? -1 : open(root.path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
}

FileComparer::Place FileComparer::PlaceOf(int side, const std::string &path)
{
    const std::size_t cut = path.rfind('/');
    if (!m_keepFolders || cut == std::string::npos || cut == 0)
        return {AT_FDCWD, path.c_str()};
    FolderHandle &handle = m_folders[side];
    const std::string_view folder(path.data(), cut);
    if (handle.fd < 0 || handle.path != folder) {
        if (handle.fd >= 0)
            close(handle.fd);
        handle.path.assign(folder);
        const FolderHandle &root = m_roots[side];
        handle.fd = OpenFolderBelow(root.fd, root.path, handle.path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    if (handle.fd < 0)
        return {AT_FDCWD, path.c_str()};
    return {handle.fd, path.c_str() + cut + 1};
}

// Decides a pair of listed regular files from a first read of each, or
// leaves `files` open (those it could open) for the usual way. The reads do
// not move the files' offsets, so that way starts at their beginnings.
bool FileComparer::DecideUnlooked(const Place &place1, const Place &place2, int (&files)[2], Result &result)
{
    files[0] = OpenListed(place1);
    if (files[0] < 0)
        return false;
    files[1] = OpenListed(place2);
    if (files[1] < 0)
        return false;
    const ssize_t got1 = ReadAt(files[0], m_block1.data(), kReadAhead, 0);
    const ssize_t got2 = ReadAt(files[1], m_block2.data(), kReadAhead, 0);
    if (!EndedShort(got1, kReadAhead) || !EndedShort(got2, kReadAhead))
        return false;
    const auto closeBoth = [&files] {
        for (int &file : files)
            CloseFile(std::exchange(file, -1));
    };
    if (got1 == got2 && std::memcmp(m_block1.data(), m_block2.data(), static_cast<std::size_t>(got1)) == 0) {
        closeBoth();
        result.outcome = Outcome::Same;
        return true;
    }
    // Files that differ show their times; the look also makes sure that
    // what was read were regular files.
    struct stat status1;
    struct stat status2;
    if (fstat(files[0], &status1) != 0 || fstat(files[1], &status2) != 0 || !S_ISREG(status1.st_mode)
        || !S_ISREG(status2.st_mode))
        return false;
    closeBoth();
    result.outcome = Outcome::Different;
    result.time1 = static_cast<std::int64_t>(status1.st_mtime);
    result.time2 = static_cast<std::int64_t>(status2.st_mtime);
    return true;
}

FileComparer::Result FileComparer::Compare(const std::string &path1, const std::string &path2, bool listedRegular1,
                                           bool listedRegular2, bool bothStored)
{
    Result result;
    const Place place1 = PlaceOf(0, path1);
    const Place place2 = PlaceOf(1, path2);
    m_block1.resize(kBlockSize);
    m_block2.resize(kBlockSize);
    int files[2] = {-1, -1};
    if (!m_stamps && bothStored && listedRegular1 && listedRegular2 && DecideUnlooked(place1, place2, files, result))
        return result;
    PathLookUp look1(place1, listedRegular1, files[0]);
    PathLookUp look2(place2, listedRegular2, files[1]);
    result.stamps[0] = look1.Stamp();
    result.stamps[1] = look2.Stamp();
    if (DecideIrregular(look1, look2, result))
        return result;
    result.time1 = static_cast<std::int64_t>(look1.status.st_mtime);
    result.time2 = static_cast<std::int64_t>(look2.status.st_mtime);
    if (look1.status.st_size != look2.status.st_size) {
        result.outcome = Outcome::Different;
        return result;
    }
    ReadableFile file1(place1, look1.status, look1.TakeFile());
    if (!file1.IsOpen()) {
        result.outcome = Outcome::Unreadable1;
        result.error = file1.Error();
        return result;
    }
    ReadableFile file2(place2, look2.status, look2.TakeFile());
    if (!file2.IsOpen()) {
        result.outcome = Outcome::Unreadable2;
        result.error = file2.Error();
        return result;
    }
    for (;;) {
        const ssize_t got1 = file1.ReadBlock(m_block1);
        const ssize_t got2 = got1 < 0 ? 0 : file2.ReadBlock(m_block2);
        if (got1 < 0 || got2 < 0 || (m_cancel && m_cancel->load(std::memory_order_relaxed))) {
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
