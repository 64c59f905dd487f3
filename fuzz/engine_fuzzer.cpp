// Two byte texts read into lines exactly as files are, compared and merged;
// every property the rest of the program relies on is checked afterwards,
// and the result must agree with the plain step-by-step transcription the
// engine tests use as their reference.
//
// Input: the first text, one 0x1E byte, the second text. Without a 0x1E byte
// the input is compared with itself. Each text is read in its encoding (a
// BOM, valid UTF-8, or else Windows-1252), as files are; the reference
// compares the decoded texts. The pair is also compared ignoring
// blanks or case, as the input's length chooses, against the reference
// comparing by the same keys. The input's length also chooses which of the
// two goes through cycles that follow only what changed.

#include "engine/diffengine.h"
#include "engine/textencoding.h"
#include "engine/textreader.h"
#include "fuzzcheck.h"
#include "referenceengine.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lindo;

constexpr char kSeparator = '\x1e';

int OtherSide(int side)
{
    return side == 1 ? 2 : 1;
}

void CheckLinks(const DiffEngine &engine)
{
    for (int side = 1; side <= 2; ++side) {
        const DiffLines &lines = engine.Lines(side);
        const DiffLines &other = engine.Lines(OtherSide(side));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int link = lines[i].link;
            FUZZ_CHECK(link >= -1 && link < static_cast<int>(other.size()));
            if (link < 0)
                continue;
            FUZZ_CHECK(other[static_cast<std::size_t>(link)].link == static_cast<int>(i));
            FUZZ_CHECK(other[static_cast<std::size_t>(link)].text == lines[i].text);
        }
    }
}

// Sections of one side: cover every line in order, one state bit each, the
// right kind of line in each, no two unmatched sections side by side.
void CheckCover(const DiffEngine &engine, int side)
{
    const DiffLines &lines = engine.Lines(side);
    const auto &sections = engine.Sections(side);
    const std::uint32_t ownUnmatched = side == 1 ? UnmatchedFirst : UnmatchedSecond;
    int next = 0;
    bool previousUnmatched = false;
    for (std::size_t s = 0; s < sections.size(); ++s) {
        const DiffSection &section = sections[s];
        FUZZ_CHECK(section.file == &lines);
        FUZZ_CHECK(section.first == next && section.last >= section.first);
        FUZZ_CHECK(section.last < static_cast<int>(lines.size()));
        const std::uint32_t state = section.flags & (Matched | UnmatchedFirst | UnmatchedSecond);
        FUZZ_CHECK(state == Matched || state == ownUnmatched);
        FUZZ_CHECK((section.flags & ~(Matched | UnmatchedFirst | UnmatchedSecond | Selected)) == 0);
        const bool unmatched = state != Matched;
        FUZZ_CHECK(!(unmatched && previousUnmatched));
        for (int line = section.first; line <= section.last; ++line) {
            FUZZ_CHECK((lines[static_cast<std::size_t>(line)].link < 0) == unmatched);
            FUZZ_CHECK(engine.SectionOfLine(side, line) == static_cast<int>(s));
        }
        previousUnmatched = unmatched;
        next = section.last + 1;
    }
    FUZZ_CHECK(next == static_cast<int>(lines.size()));
    FUZZ_CHECK(engine.SectionOfLine(side, -1) == -1);
    FUZZ_CHECK(engine.SectionOfLine(side, static_cast<int>(lines.size())) == -1);
}

void CheckPairing(const DiffEngine &engine, int side)
{
    const DiffLines &lines = engine.Lines(side);
    const auto &sections = engine.Sections(side);
    const auto &others = engine.Sections(OtherSide(side));
    const int otherCount = static_cast<int>(others.size());
    for (std::size_t s = 0; s < sections.size(); ++s) {
        const DiffSection &section = sections[s];
        FUZZ_CHECK(section.partner >= -1 && section.partner < otherCount);
        if (section.IsMatched()) {
            for (int line = section.first; line < section.last; ++line)
                FUZZ_CHECK(lines[static_cast<std::size_t>(line + 1)].link
                           == lines[static_cast<std::size_t>(line)].link + 1);
            FUZZ_CHECK(section.partner >= 0);
            const DiffSection &partner = others[static_cast<std::size_t>(section.partner)];
            FUZZ_CHECK(partner.IsMatched());
            FUZZ_CHECK(partner.partner == static_cast<int>(s));
            FUZZ_CHECK(partner.first == lines[static_cast<std::size_t>(section.first)].link);
            FUZZ_CHECK(partner.last == lines[static_cast<std::size_t>(section.last)].link);
            FUZZ_CHECK(section.above == -1);
            continue;
        }
        if (section.partner >= 0) {
            // The pairing is not always mutual: after a moved block two
            // unmatched sections of side 1 can name the same side-2 section,
            // which names only the later one.
            const DiffSection &partner = others[static_cast<std::size_t>(section.partner)];
            FUZZ_CHECK(!partner.IsMatched());
            FUZZ_CHECK(partner.partner >= 0);
            FUZZ_CHECK(section.above == -1);
        } else {
            FUZZ_CHECK(section.above >= -1 && section.above <= otherCount);
            // Neither paired nor placed only as its side's single section.
            FUZZ_CHECK(section.above >= 0 || sections.size() == 1);
        }
    }
}

