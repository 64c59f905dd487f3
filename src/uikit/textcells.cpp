#include "uikit/textcells.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace lindo {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kEmojiPresentation = 0xFE0F;

bool IsControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

bool IsRegionalIndicator(char32_t c)
{
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

// The code point at text[at] and its length in bytes; 0 when the bytes
// there are no valid UTF-8 (overlong forms and surrogates included).
int DecodeAt(std::string_view text, std::size_t at, char32_t &c)
{
    utf8proc_int32_t point = 0;
    const auto length = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t *>(text.data() + at),
                                         static_cast<utf8proc_ssize_t>(text.size() - at), &point);
    if (length <= 0)
        return 0;
    c = static_cast<char32_t>(point);
    return static_cast<int>(length);
}

// A character that is more than one code point: its base, then whatever
// joins it.
TextCluster ComposedCluster(std::string_view text, std::size_t at, char32_t first, int firstLength)
{
    utf8proc_int32_t state = 0;
    int width = utf8proc_charwidth(static_cast<utf8proc_int32_t>(first));
    bool emoji = false;
    int regional = IsRegionalIndicator(first) ? 1 : 0;
    char32_t previous = first;
    std::size_t end = at + static_cast<std::size_t>(firstLength);
    while (end < text.size()) {
        char32_t c = 0;
        const int length = DecodeAt(text, end, c);
        if (length == 0 || IsControl(c)
            || utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(previous),
                                                static_cast<utf8proc_int32_t>(c), &state))
            break;
        width = std::max(width, utf8proc_charwidth(static_cast<utf8proc_int32_t>(c)));
        emoji = emoji || c == kEmojiPresentation;
        regional += IsRegionalIndicator(c) ? 1 : 0;
        previous = c;
        end += static_cast<std::size_t>(length);
    }
    // A flag, and a symbol asked to look like an emoji, are drawn as one.
    if (emoji || regional >= 2)
        width = 2;
    return {end - at, std::max(width, 1), CellKind::Text};
}

// Where the characters that are ASCII bytes of their own end, reading from
// `at` no further than `limit`: an ASCII byte right before one that is not
// may be the base a mark joins, so the stretch stops short of it.
std::size_t PlainAsciiEnd(std::string_view text, std::size_t at, std::size_t limit)
{
    const std::size_t scanned = std::min(text.size(), limit + 1);
    std::size_t end = at;
    while (end < scanned && static_cast<unsigned char>(text[end]) < 0x80)
        ++end;
    if (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80 && end > at)
        --end;
    return std::min(end, limit);
}

// Walks on while `goesOn(character start, cluster, cell after)` holds; the
// characters before byte `limit` that are ASCII bytes of their own are
// passed over in stretches, as they are sure to go on.
template <typename GoesOn>
ColumnIndex::Mark WalkWhile(std::string_view text, ColumnIndex::Mark at, int tabCells, std::size_t limit,
                            GoesOn goesOn)
{
    while (at.byte < text.size()) {
        if (at.byte < limit) {
            const std::size_t end = PlainAsciiEnd(text, at.byte, limit);
            if (end > at.byte) {
                at = {end, CellsAfter(text.substr(at.byte, end - at.byte), at.cell, tabCells)};
                continue;
            }
        }
        const TextCluster cluster = ClusterAt(text, at.byte);
        const qint64 next = CellAfter(cluster, at.cell, tabCells);
        if (!goesOn(at, cluster, next))
            break;
        at = {at.byte + cluster.length, next};
    }
    return at;
}

// Where a walk from `from` to `byte` ends when all it reads is ASCII, which
// is counted without cutting characters one by one; nothing otherwise. An
// ASCII byte always starts a character of its own.
std::optional<ColumnIndex::Mark> AsciiWalk(std::string_view text, ColumnIndex::Mark from, std::size_t byte,
                                           int tabCells)
{
    if (byte < from.byte || byte > text.size())
        return std::nullopt;
    const std::string_view span = text.substr(from.byte, byte - from.byte);
    if ((byte < text.size() && static_cast<unsigned char>(text[byte]) >= 0x80) || !IsAscii(span))
        return std::nullopt;
    return ColumnIndex::Mark{byte, CellsAfter(span, from.cell, tabCells)};
}

} // namespace

