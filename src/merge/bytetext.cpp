#include "merge/bytetext.h"

namespace lindo {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Characters the text area would not keep as they are: QTextDocument takes
// the separators and frame markers for structure, and a reserved code point
// would come back as a byte.
constexpr bool NeedsEscape(char32_t c)
{
    return (c & 0xFFFF00) == kByteEscapeBase || c == 0x2028 || c == 0x2029 || c == 0xFDD0
           || c == 0xFDD1;
}

// Length of the valid UTF-8 sequence at `at` (lead byte >= 0x80), or 0; the
// code point goes to `c`. Overlong forms, surrogates and values beyond
// U+10FFFF are not valid.
int SequenceAt(std::string_view bytes, std::size_t at, char32_t &c)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    int length = 0;
    unsigned char low = 0x80; // the second byte's range, narrowed for some leads
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - at < static_cast<std::size_t>(length))
        return 0;
    if (byte(1) < low || byte(1) > high)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i)))
            return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    return length;
}

void AppendUtf8(char32_t c, std::string &bytes)
{
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | (c >> 6));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += static_cast<char>(0xE0 | (c >> 12));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (c >> 18));
        bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

int Utf8CharAt(std::string_view bytes, std::size_t at, char32_t &c)
{
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
        c = byte;
        return 1;
    }
    return SequenceAt(bytes, at, c);
}

QString BytesToText(std::string_view bytes)
{
    // Every byte gives at most one UTF-16 unit (a four-byte sequence gives two).
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar *out = text.data();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte >= 0x20 && byte < 0x80) {
            *out++ = QChar(byte);
            ++at;
            continue;
        }
        if (byte == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') {
            *out++ = QChar(u'\n');
            at += 2;
            continue;
        }
        if (byte < 0x80) {
            const bool keep = byte != 0 && byte != '\r' && byte != '\n';
            *out++ = keep ? QChar(byte) : ByteEscape(byte);
            ++at;
            continue;
        }
        char32_t c = 0;
        const int length = SequenceAt(bytes, at, c);
        if (length == 0 || NeedsEscape(c)) {
            *out++ = ByteEscape(byte);
            ++at;
        } else if (c >= 0x10000) {
            *out++ = QChar(QChar::highSurrogate(c));
            *out++ = QChar(QChar::lowSurrogate(c));
            at += static_cast<std::size_t>(length);
        } else {
            *out++ = QChar(static_cast<char16_t>(c));
            at += static_cast<std::size_t>(length);
        }
    }
    text.truncate(out - text.constData());
    return text;
}

void AppendTextBytes(QStringView text, std::string &bytes)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80 && c != u'\n') {
            bytes += static_cast<char>(c.unicode());
        } else if (IsByteEscape(c)) {
            bytes += static_cast<char>(EscapedByte(c));
        } else if (c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            bytes += "\r\n";
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            AppendUtf8(QChar::surrogateToUcs4(c, text[i + 1]), bytes);
            ++i;
        } else if (c.isSurrogate()) {
            AppendUtf8(kReplacementCharacter, bytes);
        } else {
            AppendUtf8(c.unicode(), bytes);
        }
    }
}

void AppendUnicodeBytes(QStringView text, std::string &bytes)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            bytes += "\r\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            AppendUtf8(QChar::surrogateToUcs4(c, text[i + 1]), bytes);
            ++i;
        } else {
            AppendUtf8(c.isSurrogate() ? kReplacementCharacter : c.unicode(), bytes);
        }
    }
}

} // namespace lindo
