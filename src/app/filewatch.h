#pragma once

// Watches the files of the comparison on screen and tells, once a burst of
// writes has settled, that one of them changed on disk since it was read.
// Nothing is compared again: the user may be in the middle of choosing
// sections and decides when to compare.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <vector>

namespace lindo {

inline const QString kChangedOnDiskFormat = QStringLiteral("%1 changed on disk. Press F5 to compare again.");
inline const QString kBothChangedOnDiskFormat =
    QStringLiteral("%1 and %2 changed on disk. Press F5 to compare again.");

// What a file looks like on disk; a write, a replacement by rename or a
// deletion each changes it.
struct FileStamp {
    bool exists = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedSeconds = 0;
    long long modifiedNanoseconds = 0;
    bool operator==(const FileStamp &) const = default;
};

struct WatchedFile {
    QString path; // absolute
    FileStamp stamp;
};

class FileWatch : public QObject {
    Q_OBJECT
public:
    // Writes closer together than this give one notice.
    static constexpr int kSettleMs = 200;

    explicit FileWatch(QObject *parent = nullptr);

    // The files as they are now. Looked at before they are read, so that a
    // write during the read still counts as a change.
    static std::vector<WatchedFile> Look(const QStringList &paths);

    // Watches these files from now on, in place of the ones before; nothing
    // has changed yet.
    void Watch(std::vector<WatchedFile> files);
    // The watched files, and those of them that changed since they were
    // looked at, in watch order.
    QStringList Files() const;
    QStringList ChangedFiles() const;

signals:
    // More of the watched files have changed than were told before.
    void Changed();

private:
    void Settle();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    std::vector<WatchedFile> m_files;
    std::vector<bool> m_changed;
};

// The notice for the changed ones of the watched files: their names without
// folders, with as much of the folders as tells two files of one name apart.
QString ChangedOnDiskText(const QStringList &changed, const QStringList &watched);

} // namespace lindo