bool IsAscii(std::string_view text)
{
    constexpr std::uint64_t kTopBits = 0x8080808080808080ULL;
    std::uint64_t seen = 0;
    std::size_t byte = 0;
    for (; byte + sizeof seen <= text.size(); byte += sizeof seen) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + byte, sizeof word);
        seen |= word;
    }
    for (; byte < text.size(); ++byte)
        seen |= static_cast<unsigned char>(text[byte]);
    return (seen & kTopBits) == 0;
}

TextCluster ClusterAt(std::string_view text, std::size_t at)
{
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
        if (byte == '\t')
            return {1, 0, CellKind::Tab};
        if (IsControl(byte))
            return {1, 1, CellKind::Control};
        // Only a non-ASCII code point can join an ASCII base.
        if (at + 1 >= text.size() || static_cast<unsigned char>(text[at + 1]) < 0x80)
            return {1, 1, CellKind::Text};
    }
    char32_t first = 0;
    const int length = DecodeAt(text, at, first);
    if (length == 0)
        return {1, 1, CellKind::Invalid};
    if (IsControl(first))
        return {static_cast<std::size_t>(length), 1, CellKind::Control};
    return ComposedCluster(text, at, first, length);
}

QString ClusterText(std::string_view text, std::size_t at, const TextCluster &cluster)
{
    if (cluster.kind == CellKind::Invalid)
        return QString(QChar(static_cast<char16_t>(kReplacementCharacter)));
    return QString::fromUtf8(text.data() + at, static_cast<qsizetype>(cluster.length));
}

QString DecodedText(std::string_view text)
{
    if (IsAscii(text))
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    QString decoded;
    decoded.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0;
        const int length = DecodeAt(text, at, c);
        if (length > 0)
            decoded += QChar::fromUcs4(c);
        else
            decoded += QChar(static_cast<char16_t>(kReplacementCharacter));
        at += length > 0 ? static_cast<std::size_t>(length) : 1;
    }
    return decoded;
}

QString ReadableText(std::string_view text)
{
    constexpr char16_t kNulSymbol = 0x2400;
    QString readable = DecodedText(text);
    if (text.find('\0') != std::string_view::npos)
        readable.replace(QChar(0), QChar(kNulSymbol));
    return readable;
}

ColumnIndex::Mark CharacterAtOrAfter(std::string_view text, ColumnIndex::Mark from, std::size_t byte,
                                     int tabCells)
{
    if (const auto ascii = AsciiWalk(text, from, byte, tabCells))
        return *ascii;
    return WalkWhile(text, from, tabCells, byte,
                     [byte](const ColumnIndex::Mark &at, const TextCluster &, qint64) { return at.byte < byte; });
}

ColumnIndex::Mark CharacterAtOrBefore(std::string_view text, ColumnIndex::Mark from, std::size_t byte,
                                      int tabCells)
{
    if (const auto ascii = AsciiWalk(text, from, byte, tabCells))
        return *ascii;
    return WalkWhile(text, from, tabCells, byte, [byte](const ColumnIndex::Mark &at, const TextCluster &cluster, qint64) {
        return at.byte + cluster.length <= byte;
    });
}

ColumnIndex::Mark CharacterAtCell(std::string_view text, ColumnIndex::Mark from, qint64 cell, int tabCells)
{
    return WalkWhile(text, from, tabCells, 0,
                     [cell](const ColumnIndex::Mark &, const TextCluster &, qint64 next) { return next <= cell; });
}

qint64 CellsAfter(std::string_view text, qint64 cell, int tabCells)
{
    if (!IsAscii(text))
        return CharacterAtOrAfter(text, {0, cell}, text.size(), tabCells).cell;
    // Every byte a cell of its own but a tab, which runs to the next stop.
    while (!text.empty()) {
        const std::size_t tab = text.find('\t');
        cell += static_cast<qint64>(std::min(tab, text.size()));
        if (tab == std::string_view::npos)
            break;
        cell = (cell / tabCells + 1) * tabCells;
        text.remove_prefix(tab + 1);
    }
    return cell;
}

} // namespace lindo
