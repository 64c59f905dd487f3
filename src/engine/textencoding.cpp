#include "engine/textencoding.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <new>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lindo {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::size_t kMinRoom = 64;

struct Bom {
    std::string_view bytes;
    const char *name;
};

// Longest first: FF FE 00 00 starts UTF-32 LE, or UTF-16 LE with a NUL
// first; the one that decodes wins.
constexpr Bom kBoms[] = {
    {std::string_view("\xFF\xFE\0\0", 4), "UTF-32LE"}, {std::string_view("\0\0\xFE\xFF", 4), "UTF-32BE"},
    {"\xEF\xBB\xBF", kUtf8},                           {"\xFF\xFE", "UTF-16LE"},
    {"\xFE\xFF", "UTF-16BE"},
};

struct Label {
    const char *name;
    const char *label;
};

constexpr Label kLabels[] = {
    {"UTF-16LE", "UTF-16 LE"},   {"UTF-16BE", "UTF-16 BE"},       {"UTF-32LE", "UTF-32 LE"},
    {"UTF-32BE", "UTF-32 BE"},   {"WINDOWS-1252", "Windows-1252"}, {"WINDOWS-1251", "Windows-1251"},
    {"SHIFT_JIS", "Shift_JIS"},
};

class Converter {
public:
    Converter(const char *to, const char *from) : m_cd(::iconv_open(to, from)) {}
    ~Converter()
    {
        if (IsOpen())
            ::iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// What stands for a sequence the converter cannot take: `taken` bytes of the
// input (0: none, the conversion fails) become `text`.
struct Substitute {
    std::size_t taken = 0;
    std::string text;
};

// Converts all of in, appending to out. At a sequence the converter does
// not take, substitute(rest of input) says what to put in its place.
//
// A conversion through a middle step (UTF-8 to an 8-bit encoding) decodes a
// whole buffer of input before the second step stops at a character it
// cannot write, and starts again after it: the input is given in short
// slices after each stop, so that a text with many of them is not decoded
// over and over. The slices grow back while no stop comes.
template <typename SubstituteFn>
bool Convert(const Converter &converter, std::string_view in, std::string &out, SubstituteFn substitute)
{
    constexpr std::size_t kShortSlice = 256;
    char *from = const_cast<char *>(in.data());
    std::size_t left = in.size();
    std::size_t slice = left;
    std::size_t used = out.size();
    out.resize(used + in.size() * 2 + kMinRoom);
    for (bool flushed = false; !flushed;) {
        if (out.size() - used < kMinRoom)
            out.resize(out.size() * 2);
        char *to = out.data() + used;
        std::size_t room = out.size() - used;
        const std::size_t given = std::min(left, slice);
        std::size_t sliceLeft = given;
        // With nothing left, a null input asks for the shift back to the initial state.
        const std::size_t result = left == 0 ? ::iconv(converter.Get(), nullptr, nullptr, &to, &room)
                                             : ::iconv(converter.Get(), &from, &sliceLeft, &to, &room);
        const int error = errno;
        left -= given - sliceLeft;
        used = static_cast<std::size_t>(to - out.data());
        if (result != static_cast<std::size_t>(-1)) {
            flushed = left == 0;
            slice = std::max(slice, slice * 2);
            continue;
        }
        if (error == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (error == EINVAL && left > sliceLeft) {
            slice = std::max(slice * 2, kShortSlice); // a character runs on past the slice
            continue;
        }
        const Substitute replacement = substitute(std::string_view(from, left));
        if (replacement.taken == 0) {
            out.resize(used);
            return false;
        }
        out.resize(std::max(out.size(), used + replacement.text.size() + kMinRoom));
        std::memcpy(out.data() + used, replacement.text.data(), replacement.text.size());
        used += replacement.text.size();
        from += replacement.taken;
        left -= replacement.taken;
        slice = kShortSlice;
    }
    out.resize(used);
    return true;
}

bool IsUnicodeName(const std::string &name)
{
    return name.compare(0, 3, "UTF") == 0;
}

// An 8-bit encoding that leaves bytes 0x80-0x9F without a character (as
// Windows-1252 does five of them) reads each as the control character of the
// same number, and writes it back as that byte: every byte keeps a character.
Substitute ControlForByte(std::string_view rest)
{
    const auto byte = static_cast<unsigned char>(rest.front());
    if (byte < 0x80 || byte > 0x9F)
        return {};
    return {1, std::string{'\xC2', static_cast<char>(byte)}};
}

Substitute ByteForControl(std::string_view rest)
{
    if (rest.size() < 2 || rest[0] != '\xC2' || static_cast<unsigned char>(rest[1]) > 0x9F)
        return {};
    return {2, std::string(1, rest[1])};
}

Substitute None(std::string_view)
{
    return {};
}

bool Decode(std::string_view bytes, const std::string &name, std::string &text)
{
    const Converter converter(kUtf8, name.c_str());
    if (!converter.IsOpen())
        return false;
    text.clear();
    return IsUnicodeName(name) ? Convert(converter, bytes, text, None) : Convert(converter, bytes, text, ControlForByte);
}

// Decodes bytes in name into text, but only when encoding the text again
// gives exactly the same bytes.
bool DecodeExactly(std::string_view bytes, const std::string &name, std::string &text)
{
    std::string again;
    return Decode(bytes, name, text) && EncodeText(text, {name, false}, again) && again == bytes;
}

// Whether any of the eight bytes of word is a CR: the exact zero-byte test
// on word with every CR turned to zero.
bool HasCrByte(std::uint64_t word)
{
    const std::uint64_t x = word ^ 0x0D0D0D0D0D0D0D0Dull;
    return ((x - 0x0101010101010101ull) & ~x & kHighBits) != 0;
}

// Text is mostly ASCII: the first byte from p on with its high bit set, or
// near it, looked for a block at a time; sawCr is set when the bytes passed
// hold a CR, so that finding none costs no pass of its own.
const unsigned char *AsciiRunEnd(const unsigned char *p, const unsigned char *end, bool &sawCr)
{
#ifdef __SSE2__
    constexpr std::ptrdiff_t kBlock = 64;
    const __m128i cr = _mm_set1_epi8('\r');
    for (; end - p >= kBlock; p += kBlock) {
        const auto *block = reinterpret_cast<const __m128i *>(p);
        const __m128i a = _mm_loadu_si128(block);
        const __m128i b = _mm_loadu_si128(block + 1);
        const __m128i c = _mm_loadu_si128(block + 2);
        const __m128i d = _mm_loadu_si128(block + 3);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0)
            break;
        const __m128i crs = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(a, cr), _mm_cmpeq_epi8(b, cr)),
                                         _mm_or_si128(_mm_cmpeq_epi8(c, cr), _mm_cmpeq_epi8(d, cr)));
        sawCr = sawCr || _mm_movemask_epi8(crs) != 0;
    }
#endif
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if ((word & kHighBits) != 0)
            break;
        sawCr = sawCr || HasCrByte(word);
    }
    return p;
}

