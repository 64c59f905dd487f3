// Arbitrary bytes as the settings file, then every read of the store on every
// value name: nothing may crash, and each read must either give nothing (so
// the caller's default applies) or a value of the promised shape.

#include "fuzzcheck.h"
#include "settingsstore/settingsnames.h"
#include "settingsstore/settingsstore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

using namespace lindo;

const char *const kNames[] = {
    settings::kFilePath1, settings::kFilePath2, settings::kFolderPath1, settings::kFolderPath2,
    settings::kWindowPos, settings::kFoldersWindowPos, settings::kMergedWindowPos,
    settings::kFoldersExceptionStrings, settings::kFoldersShowSame, settings::kFoldersExStrEnabled,
    settings::kColorIdentical, settings::kColorDifferent, settings::kColorInserted, settings::kMergePath,
    // Names the program does not use, in the shapes the file format treats specially.
    "", "General/FilePath1", "%General", "a b", "FilePath1 ",
};

QByteArray BytesOf(const WindowRect &rect)
{
    QByteArray bytes;
    for (std::int32_t field : {rect.left, rect.top, rect.right, rect.bottom}) {
        const auto value = static_cast<std::uint32_t>(field);
        for (int b = 0; b < 4; ++b)
            bytes.append(static_cast<char>((value >> (8 * b)) & 0xFF));
    }
    return bytes;
}

void CheckName(const SettingsStore &store, const QString &name)
{
    const std::optional<QString> text = store.ReadText(name);
    if (text) {
        const QByteArray bytes = text->toLocal8Bit();
        FUZZ_CHECK(bytes.size() <= SettingsStore::kMaxTextLength);
    }

    const std::optional<std::int32_t> number = store.ReadNumber(name);
    FUZZ_CHECK(number.has_value() == text.has_value());
    if (number) {
        const QByteArray bytes = text->toLocal8Bit();
        FUZZ_CHECK(*number == SettingsStore::DecimalValue(std::string_view(bytes.constData(),
                                                                            static_cast<std::size_t>(bytes.size()))));
    }

    const QStringList list = store.ReadList(name);
    FUZZ_CHECK(list == (text ? text->split(QLatin1Char(','), Qt::SkipEmptyParts) : QStringList()));
    for (const QString &entry : list)
        FUZZ_CHECK(!entry.isEmpty() && !entry.contains(QLatin1Char(',')));

    // Read over two rectangles that differ in every byte: the bytes that were
    // replaced agree and form a leading run; the rest are the caller's.
    WindowRect zeros{0, 0, 0, 0};
    WindowRect ones{-1, -1, -1, -1};
    store.ReadRect(name, zeros);
    store.ReadRect(name, ones);
    const QByteArray fromZeros = BytesOf(zeros);
    const QByteArray fromOnes = BytesOf(ones);
    bool kept = false;
    for (int b = 0; b < SettingsStore::kRectBytes; ++b) {
        const bool keptHere = fromZeros[b] == '\0' && fromOnes[b] == '\xff';
        FUZZ_CHECK(keptHere || fromZeros[b] == fromOnes[b]);
        FUZZ_CHECK(keptHere || !kept);
        kept = kept || keptHere;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // In memory where the system has it: every write of the store syncs the file.
    static const auto folder = std::make_unique<QTemporaryDir>(
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/lindo-settings-fuzz-XXXXXX")
                                                  : QDir::tempPath() + QStringLiteral("/lindo-settings-fuzz-XXXXXX"));
    static unsigned long long run = 0;
    // A fresh name for every input: the file system's time stamps are too
    // coarse to tell two inputs of the same size apart, and the store must
    // not be judged on a copy of the previous input.
    const QString path = folder->filePath(QStringLiteral("settings-%1.ini").arg(++run));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        FUZZ_CHECK(file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size))
                   == static_cast<qint64>(size));
    }
    const SettingsStore store(path);
    for (const char *name : kNames)
        CheckName(store, QString::fromLatin1(name));

    // Whatever the file held, the next close sequence's writes must land.
    const QString history = QStringLiteral("/tmp/a,/tmp/b,");
    store.WriteText(QString::fromLatin1(settings::kFilePath1), history);
    store.WriteNumber(QString::fromLatin1(settings::kColorInserted), 255);
    FUZZ_CHECK(store.ReadText(QString::fromLatin1(settings::kFilePath1)) == history);
    FUZZ_CHECK(store.ReadNumber(QString::fromLatin1(settings::kColorInserted)) == 255);
    QFile::remove(path);
    return 0;
}
