// How long finding the changed words of two paired lines takes, beside a
// plain scan that reads every byte of both lines once (the least any finder
// must do), on 5,000,000-character line pairs and on ordinary 80-character
// ones.
//
//   linechanges [repeats]        (default: 9; the median is printed)
//
// The pane finds the changes of a line when it first paints it, so even the
// longest line should cost about what the scan costs.

#include "engine/linechanges.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kLongLine = 5000000;
constexpr int kShortPairCalls = 100000;

template <typename Work>
double MedianMs(int repeats, Work work)
{
    std::vector<double> times;
    for (int run = 0; run < repeats; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The peer: one look at every byte of both lines, as fast as the compiler
// makes a count.
std::size_t ScanBoth(const std::string &a, const std::string &b)
{
    return static_cast<std::size_t>(std::count(a.begin(), a.end(), ' ') + std::count(b.begin(), b.end(), ' '));
}

std::string Repeated(const std::string &piece, std::size_t size)
{
    std::string text;
    text.reserve(size + piece.size());
    while (text.size() < size)
        text += piece;
    return text;
}

// splitmix64, so the unrelated lines are the same bytes everywhere.
std::string RandomWords(std::uint64_t seed, std::size_t size)
{
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        text.push_back(z % 6 == 0 ? ' ' : static_cast<char>('a' + z % 26));
    }
    return text;
}

struct Pair {
    const char *name;
    std::string first;
    std::string second;
    lindo::LineKeyOptions options = {};
};

std::vector<Pair> LongPairs()
{
    std::vector<Pair> pairs;
    const std::string words = Repeated("word ", kLongLine);
    const std::size_t middle = kLongLine / 2 / 5 * 5;
    pairs.push_back({"one word changed", words, words});
    pairs.back().second.replace(middle, 4, "WORD");

    const std::string letters = Repeated("abcdefghij", kLongLine);
    pairs.push_back({"one word, one letter changed", letters, letters});
    pairs.back().second[middle] = 'X';

    const std::string accented = Repeated("caf\xC3\xA9 \xE2\x82\xAC ", kLongLine);
    pairs.push_back({"UTF-8 text, one character", accented, accented});
    pairs.back().second.replace(middle, 2, "\xC3\xA8");

    pairs.push_back({"a letter changed every 1000", words, words});
    for (std::size_t i = 500; i < kLongLine; i += 1000)
        pairs.back().second[i] = 'X';

    std::string upper = words;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c == 'w' ? 'W' : c; });
    upper.replace(middle, 4, "TEXT");
    pairs.push_back({"ignoring case, W for w", words, upper, {.ignoreCase = true}});

    pairs.push_back({"unrelated words", RandomWords(1, kLongLine), RandomWords(2, kLongLine)});
    return pairs;
}

} // namespace

int main(int argc, char **argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    std::size_t sink = 0;

    std::printf("%-30s %10s %10s %7s %6s  (median of %d)\n", "5,000,000-byte pair", "finder ms", "scan ms", "ratio",
                "spans", repeats);
    for (const Pair &pair : LongPairs()) {
        lindo::LineChanges changes;
        const double found = MedianMs(repeats, [&] { changes = lindo::FindLineChanges(pair.first, pair.second, pair.options); });
        const double scanned = MedianMs(repeats, [&] { sink += ScanBoth(pair.first, pair.second); });
        std::printf("%-30s %10.2f %10.2f %7.2f %6zu\n", pair.name, found, scanned, found / scanned,
                    changes.first.size() + changes.second.size());
    }

    // Several edits of one line in turn, so no call can be hoisted out of the loop.
    const std::string line = "    total += compute_weight(item.size, factor) * scale;  // keep the sum exact";
    std::vector<std::string> edits;
    for (const char *word : {"count", "width", "depth", "total", "items", "score", "ratio", "level"}) {
        edits.push_back(line);
        edits.back().replace(edits.back().find("size"), 4, word);
        edits.back().replace(edits.back().find("+="), 2, "-=");
    }
    const double found = MedianMs(repeats, [&] {
        for (int call = 0; call < kShortPairCalls; ++call)
            sink += lindo::FindLineChanges(line, edits[call % edits.size()]).second.size();
    });
    const double scanned = MedianMs(repeats, [&] {
        for (int call = 0; call < kShortPairCalls; ++call)
            sink += ScanBoth(line, edits[call % edits.size()]);
    });
    std::printf("%zu-byte pairs, two words changed: finder %.3f us, scan %.3f us per pair\n", line.size(),
                found * 1000 / kShortPairCalls, scanned * 1000 / kShortPairCalls);
    return sink == 0 ? 1 : 0;
}
