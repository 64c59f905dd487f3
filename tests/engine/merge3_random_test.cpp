// The three-way merge on many generated triples: what every merge must
// satisfy, and agreement with git merge-file on triples made from real
// source files.

#include "engine/merge3.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace lindo::test {
namespace {

using Lines = std::vector<std::string>;

Merge3Text TextOf(const Lines &lines)
{
    std::string bytes;
    for (const std::string &line : lines)
        bytes += line;
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

// A version of lines with a few edits of the kinds real ones are: lines
// changed, inserted (new, or copies of nearby lines), deleted, moved.
Lines Edited(Lines lines, std::mt19937 &rng, const Lines &pool)
{
    const auto below = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    for (std::size_t edits = 1 + below(5); edits > 0; --edits) {
        const std::size_t at = lines.empty() ? 0 : below(lines.size());
        const std::size_t count = std::min<std::size_t>(1 + below(3), lines.size() - at);
        const auto from = lines.begin() + static_cast<std::ptrdiff_t>(at);
        switch (below(5)) {
        case 0:
            for (std::size_t n = 0; n < count; ++n) {
                std::string &line = lines[at + n];
                line.insert(line.find('\n') == std::string::npos ? line.size() : line.find('\n'), " /* changed */");
            }
            break;
        case 1:
            lines.insert(from, pool.empty() ? std::string("new\n") : pool[below(pool.size())]);
            break;
        case 2:
            lines.erase(from, from + static_cast<std::ptrdiff_t>(count));
            break;
        case 3: {
            const Lines block(from, from + static_cast<std::ptrdiff_t>(count));
            lines.erase(from, from + static_cast<std::ptrdiff_t>(count));
            const std::size_t to = below(lines.size() + 1);
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(to), block.begin(), block.end());
            break;
        }
        default: {
            const Lines copied(from, from + static_cast<std::ptrdiff_t>(count));
            lines.insert(from, copied.begin(), copied.end());
            break;
        }
        }
    }
    return lines;
}

// A base and its two sides; now and then both sides start from the same
// edits, or one side is the base itself.
std::array<Lines, 3> RandomTriple(const Lines &base, std::mt19937 &rng)
{
    Lines first = Edited(base, rng, base);
    Lines second = Edited(base, rng, base);
    switch (rng() % 6) {
    case 0:
        second = Edited(first, rng, base);
        break;
    case 1:
        second = base;
        break;
    case 2:
        second = first;
        break;
    default:
        break;
    }
    return {first, base, second};
}

// Takes one side's lines in every conflict of the written merge.
std::string TakeSide(const std::string &merged, bool first)
{
    std::istringstream in(merged);
    std::string line;
    std::string taken;
    enum { Outside, InFirst, InSecond } where = Outside;
    while (std::getline(in, line)) {
        const bool ended = !in.eof();
        if (line.rfind("<<<<<<< ", 0) == 0) {
            where = InFirst;
        } else if (line == "=======" && where == InFirst) {
            where = InSecond;
        } else if (line.rfind(">>>>>>> ", 0) == 0 && where == InSecond) {
            where = Outside;
        } else if (where == Outside || (where == InFirst) == first) {
            taken += line + (ended ? "\n" : "");
        }
    }
    return taken;
}

// Short lines from a small alphabet, so that lines repeat and alignments
// are ambiguous; the last line sometimes lacks its line end.
Lines SmallBase(std::mt19937 &rng)
{
    static const char *const kTexts[] = {"a\n", "b\n", "c\n", "}\n", "\n", "d\n", "e\n"};
    Lines lines(rng() % 12);
    for (std::string &line : lines)
        line = kTexts[rng() % 7];
    if (!lines.empty() && rng() % 4 == 0)
        lines.back().pop_back();
    return lines;
}

TEST(Merge3Property, StretchesCoverEveryLineAndSayTruthfullyWhatChanged)
{
    std::mt19937 rng(26);
    for (int round = 0; round < 3000; ++round) {
        const Lines base = SmallBase(rng);
        const std::array<Lines, 3> triple = RandomTriple(base, rng);
        const std::array<Merge3Text, 3> texts{TextOf(triple[0]), TextOf(triple[1]), TextOf(triple[2])};
        const std::array<const Merge3Text *, 3> views{&texts[0], &texts[1], &texts[2]};
        const Merge3Result result = Merge3(views);
        std::array<std::int32_t, 3> next{};
        std::string first;  // the merge, FILE1 taken in every conflict
        std::string second; // and FILE2
        for (const Merge3Stretch &s : result.stretches) {
            std::array<std::string, 3> part;
            for (std::size_t f = 0; f < 3; ++f) {
                ASSERT_EQ(s.first[f], next[f]) << "round " << round;
                next[f] += s.count[f];
                part[f] = Join(texts[f], s.first[f], s.count[f]);
            }
            const bool firstChanged = part[0] != part[1];
            const bool secondChanged = part[2] != part[1];
            switch (s.kind) {
            case Merge3Kind::Unchanged:
                EXPECT_TRUE(!firstChanged && !secondChanged) << "round " << round;
                break;
            case Merge3Kind::FirstOnly:
                EXPECT_TRUE(firstChanged && !secondChanged) << "round " << round;
                break;
            case Merge3Kind::SecondOnly:
                EXPECT_TRUE(!firstChanged && secondChanged) << "round " << round;
                break;
            case Merge3Kind::BothAlike:
                EXPECT_TRUE(firstChanged && part[0] == part[2]) << "round " << round;
                break;
            case Merge3Kind::Conflict:
                EXPECT_NE(part[0], part[2]) << "round " << round;
                break;
            }
            // A conflict side's last line gets a line end before the marker.
            if (s.kind == Merge3Kind::Conflict) {
                for (std::string &side : part) {
                    if (!side.empty() && side.back() != '\n')
                        side += '\n';
                }
            }
            first += s.kind == Merge3Kind::SecondOnly ? part[2] : part[0];
            second += s.kind == Merge3Kind::FirstOnly ? part[0] : part[2];
        }
        for (std::size_t f = 0; f < 3; ++f)
            ASSERT_EQ(static_cast<std::size_t>(next[f]), texts[f].lines.size()) << "round " << round;
        std::string merged;
        WriteMerge3(views, result, {"1", "b", "2"}, false, merged);
        if (merged.empty() || merged.back() == '\n') { // else TakeSide cannot tell a marker's line end
            EXPECT_EQ(TakeSide(merged, true), first) << "round " << round;
            EXPECT_EQ(TakeSide(merged, false), second) << "round " << round;
        }
        if (triple[2] == base) {
            EXPECT_EQ(merged, texts[0].bytes.View()) << "round " << round;
        }
        if (triple[0] == base) {
            EXPECT_EQ(merged, texts[2].bytes.View()) << "round " << round;
        }
        if (result.conflicts == 0) {
            EXPECT_EQ(first, second) << "round " << round;
        }
    }
}

Lines SourceFileLines(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    Lines lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line + '\n');
    return lines;
}

