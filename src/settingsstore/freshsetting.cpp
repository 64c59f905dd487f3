#include "settingsstore/freshsetting.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo {

FreshSettingNumber::FreshSettingNumber(QString name, std::int32_t fallback)
    : m_name(std::move(name)), m_fallback(fallback)
{
}

FreshSettingNumber::~FreshSettingNumber()
{
    if (m_fd >= 0)
        ::close(m_fd);
    CloseWatch();
}

void FreshSettingNumber::CloseWatch()
{
    if (m_watchFd >= 0)
        ::close(m_watchFd);
    m_watchFd = -1;
    m_watchTrusted = false;
}

namespace {

// Whether a folder's state is older than any step of the clock its times
// tick by: the kernel stamps times in steps, so an entry made within the same
// step as the last change leaves them as they were.
bool SettledSince(long long modifiedSeconds, long long changedSeconds)
{
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return modifiedSeconds + 2 <= now.tv_sec && changedSeconds + 2 <= now.tv_sec;
}

} // namespace

// Looking for a missing file walks its whole path, several times what a look
// at an open folder costs, and the scan asks tens of thousands of times a run.
void FreshSettingNumber::WatchNearestFolder(const QString &path, int error)
{
    CloseWatch();
    if (path.isEmpty() || (error != ENOENT && error != ENOTDIR))
        return; // missing for another reason (no permission): looked for every time
    QString folder = QFileInfo(path).absolutePath();
    for (int depth = 0; depth < 256 && m_watchFd < 0; ++depth) {
        m_watchFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_watchFd < 0 && (errno != ENOENT || folder == QLatin1String("/")))
            return;
        folder = QFileInfo(folder).absolutePath();
    }
    m_watchStamp = StampOf(m_watchFd);
}

int FreshSettingNumber::OpenMissing(const QString &path)
{
    const bool unchanged = m_watchFd >= 0 && StampOf(m_watchFd) == m_watchStamp;
    if (unchanged && m_watchTrusted)
        return -1;
    const int fd = Open(path);
    const int error = errno;
    if (fd >= 0) {
        CloseWatch();
    } else if (unchanged && m_watchStamp.exists) {
        // Still missing after the folder's last change has settled: from now
        // on any entry made there changes its times.
        m_watchTrusted = SettledSince(m_watchStamp.modifiedSeconds, m_watchStamp.changedSeconds);
    } else {
        WatchNearestFolder(path, error);
    }
    return fd;
}

FreshSettingNumber::FileStamp FreshSettingNumber::StampOf(int fd)
{
    FileStamp stamp;
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_nlink == 0)
        return stamp;
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.modifiedSeconds = info.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    stamp.changedSeconds = info.st_ctim.tv_sec;
    stamp.changedNanoseconds = info.st_ctim.tv_nsec;
    return stamp;
}

int FreshSettingNumber::Open(const QString &path)
{
    return path.isEmpty() ? -1 : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
}

std::int32_t FreshSettingNumber::Read()
{
    const SettingsStore store;
    // Working the path out again (the configuration folder included) costs
    // several times the look at the file; it changes only with its inputs.
    SettingsStore::FilePathInputs(m_pathInputsNow);
    if (!m_pathKnown || m_pathInputsNow != m_pathInputs) {
        m_currentPath = store.FilePath();
        m_pathInputs.swap(m_pathInputsNow);
        m_pathKnown = true;
    }
    const QString &path = m_currentPath;
    bool reopen = true;
    if (m_stamp && path == m_path) {
        if (m_fd >= 0) {
            // The same file with the same size and times, and still under its name.
            if (StampOf(m_fd) == *m_stamp)
                return m_value;
        } else {
            // It was missing; it is looked for again, unless nothing has
            // changed on its way since.
            m_fd = OpenMissing(path);
            if (m_fd < 0)
                return m_value;
            reopen = false;
        }
    }
    if (reopen) {
        if (m_fd >= 0)
            ::close(m_fd);
        CloseWatch();
        m_fd = OpenMissing(path);
    }
    m_path = path;
    m_value = store.ReadNumber(m_name).value_or(m_fallback);
    // Stamped after reading: a change during the read is seen next time.
    m_stamp = StampOf(m_fd);
    return m_value;
}

} // namespace lindo