std::size_t Utf8SequenceLength(const unsigned char *p, std::size_t left)
{
    const unsigned char lead = p[0];
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t n = 2; n < length; ++n) {
        if ((p[n] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

} // namespace

bool IsKnownEncoding(const std::string &name)
{
    return !name.empty() && Converter(kUtf8, name.c_str()).IsOpen();
}

Utf8Check CheckUtf8(std::string_view bytes, bool &sawCr)
{
    bool ascii = true;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const unsigned char *const end = p + bytes.size();
    while (p < end) {
        p = AsciiRunEnd(p, end, sawCr);
        if (p == end)
            break;
        if (*p < 0x80) {
            sawCr = sawCr || *p == '\r';
            ++p;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(p, static_cast<std::size_t>(end - p));
        if (length == 0)
            return Utf8Check::Invalid;
        ascii = false;
        p += length;
    }
    return ascii ? Utf8Check::Ascii : Utf8Check::Utf8;
}

bool HasNonAscii(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string FallbackName(std::string_view name)
{
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return IsKnownEncoding(upper) ? upper : std::string(kDefaultFallbackEncoding);
}

TextEncoding DecodeText(ByteBuffer &buffer, const std::string &fallback, bool &nonAscii, bool *noCr)
{
    const std::string_view bytes = buffer.View();
    std::string text;
    const auto take = [&buffer, &nonAscii, &text](const TextEncoding &encoding) {
        nonAscii = HasNonAscii(text);
        buffer.Assign(text);
        return encoding;
    };
    for (const Bom &bom : kBoms) {
        if (bytes.substr(0, bom.bytes.size()) != bom.bytes)
            continue;
        const std::string_view rest = bytes.substr(bom.bytes.size());
        if (bom.name == std::string_view(kUtf8)) {
            // Kept as it is, invalid sequences too: they are written back as they were.
            nonAscii = HasNonAscii(rest);
            std::memmove(buffer.Data(), rest.data(), rest.size());
            buffer.SetSize(rest.size());
            return {kUtf8, true};
        }
        if (DecodeExactly(rest, bom.name, text))
            return take({bom.name, true});
    }
    bool sawCr = false;
    const Utf8Check check = CheckUtf8(bytes, sawCr);
    if (check != Utf8Check::Invalid) {
        nonAscii = check == Utf8Check::Utf8;
        if (noCr)
            *noCr = !sawCr;
        return {};
    }
    for (const std::string &name : {fallback, std::string(kDefaultFallbackEncoding)}) {
        if (DecodeExactly(bytes, name, text))
            return take({name, false});
    }
    // Windows-1252 gives every byte a character, so this is not reached.
    nonAscii = true;
    return {};
}

bool EncodeText(std::string_view text, const TextEncoding &encoding, std::string &out)
{
    if (encoding.name == kUtf8) {
        out += text;
        return true;
    }
    const Converter converter(encoding.name.c_str(), kUtf8);
    if (!converter.IsOpen())
        return false;
    const std::size_t before = out.size();
    const bool done = IsUnicodeName(encoding.name) ? Convert(converter, text, out, None)
                                                   : Convert(converter, text, out, ByteForControl);
    if (!done)
        out.resize(before);
    return done;
}

std::string_view BomOf(const TextEncoding &encoding)
{
    if (!encoding.bom)
        return {};
    for (const Bom &bom : kBoms) {
        if (encoding.name == bom.name)
            return bom.bytes;
    }
    return {};
}

std::string EncodingLabel(const TextEncoding &encoding)
{
    std::string label = encoding.name;
    for (const Label &known : kLabels) {
        if (encoding.name == known.name)
            label = known.label;
    }
    if (encoding.bom)
        label += ", BOM";
    return label;
}

} // namespace lindo
