// Two lines and a set of options: the changes found must be sorted, disjoint,
// non-adjacent spans inside each line that never cut a UTF-8 character;
// without blank options the unmarked bytes of both lines must read the same
// (after folding case when case is ignored); and ignoring case must mark
// exactly what comparing the lines folded to lower case marks.
//
// Input: one byte of options (bit 0 ignore case, bit 1 ignore space change,
// bit 2 ignore all space), the first line, one 0x1E byte, the second line.

#include "engine/linechanges.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lindo;

// Where characters start, decoded here without the finder's help: a
// well-formed sequence by the table of the Unicode standard, otherwise one
// stray byte.
std::vector<bool> CharacterStarts(std::string_view text)
{
    std::vector<bool> starts(text.size() + 1, false);
    const auto at = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    for (std::size_t i = 0; i < text.size();) {
        starts[i] = true;
        const unsigned b0 = at(i);
        const bool tail1 = (at(i + 1) & 0xC0) == 0x80;
        const bool tail2 = tail1 && (at(i + 2) & 0xC0) == 0x80;
        const bool tail3 = tail2 && (at(i + 3) & 0xC0) == 0x80;
        std::size_t length = 1;
        if (b0 >= 0xC2 && b0 <= 0xDF && tail1)
            length = 2;
        else if (b0 >= 0xE0 && b0 <= 0xEF && tail2 && !(b0 == 0xE0 && at(i + 1) < 0xA0)
                 && !(b0 == 0xED && at(i + 1) > 0x9F))
            length = 3;
        else if (b0 >= 0xF0 && b0 <= 0xF4 && tail3 && !(b0 == 0xF0 && at(i + 1) < 0x90)
                 && !(b0 == 0xF4 && at(i + 1) > 0x8F))
            length = 4;
        i += length;
    }
    starts[text.size()] = true;
    return starts;
}

void CheckSpans(std::string_view text, const std::vector<ByteSpan> &spans)
{
    const std::vector<bool> starts = CharacterStarts(text);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        FUZZ_CHECK(spans[i].begin < spans[i].end && spans[i].end <= text.size());
        FUZZ_CHECK(i == 0 || spans[i - 1].end < spans[i].begin);
        FUZZ_CHECK(starts[spans[i].begin] && starts[spans[i].end]);
    }
}

std::string Unmarked(std::string_view text, const std::vector<ByteSpan> &spans)
{
    std::string kept;
    std::size_t pos = 0;
    for (const ByteSpan &span : spans) {
        kept.append(text.substr(pos, span.begin - pos));
        pos = span.end;
    }
    return kept.append(text.substr(pos));
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char &c : lowered) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const LineKeyOptions options{.ignoreSpaceChange = (data[0] & 2) != 0,
                                 .ignoreAllSpace = (data[0] & 4) != 0,
                                 .ignoreCase = (data[0] & 1) != 0};
    const std::string_view input(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::size_t separator = input.find('\x1e');
    const std::string_view line1 = input.substr(0, separator);
    const std::string_view line2 = separator == std::string_view::npos ? line1 : input.substr(separator + 1);

    const LineChanges changes = FindLineChanges(line1, line2, options);
    CheckSpans(line1, changes.first);
    CheckSpans(line2, changes.second);
    if (!options.ignoreSpaceChange && !options.ignoreAllSpace) {
        const std::string kept1 = Unmarked(line1, changes.first);
        const std::string kept2 = Unmarked(line2, changes.second);
        FUZZ_CHECK(options.ignoreCase ? Lowered(kept1) == Lowered(kept2) : kept1 == kept2);
    }
    if (options.ignoreCase) {
        LineKeyOptions exact = options;
        exact.ignoreCase = false;
        const LineChanges folded = FindLineChanges(Lowered(line1), Lowered(line2), exact);
        FUZZ_CHECK(folded.first == changes.first && folded.second == changes.second);
    }
    return 0;
}
