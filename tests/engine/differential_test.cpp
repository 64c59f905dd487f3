// The real engine against the plain transcription in referenceengine.cpp, on
// many generated pairs: small alphabets so lines repeat, empty and one-line
// files, missing final line ends, CR LF / LF / lone CR mixes, pairs with no
// line in common, moved and duplicated blocks. Any optimisation of the engine
// that changes a single link, section or merge byte fails here.

#include "enginetestutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <random>

namespace lindo::test {
namespace {

class PairGenerator {
public:
    explicit PairGenerator(std::uint32_t seed) : m_random(seed) {}
    // Lines from words that are equal once blanks or case are ignored.
    PairGenerator(std::uint32_t seed, bool blanksAndCase) : m_random(seed), m_blanksAndCase(blanksAndCase) {}

    // One file's lines, drawn from an alphabet of the given size.
    std::vector<std::string> Lines(int count, int alphabet)
    {
        std::vector<std::string> lines;
        for (int n = 0; n < count; ++n)
            lines.push_back(Word(alphabet));
        return lines;
    }

    // A second version of lines: changed, deleted, inserted and moved stretches.
    std::vector<std::string> Edit(std::vector<std::string> lines, int alphabet)
    {
        const int edits = Below(6);
        for (int e = 0; e < edits; ++e) {
            const int size = static_cast<int>(lines.size());
            const int at = Below(size + 1);
            const int length = 1 + Below(4);
            switch (Below(5)) {
            case 0: // delete
                lines.erase(lines.begin() + at, lines.begin() + std::min(size, at + length));
                break;
            case 1: // insert
                for (int n = 0; n < length; ++n)
                    lines.insert(lines.begin() + at, Word(alphabet + 3));
                break;
            case 2: // change
                for (int n = at; n < std::min(size, at + length); ++n)
                    lines[static_cast<std::size_t>(n)] = Word(alphabet + 3);
                break;
            case 3: { // move a block elsewhere
                if (size < 2)
                    break;
                const int end = std::min(size, at + length);
                std::vector<std::string> block(lines.begin() + std::min(at, size), lines.begin() + end);
                lines.erase(lines.begin() + std::min(at, size), lines.begin() + end);
                const int to = Below(static_cast<int>(lines.size()) + 1);
                lines.insert(lines.begin() + to, block.begin(), block.end());
                break;
            }
            default: // duplicate a block
                if (size == 0)
                    break;
                lines.insert(lines.begin() + at, lines[static_cast<std::size_t>(std::min(at, size - 1))]);
                break;
            }
        }
        return lines;
    }

    // Joins lines with a random mix of line ends, the last one optional.
    std::string Join(const std::vector<std::string> &lines)
    {
        std::string bytes;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            bytes += lines[n];
            const bool last = n + 1 == lines.size();
            if (last && Below(3) == 0)
                break; // no final line end
            const int end = Below(10);
            bytes += end < 6 ? "\n" : end < 9 ? "\r\n" : "\r\r\n";
        }
        return bytes;
    }

    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(m_random() % static_cast<std::uint32_t>(n)); }

private:
    std::string Word(int alphabet)
    {
        static const char *const kWords[] = {"}", "{", "", "a", "b", "c", "  x;", "d\r", "e", "f\tg", "h", "i", "j"};
        // Letters at both ends of a word the key folds whole, every kind of
        // blank space, and blanks on both sides of the eighth byte.
        static const char *const kBlankAndCaseWords[] = {
            "a b", "A b", "a  b", "ab", "abcdefg hijklmno", "abcdefg  hijklmno", "a b c d\te f g hi",
            "a b c d e f g  hi", "a\tb ", "  Value\t= Index;", "", " ", "ValueIndexLongZ", "valueindexlonxz", "\tVALUE = INDEX;",
            "A\t\tB", "value = index;  ", "\f", "a\vb\r", "Avalueindexlongz", "a\fb\f", "avalueindexlongZ"};
        if (m_blanksAndCase)
            return kBlankAndCaseWords[Below(std::min<int>(alphabet, std::size(kBlankAndCaseWords)))];
        return kWords[Below(std::min<int>(alphabet, std::size(kWords)))];
    }

