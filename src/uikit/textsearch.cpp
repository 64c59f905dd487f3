#include "uikit/textsearch.h"

#include "engine/linekey.h"

#include <algorithm>
#include <cstring>

namespace lindo {

namespace {

bool EqualFolded(const char *a, const char *b, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (FoldedAscii(a[i]) != FoldedAscii(b[i]))
            return false;
    }
    return true;
}

// The first place at or after `from` where `first` (in either case when it is
// a letter and case is ignored) starts a candidate; npos for none.
std::size_t FindFirstByte(std::string_view text, unsigned char first, bool anyCase, std::size_t from)
{
    if (!anyCase) {
        const void *at = std::memchr(text.data() + from, first, text.size() - from);
        return at ? static_cast<std::size_t>(static_cast<const char *>(at) - text.data()) : std::string_view::npos;
    }
    // For a lower-case letter, setting bit 5 maps exactly its two cases onto it.
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    for (std::size_t i = from; i < text.size(); ++i) {
        if ((bytes[i] | 0x20) == first)
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::size_t FindBytes(std::string_view text, std::string_view needle, bool matchCase, std::size_t from)
{
    if (needle.empty() || from > text.size() || needle.size() > text.size() - from)
        return std::string_view::npos;
    const unsigned char first = matchCase ? static_cast<unsigned char>(needle[0])
                                          : static_cast<unsigned char>(FoldedAscii(needle[0]));
    const bool anyCase = !matchCase && first >= 'a' && first <= 'z';
    const std::size_t last = text.size() - needle.size();
    for (std::size_t at = from; at <= last; ++at) {
        at = FindFirstByte(text.substr(0, last + 1), first, anyCase, at);
        if (at == std::string_view::npos)
            return at;
        const bool rest = matchCase ? std::memcmp(text.data() + at + 1, needle.data() + 1, needle.size() - 1) == 0
                                    : EqualFolded(text.data() + at + 1, needle.data() + 1, needle.size() - 1);
        if (rest)
            return at;
    }
    return std::string_view::npos;
}

std::size_t FindBytesBefore(std::string_view text, std::string_view needle, bool matchCase, std::size_t before)
{
    std::size_t found = std::string_view::npos;
    for (std::size_t at = FindBytes(text, needle, matchCase, 0); at != std::string_view::npos && at < before;
         at = FindBytes(text, needle, matchCase, at + 1))
        found = at;
    return found;
}

TextMatch FindInLines(int lineCount, const LineBytes &lineAt, std::string_view needle, bool matchCase,
                      int line, std::size_t byte, bool forward)
{
    TextMatch match;
    if (lineCount <= 0 || needle.empty())
        return match;
    line = std::clamp(line, 0, lineCount - 1);
    // One pass over every line from the start, and the start line once more
    // for what lies on the other side of the starting byte.
    for (int step = 0; step <= lineCount; ++step) {
        const int offset = forward ? step : -step;
        const int at = ((line + offset) % lineCount + lineCount) % lineCount;
        const std::string_view text = lineAt(at);
        std::size_t found;
        if (step == 0)
            found = forward ? FindBytes(text, needle, matchCase, byte) : FindBytesBefore(text, needle, matchCase, byte);
        else if (forward)
            found = FindBytes(text, needle, matchCase, 0);
        else
            found = FindBytesBefore(text, needle, matchCase, std::string_view::npos);
        if (found != std::string_view::npos) {
            match.line = at;
            match.byte = found;
            match.length = needle.size();
            match.wrapped = forward ? line + offset >= lineCount : line + offset < 0;
            return match;
        }
    }
    return match;
}

} // namespace lindo
