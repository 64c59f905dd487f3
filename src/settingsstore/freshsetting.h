#pragma once

// One number value that is read afresh whenever the settings file has changed
// since the last read. The folder scan asks for "FoldersShowSame" at every
// pair of identical files, tens of thousands of times a run; a look at the
// file it was read from costs one system call on a descriptor kept open for
// that, a read through the store several. A value another process stores
// meanwhile is seen at the very next read: the store replaces the whole file,
// which leaves the kept file with no name. While there is no file, the
// nearest folder on its path that exists is kept open instead: a file (or a
// folder on the way to it) appearing there changes that folder's times.

#include "settingsstore/settingsstore.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace lindo {

class FreshSettingNumber {
public:
    FreshSettingNumber(QString name, std::int32_t fallback);
    ~FreshSettingNumber();
    FreshSettingNumber(const FreshSettingNumber &) = delete;
    FreshSettingNumber &operator=(const FreshSettingNumber &) = delete;

    // The stored number, or the fallback when nothing usable is stored.
    std::int32_t Read();

private:
    struct FileStamp {
        bool exists = false; // the file has a name (it was not replaced or removed)
        long long size = 0;
        long long modifiedSeconds = 0;
        long long modifiedNanoseconds = 0;
        long long changedSeconds = 0;
        long long changedNanoseconds = 0;
        bool operator==(const FileStamp &) const = default;
    };
    static FileStamp StampOf(int fd);
    static int Open(const QString &path);
    int OpenMissing(const QString &path);
    void WatchNearestFolder(const QString &path, int error);
    void CloseWatch();

    QString m_name;
    std::int32_t m_fallback;
    std::string m_pathInputs;    // what decided the file's path when it was worked out
    std::string m_pathInputsNow; // the same now (kept to reuse its storage)
    bool m_pathKnown = false;
    QString m_currentPath;            // the file's path as they decide it
    QString m_path;                   // the file the value was last read from
    int m_fd = -1;                    // that file, open; -1 when it did not exist
    std::optional<FileStamp> m_stamp; // its state then; nothing before the first read
    std::int32_t m_value = 0;
    int m_watchFd = -1;     // while the file is missing: the nearest folder of its path that exists
    FileStamp m_watchStamp; // that folder's state when the file was found missing
    bool m_watchTrusted = false; // whether the file was still missing once that state had settled
};

} // namespace lindo