    std::mt19937 m_random;
    bool m_blanksAndCase = false;
};

// compactSecondFrom 0 sends every pair through the compacting load.
void ExpectSameAsReference(const std::string &first, const std::string &second, bool autoSelect,
                           std::size_t compactSecondFrom = DiffEngine::kCompactSecondFrom,
                           reference::Ignore ignore = {})
{
    const reference::Result expected = reference::Run(first, second, autoSelect, ignore);
    // Once as it runs, once with cycles that only follow what changed from
    // the first cycle on and the first file's lines tagged on two threads.
    for (const int wholeCycles : {DiffEngine::kWholeCycles, 1}) {
        DiffEngine engine;
        engine.autoSelect = autoSelect ? 1 : 0;
        engine.compactSecondFrom = compactSecondFrom;
        engine.keyOptions = {ignore.spaceChange, ignore.allSpace, ignore.letterCase};
        engine.wholeCycles = wholeCycles;
        engine.tagThreadFrom = wholeCycles == 1 ? 0 : DiffEngine::kTagThreadFrom;
        engine.LoadTexts(first, second);
        engine.Compare();
        SCOPED_TRACE("whole cycles " + std::to_string(wholeCycles));
        ASSERT_EQ(LinksOf(engine, 1), expected.links1);
        ASSERT_EQ(LinksOf(engine, 2), expected.links2);
        ASSERT_EQ(SectionsOf(engine, 1), expected.sections1);
        ASSERT_EQ(SectionsOf(engine, 2), expected.sections2);
        ASSERT_EQ(MergeOf(engine), expected.merge);
    }
}

TEST(Differential, EditedPairsAgreeWithTheReference)
{
    for (std::uint32_t seed = 0; seed < 12000; ++seed) {
        PairGenerator gen(seed);
        const int alphabet = 2 + gen.Below(9);
        const auto lines = gen.Lines(gen.Below(30), alphabet);
        const std::string first = gen.Join(lines);
        const std::string second = gen.Join(gen.Edit(lines, alphabet));
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameAsReference(first, second, seed % 5 != 0);
        if (HasFatalFailure())
            return;
    }
}

TEST(Differential, UnrelatedAndDegeneratePairsAgreeWithTheReference)
{
    for (std::uint32_t seed = 0; seed < 6000; ++seed) {
        PairGenerator gen(seed + 1000000);
        const int alphabet = 1 + gen.Below(13);
        // Lengths favour the edges: empty, one line, a few lines.
        const int count1 = gen.Below(4) == 0 ? gen.Below(2) : gen.Below(25);
        const int count2 = gen.Below(4) == 0 ? gen.Below(2) : gen.Below(25);
        const std::string first = gen.Join(gen.Lines(count1, alphabet));
        const std::string second = gen.Join(gen.Lines(count2, alphabet));
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameAsReference(first, second, true);
        if (HasFatalFailure())
            return;
    }
}

TEST(Differential, LargerPairsWithManyCyclesAgreeWithTheReference)
{
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        PairGenerator gen(seed + 2000000);
        const int alphabet = 3 + gen.Below(10);
        const auto lines = gen.Lines(100 + gen.Below(300), alphabet);
        auto edited = lines;
        for (int round = 0; round < 8; ++round)
            edited = gen.Edit(edited, alphabet);
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameAsReference(gen.Join(lines), gen.Join(edited), true);
        if (HasFatalFailure())
            return;
    }
}

