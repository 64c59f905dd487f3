#include "settingsstore/settingsstore.h"

#include "settingsstore/settingsnames.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <limits>

namespace lindo {

namespace {

// Text as the program's 8-bit side sees it: the local encoding, ending at the
// first zero byte the way a zero-terminated text does.
QByteArray EightBit(const QString &text)
{
    QByteArray bytes = text.toLocal8Bit();
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return bytes;
}

// A text value's content. A value written by hand with unquoted commas comes
// back from the INI reader as a list of its pieces; joined again it is the
// text that was written.
std::optional<QString> TextOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        return value.toStringList().join(QLatin1Char(','));
    default:
        return std::nullopt;
    }
}

QByteArray RectBytes(const WindowRect &rect)
{
    QByteArray bytes(SettingsStore::kRectBytes, '\0');
    const std::int32_t fields[] = {rect.left, rect.top, rect.right, rect.bottom};
    for (int f = 0; f < 4; ++f) {
        const auto value = static_cast<std::uint32_t>(fields[f]);
        for (int b = 0; b < 4; ++b)
            bytes[f * 4 + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
    }
    return bytes;
}

WindowRect RectFromBytes(const QByteArray &bytes)
{
    std::int32_t fields[4];
    for (int f = 0; f < 4; ++f) {
        std::uint32_t value = 0;
        for (int b = 0; b < 4; ++b)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[f * 4 + b]))
                     << (8 * b);
        fields[f] = static_cast<std::int32_t>(value);
    }
    return {fields[0], fields[1], fields[2], fields[3]};
}

// What QSettings needs to write the file: an existing file it can open for
// reading and writing (it must read the file to keep the other values), and a
// folder, created when missing, where it can make the temporary file that
// replaces the old one.
bool CanReplace(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists()) {
        QFile existing(path);
        if (!info.isFile() || !existing.open(QIODevice::ReadWrite))
            return false;
    }
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(folder + QLatin1String("/.lindo-probe-XXXXXX"));
    return probe.open();
}

// The file's last-write time as QSettings compares it: whole milliseconds;
// -1 when there is no file.
qint64 ModifiedMilliseconds(const QByteArray &path)
{
    struct stat status;
    if (::stat(path.constData(), &status) != 0)
        return -1;
    return qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
}

// Holds a lock on a folder while it lives: shared for readers, exclusive for
// writers. No lock (and no wait) when the folder cannot be opened.
class FolderLock {
public:
    enum Mode { Shared = LOCK_SH, Exclusive = LOCK_EX };

    FolderLock(const QString &folder, Mode mode)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0) {
            while (::flock(m_fd, mode) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    int m_fd;
};

// Whether the INI writer, which writes back only the values it read, would
// drop any of the file's lines: comments, and lines that are neither a
// section name nor a value.
bool HasLinesTheWriterDrops(const QByteArray &contents)
{
    for (const QByteArray &rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || (line.startsWith('[') && line.endsWith(']')))
            continue;
        if (line.startsWith(';') || line.startsWith('#') || !line.contains('='))
            return true;
    }
    return false;
}

// Before a write drops lines of the file, keeps the file as it was beside it
// (path.bak, or path.bak.N when that is taken), with its owner and mode, and
// says so: the lines are the user's, and nothing else would tell them.
void KeepCopyBeforeDroppingLines(const QString &path, const struct stat &status)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray contents = file.readAll();
    if (!HasLinesTheWriterDrops(contents))
        return;
    QString copyPath = path + QLatin1String(".bak");
    for (int n = 1; QFileInfo::exists(copyPath) || QFileInfo(copyPath).isSymLink(); ++n)
        copyPath = path + QLatin1String(".bak.") + QString::number(n);
    const QByteArray encoded = QFile::encodeName(copyPath);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    QFile copy;
    const bool kept = copy.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)
                      && copy.write(contents) == contents.size() && copy.flush()
                      && ::fchown(fd, status.st_uid, status.st_gid) == 0 && ::fchmod(fd, status.st_mode & 07777) == 0;
    copy.close();
    if (!kept) {
        ::unlink(encoded.constData());
        return;
    }
    std::fprintf(stderr, "lindo: %s has comments or lines the program does not read, which saving a setting drops; "
                         "the file as it was is kept in %s\n",
                 QFile::encodeName(path).constData(), encoded.constData());
}

} // namespace

SettingsStore::SettingsStore(QString filePath)
    : m_filePath(std::move(filePath))
{
}

