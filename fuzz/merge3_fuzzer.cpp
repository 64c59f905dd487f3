// The three-way merge on any three texts. The input is FILE1, BASE and
// FILE2 one after the other, each ended by a 0x00 byte (the last may run to
// the input's end). After every merge: the stretches cover every line of the
// three files once, in order; each stretch's kind says truly what changed;
// the conflict count is right; the written merge without conflicts is the
// stretches' lines as the merge takes them; and a triple of one text thrice
// merges to that text.

#include "engine/merge3.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace lindo;

Merge3Text TextOf(std::string_view bytes)
{
    Merge3Text text;
    text.bytes.Assign(bytes);
    CutMerge3Lines(text);
    return text;
}

std::string Join(const Merge3Text &text, std::int32_t first, std::int32_t count)
{
    std::string joined;
    for (std::int32_t i = first; i < first + count; ++i)
        joined += text.lines[static_cast<std::size_t>(i)];
    return joined;
}

// Checks the stretches; returns the merge as they take it, FILE1's lines in
// a conflict.
std::string CheckStretches(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result)
{
    std::array<std::int32_t, 3> next{};
    std::size_t conflicts = 0;
    std::string taken;
    for (const Merge3Stretch &s : result.stretches) {
        std::array<std::string, 3> part;
        for (std::size_t f = 0; f < 3; ++f) {
            FUZZ_CHECK(s.first[f] == next[f] && s.count[f] >= 0);
            next[f] += s.count[f];
            FUZZ_CHECK(static_cast<std::size_t>(next[f]) <= texts[f]->lines.size());
            part[f] = Join(*texts[f], s.first[f], s.count[f]);
        }
        const bool firstChanged = part[0] != part[1];
        const bool secondChanged = part[2] != part[1];
        switch (s.kind) {
        case Merge3Kind::Unchanged:
            FUZZ_CHECK(!firstChanged && !secondChanged);
            break;
        case Merge3Kind::FirstOnly:
            FUZZ_CHECK(firstChanged && !secondChanged);
            break;
        case Merge3Kind::SecondOnly:
            FUZZ_CHECK(!firstChanged && secondChanged);
            break;
        case Merge3Kind::BothAlike:
            FUZZ_CHECK(firstChanged && part[0] == part[2]);
            break;
        case Merge3Kind::Conflict:
            FUZZ_CHECK(part[0] != part[2]);
            ++conflicts;
            break;
        }
        taken += s.kind == Merge3Kind::SecondOnly ? part[2] : part[0];
    }
    for (std::size_t f = 0; f < 3; ++f)
        FUZZ_CHECK(static_cast<std::size_t>(next[f]) == texts[f]->lines.size());
    FUZZ_CHECK(conflicts == result.conflicts);
    return taken;
}

std::string_view NextText(std::string_view &input)
{
    const std::size_t end = input.find('\0');
    const std::string_view text = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    const Merge3Text first = TextOf(NextText(input));
    const Merge3Text base = TextOf(NextText(input));
    const Merge3Text second = TextOf(NextText(input));
    const std::array<const Merge3Text *, 3> texts{&first, &base, &second};
    const Merge3Result result = Merge3(texts);
    const std::string taken = CheckStretches(texts, result);
    std::string merged;
    WriteMerge3(texts, result, {"1", "b", "2"}, true, merged);
    if (result.conflicts == 0)
        FUZZ_CHECK(merged == taken);

    const std::array<const Merge3Text *, 3> same{&base, &base, &base};
    const Merge3Result sameResult = Merge3(same);
    std::string sameMerged;
    WriteMerge3(same, sameResult, {"1", "b", "2"}, false, sameMerged);
    FUZZ_CHECK(sameResult.conflicts == 0 && sameMerged == base.bytes.View());
    CheckStretches(same, sameResult);
    return 0;
}