void CheckAutoSelection(const DiffEngine &engine)
{
    for (const DiffSection &section : engine.Sections(2))
        FUZZ_CHECK(section.IsSelected());
    for (const DiffSection &section : engine.Sections(1)) {
        const bool onlyInFirst = (section.flags & UnmatchedFirst) && section.partner == -1;
        FUZZ_CHECK(section.IsSelected() == onlyInFirst);
    }
}

// Every selected section is in the merge list exactly once, each side's in
// line order, and nothing else is; the merge text is their lines, each with
// the merge's line end.
void CheckMerge(const DiffEngine &engine, const std::set<std::string_view> &inputLines)
{
    std::map<const DiffLines *, int> side;
    side[&engine.Lines(1)] = 1;
    side[&engine.Lines(2)] = 2;
    int lastFirst[3] = {-1, -1, -1};
    std::size_t selected = 0;
    for (int s = 1; s <= 2; ++s) {
        for (const DiffSection &section : engine.Sections(s))
            selected += section.IsSelected() ? 1 : 0;
    }
    FUZZ_CHECK(engine.MergeList().size() == selected);
    std::string expected;
    for (const DiffSection &section : engine.MergeList()) {
        FUZZ_CHECK(section.IsSelected());
        const auto found = side.find(section.file);
        FUZZ_CHECK(found != side.end());
        const int s = found->second;
        FUZZ_CHECK(section.first > lastFirst[s]);
        lastFirst[s] = section.last;
        const int index = engine.SectionOfLine(s, section.first);
        FUZZ_CHECK(index >= 0);
        const DiffSection &original = engine.Sections(s)[static_cast<std::size_t>(index)];
        FUZZ_CHECK(original.first == section.first && original.last == section.last);
        expected += DiffEngine::SectionText(section, engine.MergeUsesCrLf());
    }
    std::ostringstream stream;
    engine.WriteMergeTextAsUtf8(stream, engine.MergeUsesCrLf());
    const std::string merged = stream.str();
    FUZZ_CHECK(merged == expected);

    // Cut the output back into lines: each must be a line of one of the inputs.
    const std::size_t crs = engine.MergeUsesCrLf() ? 1 : 0;
    std::string_view rest(merged);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        FUZZ_CHECK(end != std::string_view::npos && end >= crs && (crs == 0 || rest[end - 1] == '\r'));
        FUZZ_CHECK(inputLines.count(rest.substr(0, end - crs)) == 1);
        rest.remove_prefix(end + 1);
    }
}

void CheckComparison(DiffEngine &engine, const std::set<std::string_view> &inputLines)
{
    CheckLinks(engine);
    for (int side = 1; side <= 2; ++side) {
        CheckCover(engine, side);
        CheckPairing(engine, side);
    }
    CheckAutoSelection(engine);
    engine.BuildMergeList();
    CheckMerge(engine, inputLines);

    // Any other selection the user can toggle must merge just as soundly.
    for (int side = 1; side <= 2; ++side) {
        for (DiffSection &section : engine.Sections(side))
            section.flags ^= Selected;
    }
    engine.BuildMergeList();
    CheckMerge(engine, inputLines);
}

// The engine's options for what the reference ignores.
void SetIgnored(DiffEngine &engine, reference::Ignore ignore)
{
    engine.keyOptions = {ignore.spaceChange, ignore.allSpace, ignore.letterCase};
}