// Triples cut from this program's own sources, merged by git merge-file and
// by the engine: where git's merge is clean, ours must be the same bytes;
// where ours is clean, git's must be too.
TEST(Merge3AgainstGit, CleanMergesAreGitsByteForByte)
{
    if (RunCommand("git --version").exitCode != 0)
        GTEST_SKIP() << "git is not installed";
    std::vector<std::filesystem::path> sources;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(LINDO_SOURCE_DIR "/src/engine"))
        sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    TempDir dir;
    std::mt19937 rng(2026);
    int clean = 0;
    for (int round = 0; round < 150; ++round) {
        const Lines whole = SourceFileLines(sources[rng() % sources.size()]);
        const std::size_t start = whole.empty() ? 0 : rng() % whole.size();
        const Lines base(whole.begin() + static_cast<std::ptrdiff_t>(start),
                         whole.begin() + static_cast<std::ptrdiff_t>(std::min(whole.size(), start + 20 + rng() % 200)));
        const std::array<Lines, 3> triple = RandomTriple(base, rng);
        std::array<Merge3Text, 3> texts;
        const char *const names[] = {"one", "base", "two"};
        for (std::size_t f = 0; f < 3; ++f) {
            texts[f] = TextOf(triple[f]);
            WriteFile(dir / names[f], texts[f].bytes.View());
        }
        const RunResult git = RunCommand("cd " + ShellQuote(dir.path().string()) + " && git merge-file -p one base two");
        const std::array<const Merge3Text *, 3> views{&texts[0], &texts[1], &texts[2]};
        const Merge3Result result = Merge3(views);
        std::string merged;
        WriteMerge3(views, result, {"one", "base", "two"}, false, merged);
        if (git.exitCode == 0) {
            ++clean;
            EXPECT_EQ(result.conflicts, 0u) << "round " << round;
            EXPECT_EQ(merged, git.out) << "round " << round;
        } else {
            EXPECT_GT(result.conflicts, 0u) << "round " << round;
        }
    }
    EXPECT_GT(clean, 30); // the triples do test clean merges
}

} // namespace
} // namespace lindo::test
