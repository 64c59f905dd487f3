#pragma once

// Files as people have them: what a file's bytes were read as, their text as
// UTF-8 for the comparison, and the way back to the same bytes for the merge.
//
// A file is UTF-8 with a BOM, UTF-16 or UTF-32 with one, UTF-8 when its bytes
// are valid UTF-8, and otherwise text in an 8-bit fallback encoding. Nothing
// is ever altered: a file that would not come back byte for byte from its
// decoded text is read in the fallback, and where even the fallback would not
// bring it back, as Windows-1252, whose every byte has a character.

#include "engine/bytebuffer.h"

#include <string>
#include <string_view>

namespace lindo {

inline constexpr char kUtf8[] = "UTF-8";
inline constexpr char kDefaultFallbackEncoding[] = "WINDOWS-1252";

struct TextEncoding {
    std::string name = kUtf8; // as the system's converter knows it
    bool bom = false;

    bool operator==(const TextEncoding &) const = default;
    // The bytes are the text itself: nothing to decode or encode.
    bool IsPlainUtf8() const { return !bom && name == kUtf8; }
};

// Whether the system's converter knows name as an encoding.
bool IsKnownEncoding(const std::string &name);

// Decides the encoding of buffer's bytes and leaves their text there as UTF-8,
// without the BOM; nonAscii tells whether the text holds anything outside
// ASCII. Valid UTF-8 without a BOM is left untouched; then noCr, when given,
// tells whether it holds no CR at all, found on the same pass. The fallback's
// name is as the converter knows it (see FallbackName). Throws std::bad_alloc.
TextEncoding DecodeText(ByteBuffer &buffer, const std::string &fallback, bool &nonAscii, bool *noCr = nullptr);

// A fallback encoding's name as the engine keeps it (in capitals); the
// default for a name the converter does not know.
std::string FallbackName(std::string_view name);

// The bytes of UTF-8 text in encoding, without a BOM, appended to out; false
// when a character has no place in it (out is then as it was).
bool EncodeText(std::string_view text, const TextEncoding &encoding, std::string &out);

// The bytes that start a file in encoding: its BOM, or none.
std::string_view BomOf(const TextEncoding &encoding);

// How the encoding reads to a user: "UTF-8", "UTF-16 LE, BOM", "Windows-1252".
std::string EncodingLabel(const TextEncoding &encoding);

// Whether text holds anything outside ASCII.
bool HasNonAscii(std::string_view text);

enum class Utf8Check { Ascii, Utf8, Invalid };
// Whether bytes are valid UTF-8 (shortest forms, no surrogates), and ASCII
// at that; sawCr is set when they hold a CR (looked for only while valid).
Utf8Check CheckUtf8(std::string_view bytes, bool &sawCr);

// The fallback encodings offered for choosing, by the names the converter knows.
inline constexpr const char *kCommonFallbackEncodings[] = {
    "WINDOWS-1252", "ISO-8859-1", "ISO-8859-15", "WINDOWS-1251", "KOI8-R", "SHIFT_JIS", "GB18030", "EUC-KR",
};

} // namespace lindo
