#include "app/freshsetting.h"

#include <QFile>

#include <sys/stat.h>

namespace lindo {

FreshSettingNumber::FreshSettingNumber(QString name, std::int32_t fallback)
    : m_name(std::move(name)), m_fallback(fallback)
{
}

FreshSettingNumber::FileStamp FreshSettingNumber::StampOf(const QString &path)
{
    FileStamp stamp;
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedSeconds = info.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    stamp.changedSeconds = info.st_ctim.tv_sec;
    stamp.changedNanoseconds = info.st_ctim.tv_nsec;
    return stamp;
}

std::int32_t FreshSettingNumber::Read()
{
    const SettingsStore store;
    const QString path = store.FilePath();
    const FileStamp stamp = StampOf(path);
    if (m_stamp && *m_stamp == stamp && path == m_path)
        return m_value;
    m_value = store.ReadNumber(m_name).value_or(m_fallback);
    // Stamped after reading: a change during the read is seen next time.
    m_path = path;
    m_stamp = stamp;
    return m_value;
}

} // namespace lindo