QString SettingsStore::FilePath() const
{
    if (!m_filePath.isEmpty())
        return m_filePath;
    const QString fromEnvironment = qEnvironmentVariable(settings::kStoreFileVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString configFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (configFolder.isEmpty())
        return {};
    return configFolder + QLatin1Char('/') + QLatin1String(settings::kStoreFolder)
           + QLatin1Char('/') + QLatin1String(settings::kStoreFile);
}

void SettingsStore::FilePathInputs(std::string &inputs)
{
    // The store's own variable, else the configuration folder, which
    // QStandardPaths takes from these two.
    inputs.clear();
    for (const char *name : {settings::kStoreFileVariable, "XDG_CONFIG_HOME", "HOME"}) {
        if (const char *value = std::getenv(name))
            inputs.append(1, '=').append(value);
        inputs += '\0';
    }
}

std::optional<QVariant> SettingsStore::ReadValue(const QString &name) const
{
    if (name.isEmpty())
        return std::nullopt;
    const QString path = FilePath();
    // A missing file has no values; saying so costs one look at the file
    // system instead of the three QSettings makes (the folder scan reads a
    // value for every identical pair of files). Only a regular file is read:
    // QSettings would wait for ever on a pipe and read a device without end.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    // QSettings reads the file and only then looks up its size and time by
    // name, and trusts its copy while those stay the same. A write landing
    // between the two would leave the old values filed under the new file's
    // size and time, seen by every later read until the next write. Reading
    // while no writer holds the folder keeps the two about the same file.
    const FolderLock turn(QFileInfo(path).absolutePath(), FolderLock::Shared);
    const QSettings file(path, QSettings::IniFormat);
    // A file that cannot be read counts as no file at all. A file with damaged
    // lines still gives the values on its sound lines; the damaged ones read
    // as absent.
    if (file.status() == QSettings::AccessError)
        return std::nullopt;
    QVariant value = file.value(name); // invalid when missing
    if (!value.isValid())
        return std::nullopt;
    return value;
}

void SettingsStore::WriteValue(const QString &name, const QVariant &value) const
{
    if (name.isEmpty())
        return;
    const QString path = FilePath();
    // QSettings keeps a value it failed to write as pending in its per-file
    // cache and would show it to every later reader in this process, so a
    // write is attempted only when it can succeed.
    if (path.isEmpty() || !CanReplace(path))
        return;
    // QSettings keeps the copy of the file it last read and trusts it while
    // the file's size and its time, to the millisecond, are unchanged. A
    // write by another process within the same millisecond that keeps the
    // size would go unseen: this process would read the old values, and
    // write them back over the other's. So every write leaves the file with
    // a later time than the one it replaced, and the writers of all
    // processes take turns, so that no two of them leave the same time.
    const FolderLock turn(QFileInfo(path).absolutePath(), FolderLock::Exclusive);
    const QByteArray encodedPath = QFile::encodeName(path);
    const qint64 before = ModifiedMilliseconds(encodedPath);
    struct stat old {};
    const bool existed = ::stat(encodedPath.constData(), &old) == 0;
    if (existed)
        KeepCopyBeforeDroppingLines(path, old);
    {
        // QSettings writes the whole file to a temporary beside it and renames
        // it into place when it goes away; a failure leaves the old file untouched.
        QSettings file(path, QSettings::IniFormat);
        file.setValue(name, value);
    }
    // The new file is the writer's (with the old file's mode); a store
    // written by root for a user stays the user's, or the user's own runs
    // could no longer read or write it.
    if (existed) {
        const int owned = ::chown(encodedPath.constData(), old.st_uid, old.st_gid);
        (void)owned;
    }
    if (before >= 0 && ModifiedMilliseconds(encodedPath) <= before) {
        const qint64 later = before + 1;
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {static_cast<time_t>(later / 1000), static_cast<long>(later % 1000) * 1000000}};
        ::utimensat(AT_FDCWD, encodedPath.constData(), times, 0);
    }
}

std::optional<QString> SettingsStore::ReadText(const QString &name) const
{
    const auto value = ReadValue(name);
    if (!value)
        return std::nullopt;
    const auto text = TextOf(*value);
    if (!text)
        return std::nullopt;
    const QByteArray bytes = EightBit(*text);
    if (bytes.size() > kMaxTextLength)
        return std::nullopt;
    return QString::fromLocal8Bit(bytes);
}

void SettingsStore::WriteText(const QString &name, const QString &text) const
{
    WriteValue(name, QString::fromLocal8Bit(EightBit(text)));
}

std::optional<std::int32_t> SettingsStore::ReadNumber(const QString &name) const
{
    const auto text = ReadText(name);
    if (!text)
        return std::nullopt;
    const QByteArray bytes = text->toLocal8Bit();
    return DecimalValue(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void SettingsStore::WriteNumber(const QString &name, std::int32_t number) const
{
    WriteText(name, QString::number(number));
}

QStringList SettingsStore::ReadList(const QString &name) const
{
    const auto text = ReadText(name);
    if (!text)
        return {};
    return text->split(QLatin1Char(','), Qt::SkipEmptyParts);
}

void SettingsStore::WriteList(const QString &name, const QStringList &entries) const
{
    QString text;
    for (const QString &entry : entries)
        text += entry + QLatin1Char(',');
    WriteText(name, text);
}

void SettingsStore::ReadRect(const QString &name, WindowRect &rect) const
{
    const auto value = ReadValue(name);
    if (!value)
        return;
    QByteArray bytes;
    if (value->metaType().id() == QMetaType::QByteArray) {
        bytes = value->toByteArray();
    } else if (const auto text = TextOf(*value)) {
        bytes = EightBit(*text);
        bytes.append('\0');
    } else {
        return; // a kind of value that has no byte form
    }
    if (bytes.size() > kRectBytes)
        return;
    QByteArray merged = RectBytes(rect);
    merged.replace(0, bytes.size(), bytes);
    rect = RectFromBytes(merged);
}

void SettingsStore::WriteRect(const QString &name, const WindowRect &rect) const
{
    WriteValue(name, RectBytes(rect));
}

std::int32_t SettingsStore::DecimalValue(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size()
           && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\v'
               || text[at] == '\f' || text[at] == '\r'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    // The magnitude saturates just past the 32-bit range, so any run of digits fits.
    constexpr std::int64_t kSaturated = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        magnitude = std::min(magnitude * 10 + (text[at] - '0'), kSaturated);
    if (negative)
        return static_cast<std::int32_t>(-magnitude);
    return static_cast<std::int32_t>(std::min(magnitude, kSaturated - 1));
}

} // namespace lindo
