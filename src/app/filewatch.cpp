#include "app/filewatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace lindo {

namespace {

FileStamp StampOf(const QString &path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedSeconds = info.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    return stamp;
}

// The last `parts` parts of a path, "/"-separated.
QString Tail(const QString &path, int parts)
{
    const QStringList all = QDir::fromNativeSeparators(path).split('/', Qt::SkipEmptyParts);
    return all.mid(std::max<qsizetype>(0, all.size() - parts)).join('/');
}

} // namespace

FileWatch::FileWatch(QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &FileWatch::Settle);
    // Not restarted by later events: a file written on and on is still told
    // about within the settling time.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        if (!m_settle.isActive())
            m_settle.start();
    });
}

std::vector<WatchedFile> FileWatch::Look(const QStringList &paths)
{
    std::vector<WatchedFile> files;
    for (const QString &path : paths) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        files.push_back({absolute, StampOf(absolute)});
    }
    return files;
}

void FileWatch::Watch(std::vector<WatchedFile> files)
{
    m_settle.stop();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    m_files = std::move(files);
    m_changed.assign(m_files.size(), false);
    QStringList paths = Files();
    paths.removeDuplicates();
    if (!paths.isEmpty())
        m_watcher.addPaths(paths);
    // A write between the look and the watch has no event of its own.
    Settle();
}

QStringList FileWatch::Files() const
{
    QStringList paths;
    for (const WatchedFile &file : m_files)
        paths.push_back(file.path);
    return paths;
}

QStringList FileWatch::ChangedFiles() const
{
    QStringList changed;
    for (std::size_t n = 0; n < m_files.size(); ++n) {
        if (m_changed[n])
            changed.push_back(m_files[n].path);
    }
    return changed;
}

void FileWatch::Settle()
{
    // The stamps decide, not the events: an event left over from the files
    // watched before, or a change of permissions, is no change of the file.
    // A file replaced by rename or deleted drops out of the watcher, which
    // is right: once changed it stays changed until it is watched afresh.
    bool more = false;
    for (std::size_t n = 0; n < m_files.size(); ++n) {
        if (!m_changed[n] && StampOf(m_files[n].path) != m_files[n].stamp) {
            m_changed[n] = true;
            more = true;
        }
    }
    if (more)
        emit Changed();
}

QString ChangedOnDiskText(const QStringList &changed, const QStringList &watched)
{
    QStringList names = changed;
    names.removeDuplicates(); // one file on both sides
    QStringList all = watched;
    all.removeDuplicates();
    int parts = 1;
    while (all.size() == 2 && Tail(all[0], parts) == Tail(all[1], parts)
           && Tail(all[0], parts) != Tail(all[0], parts + 1))
        ++parts;
    if (names.isEmpty())
        return {};
    if (names.size() == 1)
        return kChangedOnDiskFormat.arg(Tail(names[0], parts));
    return kBothChangedOnDiskFormat.arg(Tail(names[0], parts), Tail(names[1], parts));
}

} // namespace lindo
