#pragma once

// The Merged window edits text but has to write back the very bytes it was
// given, whatever they are. Bytes are read as UTF-8; CR LF is a line break.
// A byte that cannot travel through the text area as a character of its own
// is carried by one code point of a reserved private-use block and written
// back as that byte:
// - a byte that is not part of a valid UTF-8 sequence;
// - NUL, and a CR or LF that is not part of a CR LF pair;
// - each byte of a valid sequence whose character the text area would not
//   keep as it is: a character of the reserved block itself, the line and
//   paragraph separators, and the two frame markers of Qt's documents.
// So decoding and encoding again gives back every byte, and a user's edit
// changes only the bytes of the characters it touches.

#include <QChar>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace lindo {

// U+F700 + byte carries the byte.
inline constexpr char16_t kByteEscapeBase = 0xF700;

constexpr bool IsByteEscape(QChar c)
{
    return (c.unicode() & 0xFF00) == kByteEscapeBase;
}

constexpr unsigned char EscapedByte(QChar c)
{
    return static_cast<unsigned char>(c.unicode() & 0xFF);
}

constexpr QChar ByteEscape(unsigned char byte)
{
    return QChar(static_cast<char16_t>(kByteEscapeBase | byte));
}

// The character that starts at bytes[at]: its length in bytes, with its code
// point in `c`; 0 when the byte there starts no valid UTF-8 sequence (overlong
// forms, surrogates and values beyond U+10FFFF are not valid).
int Utf8CharAt(std::string_view bytes, std::size_t at, char32_t &c);

// The text of bytes: line breaks (CR LF) become '\n'.
QString BytesToText(std::string_view bytes);

// Appends the bytes of text: escapes become their bytes, every line break
// ('\n', U+2028, U+2029) CR LF, and any other character its UTF-8 form (a
// surrogate without its partner that of U+FFFD).
void AppendTextBytes(QStringView text, std::string &bytes);

// Appends text typed or pasted from elsewhere, which is Unicode and nothing
// else: every character its UTF-8 form (those of the reserved block too),
// every line break (CR LF, a lone CR, a lone LF, U+2028, U+2029) CR LF, and a
// surrogate without its partner U+FFFD. So a line never gets a CR or LF.
void AppendUnicodeBytes(QStringView text, std::string &bytes);

} // namespace lindo
