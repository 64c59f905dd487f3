// Runs the real gen_pairs and checks that every pair has the size, the amount
// of difference and the sameness the benchmark relies on.

#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace lindo::test {
namespace {

std::vector<std::string> SplitLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

RunResult Generate(const TempDir &dir, const std::string &names)
{
    return RunCommand(std::string(GEN_PAIRS_BINARY) + ' ' + ShellQuote(dir.path().string()) + ' ' + names);
}

// Lines that diff reports as only in the first file, and only in the second.
std::pair<long, long> DiffLineCounts(const std::string &a, const std::string &b)
{
    const RunResult result = RunCommand("diff --unchanged-line-format= --old-line-format='<%L' "
                                        "--new-line-format='>%L' "
                                        + ShellQuote(a) + ' ' + ShellQuote(b));
    EXPECT_LE(result.exitCode, 1) << result.err;
    const auto lines = SplitLines(result.out);
    const long old = std::count_if(lines.begin(), lines.end(), [](const std::string &l) { return l[0] == '<'; });
    return {old, static_cast<long>(lines.size()) - old};
}

struct PairRow {
    const char *name;
    std::size_t lines;     // of the first file
    double minOnlyShare;   // of the first file's lines, as diff counts them, per side
    double maxOnlyShare;
    std::size_t maxDistinct; // distinct texts in both files together, 0 = not checked
};

void PrintTo(const PairRow &row, std::ostream *out)
{
    *out << row.name;
}

class GeneratedPair : public ::testing::TestWithParam<PairRow> {};

TEST_P(GeneratedPair, HasItsSizeAndAmountOfDifference)
{
    const PairRow row = GetParam();
    TempDir dir;
    const RunResult run = Generate(dir, row.name);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string a = (dir / (std::string(row.name) + ".1")).string();
    const std::string b = (dir / (std::string(row.name) + ".2")).string();
    const auto first = SplitLines(ReadFile(a));
    const auto second = SplitLines(ReadFile(b));
    EXPECT_EQ(first.size(), row.lines);
    const auto [onlyFirst, onlySecond] = DiffLineCounts(a, b);
    for (const long only : {onlyFirst, onlySecond}) {
        EXPECT_GE(static_cast<double>(only), row.minOnlyShare * static_cast<double>(row.lines));
        EXPECT_LE(static_cast<double>(only), row.maxOnlyShare * static_cast<double>(row.lines));
    }
    if (row.maxDistinct > 0) {
        std::set<std::string> distinct(first.begin(), first.end());
        distinct.insert(second.begin(), second.end());
        EXPECT_LE(distinct.size(), row.maxDistinct);
    }
}

// Edited: 1% changed, 0.5% deleted or inserted, plus moved blocks, so diff
// sees about 1.5-2% of the lines on each side. Repetitive: 5% edits drawn
// from the same 50 texts, some of which diff can still align.
INSTANTIATE_TEST_SUITE_P(Pairs, GeneratedPair,
                         ::testing::Values(PairRow{"edited-100k", 100'000, 0.012, 0.03, 0},
                                           PairRow{"repetitive-200k", 200'000, 0.01, 0.06, 50},
                                           PairRow{"identical-1m", 1'000'000, 0.0, 0.0, 0}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(GenPairs, WritesTheSameBytesOnEveryRun)
{
    TempDir one;
    TempDir two;
    ASSERT_EQ(Generate(one, "edited-100k repetitive-200k").exitCode, 0);
    ASSERT_EQ(Generate(two, "edited-100k repetitive-200k").exitCode, 0);
    for (const char *file : {"edited-100k.1", "edited-100k.2", "repetitive-200k.1", "repetitive-200k.2"}) {
        const std::string bytes = ReadFile(one / file);
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(bytes, ReadFile(two / file)) << file;
    }
}

TEST(GenPairs, RefusesAnUnknownPairAndWritesNothing)
{
    TempDir dir;
    const RunResult run = Generate(dir, "edited-100k no-such-pair");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no-such-pair"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

} // namespace
} // namespace lindo::test