// The engine loaded bytes1 and bytes2, whose decoded texts are text1 and text2.
void CheckAgainstReference(const DiffEngine &engine, std::string_view bytes1, std::string_view bytes2,
                           const std::string &text1, const std::string &text2, reference::Ignore ignore = {})
{
    const reference::Result expected = reference::Run(text1, text2, true, ignore);
    for (int side = 1; side <= 2; ++side) {
        const std::vector<int> &links = side == 1 ? expected.links1 : expected.links2;
        const std::vector<reference::Section> &sections = side == 1 ? expected.sections1 : expected.sections2;
        const DiffLines &lines = engine.Lines(side);
        FUZZ_CHECK(lines.size() == links.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            FUZZ_CHECK(lines[i].link == links[i]);
        const auto &actual = engine.Sections(side);
        FUZZ_CHECK(actual.size() == sections.size());
        for (std::size_t s = 0; s < actual.size(); ++s) {
            const reference::Section mine{side, actual[s].first, actual[s].last, actual[s].partner,
                                          actual[s].above, actual[s].flags};
            FUZZ_CHECK(mine == sections[s]);
        }
    }
    DiffEngine merged;
    SetIgnored(merged, ignore);
    merged.LoadTexts(bytes1, bytes2);
    merged.Compare();
    merged.BuildMergeList();
    std::ostringstream stream;
    merged.WriteMergeTextAsUtf8(stream, merged.MergeUsesCrLf());
    FUZZ_CHECK(stream.str() == expected.merge);
}

// The text the engine reads from bytes.
std::string Decoded(std::string_view bytes)
{
    ByteBuffer buffer(bytes);
    bool nonAscii = false;
    DecodeText(buffer, kDefaultFallbackEncoding, nonAscii);
    return std::string(buffer.View());
}

std::vector<std::string_view> LinesOf(std::string_view text)
{
    DiffLines lines;
    ReadLines(text, lines);
    std::vector<std::string_view> texts;
    for (const DiffLine &line : lines)
        texts.push_back(line.text);
    return texts;
}

// The engine's lines are the decoded texts' lines, whichever bytes they view.
void CheckTexts(const DiffEngine &engine, std::string_view text1, std::string_view text2)
{
    for (int side = 1; side <= 2; ++side) {
        const std::vector<std::string_view> expected = LinesOf(side == 1 ? text1 : text2);
        const DiffLines &lines = engine.Lines(side);
        FUZZ_CHECK(lines.size() == expected.size());
        for (std::size_t n = 0; n < lines.size(); ++n)
            FUZZ_CHECK(lines[n].text == expected[n]);
    }
}

// Two equal inputs link every line to its twin, and merge to that input's
// lines, each with CR LF when it has one, else LF. Where that is the text
// itself, the merge is the input byte for byte, in its own encoding.
void CheckSelfMerge(std::string_view bytes)
{
    const std::string text = Decoded(bytes);
    const std::vector<std::string_view> lines = LinesOf(text);
    DiffEngine engine;
    engine.LoadTexts(bytes, bytes);
    engine.Compare();
    for (std::size_t n = 0; n < engine.Lines(1).size(); ++n)
        FUZZ_CHECK(engine.Lines(1)[n].link == static_cast<int>(n));
    engine.BuildMergeList();
    std::ostringstream stream;
    engine.WriteMergeTextAsUtf8(stream, engine.MergeUsesCrLf());
    const char *const lineEnd = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string expected;
    for (std::string_view line : lines) {
        expected += line;
        expected += lineEnd;
    }
    FUZZ_CHECK(stream.str() == expected);
    std::ostringstream file;
    engine.WriteMergeText(file);
    if (expected == text)
        FUZZ_CHECK(file.str() == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t cut = input.find(kSeparator);
    const std::string_view bytes1 = input.substr(0, cut);
    const std::string_view bytes2 = cut == std::string_view::npos ? input : input.substr(cut + 1);
    const std::string text1 = Decoded(bytes1);
    const std::string text2 = Decoded(bytes2);

    // Half the inputs go through the cycles that follow only what changed
    // from the first cycle on, which must make the same links.
    const bool tracked = size % 2 == 1;
    DiffEngine engine;
    engine.wholeCycles = tracked ? 1 : DiffEngine::kWholeCycles;
    engine.LoadTexts(bytes1, bytes2);
    FUZZ_CHECK(engine.Lines(1).size() == LinesOf(text1).size());
    FUZZ_CHECK(engine.Lines(2).size() == LinesOf(text2).size());
    engine.Compare();
    FUZZ_CHECK(engine.IsCompared());
    CheckAgainstReference(engine, bytes1, bytes2, text1, text2);

    // Compared by keys, with the mix of the three options the input's length
    // picks: inputs that went through the tracked cycles above go through
    // the compacting load here, the others tag the first file's lines on
    // two threads.
    const std::size_t mix = 1 + size % 7;
    const reference::Ignore ignore{(mix & 1) != 0, (mix & 2) != 0, (mix & 4) != 0};
    DiffEngine keyed;
    keyed.wholeCycles = tracked ? DiffEngine::kWholeCycles : 1;
    keyed.compactSecondFrom = tracked ? 0 : DiffEngine::kCompactSecondFrom;
    keyed.tagThreadFrom = tracked ? DiffEngine::kTagThreadFrom : 0;
    SetIgnored(keyed, ignore);
    keyed.LoadTexts(bytes1, bytes2);
    CheckTexts(keyed, text1, text2);
    keyed.Compare();
    CheckAgainstReference(keyed, bytes1, bytes2, text1, text2, ignore);

    // Views into the decoded texts: they outlive every load below.
    std::set<std::string_view> inputLines;
    for (std::string_view text : {std::string_view(text1), std::string_view(text2)}) {
        for (std::string_view line : LinesOf(text))
            inputLines.insert(line);
    }
    CheckComparison(engine, inputLines);

    // The same engine again, sides swapped: nothing of the last run may remain.
    engine.LoadTexts(bytes2, bytes1);
    FUZZ_CHECK(engine.Sections(1).empty() && engine.Sections(2).empty());
    engine.Compare();
    CheckComparison(engine, inputLines);

    CheckSelfMerge(bytes1);
    if (bytes2 != bytes1)
        CheckSelfMerge(bytes2);
    return 0;
}