// Blocks [A x1] [x1 x2] ... [xk] on one side and the same blocks in another
// order on the other: each cycle links one block and leaves the next text
// unique, so the rules take about one cycle per block. Alone, after an
// edited pair, and among lines that repeat.
TEST(Differential, ChainsNeedingACyclePerBlockAgreeWithTheReference)
{
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
        PairGenerator gen(seed + 6000000);
        const int blocks = 1 + gen.Below(40);
        std::vector<std::vector<std::string>> chain;
        for (int b = 0; b < blocks; ++b) {
            std::vector<std::string> block{b == 0 ? "A" : "x" + std::to_string(b)};
            if (b + 1 < blocks)
                block.push_back("x" + std::to_string(b + 1));
            chain.push_back(block);
        }
        auto reordered = chain;
        if (seed % 2 == 0)
            std::reverse(reordered.begin(), reordered.end());
        else
            std::shuffle(reordered.begin(), reordered.end(), std::mt19937(seed));
        const int alphabet = 2 + gen.Below(6);
        auto lines1 = gen.Lines(gen.Below(3) == 0 ? 0 : gen.Below(30), alphabet);
        auto lines2 = gen.Below(2) == 0 ? gen.Edit(lines1, alphabet) : gen.Lines(gen.Below(30), alphabet);
        std::vector<std::string> chain1;
        std::vector<std::string> chain2;
        for (std::size_t b = 0; b < chain.size(); ++b) {
            chain1.insert(chain1.end(), chain[b].begin(), chain[b].end());
            chain2.insert(chain2.end(), reordered[b].begin(), reordered[b].end());
            if (gen.Below(8) == 0) // a repeated line between blocks
                chain2.push_back(gen.Lines(1, alphabet)[0]);
        }
        lines1.insert(lines1.begin() + gen.Below(static_cast<int>(lines1.size()) + 1), chain1.begin(), chain1.end());
        lines2.insert(lines2.begin() + gen.Below(static_cast<int>(lines2.size()) + 1), chain2.begin(), chain2.end());
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameAsReference(gen.Join(lines1), gen.Join(lines2), seed % 3 != 0);
        if (HasFatalFailure())
            return;
    }
}

TEST(Differential, CompactingLoadAgreesWithTheReference)
{
    for (std::uint32_t seed = 0; seed < 3000; ++seed) {
        PairGenerator gen(seed + 3000000);
        const int alphabet = 1 + gen.Below(12);
        const auto lines = gen.Lines(gen.Below(40), alphabet);
        const std::string first = gen.Join(lines);
        const std::string second = gen.Below(4) == 0 ? gen.Join(gen.Lines(gen.Below(20), alphabet + 2))
                                                     : gen.Join(gen.Edit(lines, alphabet));
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameAsReference(first, second, seed % 4 != 0, 0);
        if (HasFatalFailure())
            return;
    }
}

// Two byte-identical files are linked line to line without matching; the
// answer must be the reference's, with a line that occurs once and without.
TEST(Differential, IdenticalFilesAgreeWithTheReference)
{
    for (std::uint32_t seed = 0; seed < 3000; ++seed) {
        PairGenerator gen(seed + 4000000);
        const int alphabet = 1 + gen.Below(13);
        auto lines = gen.Lines(gen.Below(5) == 0 ? gen.Below(2) : gen.Below(300), alphabet);
        if (gen.Below(3) == 0 && !lines.empty()) // one line that occurs nowhere else
            lines[static_cast<std::size_t>(gen.Below(static_cast<int>(lines.size())))] = "once";
        const std::string text = gen.Join(lines);
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameAsReference(text, text, seed % 5 != 0);
        if (HasFatalFailure())
            return;
    }
}

TEST(Differential, FilesDifferingOnlyInLineEndsAgreeWithTheReference)
{
    ExpectSameAsReference("a\nb\na\n", "a\r\nb\r\na\r\n", true);
    ExpectSameAsReference("a\nb\na\n", "a\nb\na", true);
    ExpectSameAsReference("a\na\n", "a\na", true);
    ExpectSameAsReference("a\nb\n", "b\na\n", true); // the same size, other bytes
    ExpectSameAsReference("", "", true);
    ExpectSameAsReference("\n", "\n", true);
}

