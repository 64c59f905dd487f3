#pragma once

// The values the program keeps between runs, in one INI file. The store has
// no state of its own and caches nothing: every operation opens the file,
// does exactly one read or one write, and closes it again, so a value written
// by another store or another process is seen at the next read.
//
// Nothing here ever reports a failure. A file that is missing, unreadable or
// corrupt reads as if every value were absent, so the callers' defaults apply;
// a write that cannot be done is lost. Value names are the keys of the file
// (see settingsstore/settingsnames.h); text is 8-bit (the local encoding) on the
// program's side of this interface.

#include "settingsstore/windowrect.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lindo {

class SettingsStore {
public:
    // The user's store, located afresh at every call: $LINDO_SETTINGS_FILE when
    // set, otherwise Brannock/Lindo.ini under the user's configuration folder.
    SettingsStore() = default;
    // A store kept in the given file.
    explicit SettingsStore(QString filePath);

    // Text, or nothing when the value is missing, is not text, or is longer
    // than kMaxTextLength bytes in the local encoding.
    std::optional<QString> ReadText(const QString &name) const;
    void WriteText(const QString &name, const QString &text) const;

    // ReadText followed by the lenient decimal conversion of DecimalValue.
    std::optional<std::int32_t> ReadNumber(const QString &name) const;
    // Stored as decimal text.
    void WriteNumber(const QString &name, std::int32_t number) const;

    // The text split at commas, empty pieces dropped; empty when ReadText gives nothing.
    QStringList ReadList(const QString &name) const;
    // Every entry followed by one comma, the last included; no entries: the empty text.
    void WriteList(const QString &name, const QStringList &entries) const;

    // The stored bytes replace the leading bytes of the rectangle's 16-byte
    // form (left, top, right, bottom, each signed 32-bit little-endian). A
    // value longer than 16 bytes is not used; a shorter one replaces only as
    // many bytes as it has. Text values count as their bytes with a
    // terminating zero. Missing or unreadable: the rectangle stays as it is.
    void ReadRect(const QString &name, WindowRect &rect) const;
    // Stored as a 16-byte binary value.
    void WriteRect(const QString &name, const WindowRect &rect) const;

    // The file read and written at this moment; empty when there is none
    // (no configuration folder can be found).
    QString FilePath() const;

    // What FilePath of a store made without a path depends on: the values
    // of the variables it reads, into `inputs`. While they stay the same, so
    // does the path, which is several times dearer to work out.
    static void FilePathInputs(std::string &inputs);

    // Optional leading blanks and sign, then digits up to the first other
    // character; text without leading digits is 0. Out-of-range values are
    // clamped to the 32-bit range.
    static std::int32_t DecimalValue(std::string_view text);

    // Text values are read through a buffer of 1024 bytes, terminator included.
    static constexpr int kMaxTextLength = 1023;
    static constexpr int kRectBytes = 16;

private:
    std::optional<QVariant> ReadValue(const QString &name) const;
    void WriteValue(const QString &name, const QVariant &value) const;

    QString m_filePath; // empty: the user's store
};

} // namespace lindo
