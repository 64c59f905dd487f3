#include "engine/safewritefiles.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace lindo::safewrite {

namespace {

constexpr int kNameAttempts = 100;

std::string RandomSuffix()
{
    static std::mt19937_64 generator{std::random_device{}()};
    std::string suffix;
    for (std::size_t n = 0; n < kUniqueLetters; ++n)
        suffix += kUniqueAlphabet[generator() % kUniqueAlphabet.size()];
    return suffix;
}

} // namespace

std::filesystem::path FolderOf(const std::filesystem::path &file)
{
    return file.has_parent_path() ? file.parent_path() : ".";
}

int CreateUniquelyNamed(const std::filesystem::path &folder, const std::string &prefix, mode_t mode,
                        std::string &created)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        created = (folder / (prefix + RandomSuffix())).string();
        const int fd = ::open(created.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

std::filesystem::path StateFolder()
{
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::filesystem::path(state) / "lindo";
    if (const char *home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "state" / "lindo";
    return {};
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

bool WriteAllAt(int fd, std::string_view bytes, off_t offset)
{
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

bool FlushAndClose(int fd)
{
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL;
    const bool closed = ::close(fd) == 0;
    return flushed && closed;
}

bool FlushFolder(const std::filesystem::path &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder we may not open for reading cannot be flushed by us at all.
    if (fd < 0)
        return errno == EACCES;
    return FlushAndClose(fd);
}

int DescriptorNamed(std::string_view path)
{
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    for (const std::string_view folder : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/")}) {
        if (!path.starts_with(folder))
            continue;
        const std::string_view digits = path.substr(folder.size());
        int fd = -1;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty())
            return fd;
    }
    return -1;
}

} // namespace lindo::safewrite