// Every mix of the three options, on lines that are equal under some of
// them: edited pairs through both loads, identical files and unrelated ones.
TEST(Differential, PairsComparedIgnoringBlanksOrCaseAgreeWithTheReference)
{
    for (std::uint32_t seed = 0; seed < 7000; ++seed) {
        PairGenerator gen(seed + 5000000, true);
        const int mix = 1 + static_cast<int>(seed % 7);
        const reference::Ignore ignore{(mix & 1) != 0, (mix & 2) != 0, (mix & 4) != 0};
        const int alphabet = 1 + gen.Below(22);
        const auto lines = gen.Lines(gen.Below(40), alphabet);
        const std::string first = gen.Join(lines);
        std::string second;
        switch (gen.Below(4)) {
        case 0:
            second = first;
            break;
        case 1:
            second = gen.Join(gen.Lines(gen.Below(20), alphabet));
            break;
        default:
            second = gen.Join(gen.Edit(lines, alphabet));
            break;
        }
        const std::size_t compactFrom = gen.Below(3) == 0 ? 0 : DiffEngine::kCompactSecondFrom;
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameAsReference(first, second, seed % 5 != 0, compactFrom, ignore);
        if (HasFatalFailure())
            return;
    }
}

// A form a generated text is written in: its encoding and BOM.
struct FileForm {
    const char *encoding;
    std::string_view bom;
};

constexpr FileForm kFileForms[] = {
    {"UTF-8", ""}, {"UTF-8", "\xEF\xBB\xBF"}, {"UTF-16LE", "\xFF\xFE"}, {"UTF-16BE", "\xFE\xFF"}, {"WINDOWS-1252", ""},
};

// The form a file of this text in this form is read as: a Windows-1252 file
// of ASCII text is valid UTF-8.
TextEncoding ReadAs(const FileForm &form, const std::string &text)
{
    if (std::string_view(form.encoding) == "WINDOWS-1252" && !HasNonAscii(text))
        return {};
    return {form.encoding, !form.bom.empty()};
}

// Generated pairs written in UTF-16, with BOMs, in Windows-1252 and as they
// are, mixed: the engine compares their text as the reference compares it,
// and writes the merge in the encoding the two files' forms call for.
TEST(Differential, EncodedPairsAgreeWithTheReferenceOnTheirText)
{
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        PairGenerator gen(seed + 7000000);
        const int alphabet = 2 + gen.Below(11);
        const auto lines = gen.Lines(gen.Below(30), alphabet);
        std::array<std::string, 2> texts{gen.Join(lines), gen.Join(gen.Edit(lines, alphabet))};
        std::array<FileForm, 2> forms{};
        std::array<std::string, 2> files;
        for (std::size_t n = 0; n < 2; ++n) {
            // Each side's "b" and "e" are letters beyond ASCII, or not. In
            // Windows-1252 they can never make valid UTF-8.
            if (gen.Below(3) != 0) {
                for (std::size_t at; (at = texts[n].find_first_of("be")) != std::string::npos;)
                    texts[n].replace(at, 1, texts[n][at] == 'b' ? "\xC3\xA9" : "\xC3\xBC");
            }
            forms[n] = kFileForms[gen.Below(static_cast<int>(std::size(kFileForms)))];
            files[n] = std::string(forms[n].bom) + Iconv(texts[n], forms[n].encoding);
        }
        const std::array<TextEncoding, 2> read{ReadAs(forms[0], texts[0]), ReadAs(forms[1], texts[1])};
        const std::array<bool, 2> beyondAscii{HasNonAscii(texts[0]), HasNonAscii(texts[1])};
        TextEncoding merged = read[0];
        if (read[0] != read[1])
            merged = beyondAscii[0] && beyondAscii[1] ? TextEncoding{} : beyondAscii[1] ? read[1] : read[0];
        const bool autoSelect = seed % 5 != 0;
        const reference::Result expected = reference::Run(texts[0], texts[1], autoSelect);
        DiffEngine engine;
        engine.autoSelect = autoSelect ? 1 : 0;
        engine.LoadTexts(files[0], files[1]);
        engine.Compare();
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_EQ(engine.LoadedForm(1).encoding, read[0]);
        ASSERT_EQ(engine.LoadedForm(2).encoding, read[1]);
        ASSERT_EQ(LinksOf(engine, 1), expected.links1);
        ASSERT_EQ(LinksOf(engine, 2), expected.links2);
        ASSERT_EQ(SectionsOf(engine, 1), expected.sections1);
        ASSERT_EQ(SectionsOf(engine, 2), expected.sections2);
        ASSERT_EQ(MergeOf(engine), std::string(BomOf(merged)) + Iconv(expected.merge, merged.name.c_str()));
    }
}

} // namespace
} // namespace lindo::test
