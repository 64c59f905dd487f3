#include "settingsstore/freshsetting.h"

#include <QFile>

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
    const QString path = store.FilePath();
    bool reopen = true;
    if (m_stamp && path == m_path) {
        if (m_fd >= 0) {
            // The same file with the same size and times, and still under its name.
            if (StampOf(m_fd) == *m_stamp)
                return m_value;
        } else {
            // It was missing; it is looked for again through its name.
            m_fd = Open(path);
            if (m_fd < 0)
                return m_value;
            reopen = false;
        }
    }
    if (reopen) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = Open(path);
    }
    m_path = path;
    m_value = store.ReadNumber(m_name).value_or(m_fallback);
    // Stamped after reading: a change during the read is seen next time.
    m_stamp = StampOf(m_fd);
    return m_value;
}

} // namespace lindo
