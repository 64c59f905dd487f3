// Writes crafted pairs that make the matching rules take about one cycle per
// two lines: one side is the blocks [A x1] [x1 x2] ... [xk-1 xk] [xk], the
// other the same blocks in another order. Every xi occurs twice per side and A
// only once, so each cycle can link just the block whose first text the
// cycle before left unique.
//
//   gen_chains OUTDIR                 writes NAME.1 and NAME.2 for each pair:
//                                     chain-{reversed,shuffled}-{100k,1m}, and
//                                     moved-... with the same shapes, every
//                                     line once
//   gen_chains --append K A B         appends a chain of 2K+1 lines (blocks
//                                     reversed on the second side) to A and B

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Block = std::vector<std::string>;

std::string Row(int n)
{
    return "    row[" + std::to_string(n) + "] = next;";
}

std::vector<Block> Chain(int k)
{
    std::vector<Block> blocks;
    for (int b = 0; b <= k; ++b) {
        Block block{b == 0 ? std::string("    return anchor(table, 0);") : Row(b)};
        if (b < k)
            block.push_back(Row(b + 1));
        blocks.push_back(block);
    }
    return blocks;
}

// The chain's shape with every line once: blocks of the same sizes, moved
// the same way, matched in one cycle. What the same lines cost ordinarily.
std::vector<Block> Moved(int k)
{
    std::vector<Block> blocks;
    int n = 0;
    for (int b = 0; b <= k; ++b) {
        Block block{Row(n++)};
        if (b < k)
            block.push_back(Row(n++));
        blocks.push_back(block);
    }
    return blocks;
}

bool Write(const std::string &path, const std::vector<Block> &blocks, std::ios::openmode mode)
{
    std::ofstream file(path, std::ios::binary | mode);
    for (const Block &block : blocks) {
        for (const std::string &line : block)
            file << line << '\n';
    }
    return static_cast<bool>(file.flush());
}

bool WritePair(const std::string &out, const std::string &name, int k, bool shuffled)
{
    const std::vector<Block> chain = name.starts_with("chain") ? Chain(k) : Moved(k);
    std::vector<Block> other = chain;
    if (shuffled)
        std::shuffle(other.begin(), other.end(), std::mt19937(20261209));
    else
        std::reverse(other.begin(), other.end());
    return Write(out + "/" + name + ".1", chain, std::ios::trunc) && Write(out + "/" + name + ".2", other, std::ios::trunc);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::string(argv[1]) == "--append") {
        const std::vector<Block> chain = Chain(std::atoi(argv[2]));
        const std::vector<Block> reversed(chain.rbegin(), chain.rend());
        return Write(argv[3], chain, std::ios::app) && Write(argv[4], reversed, std::ios::app) ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_chains OUTDIR | gen_chains --append K A B\n");
        return 2;
    }
    const std::string out = argv[1];
    for (const char *kind : {"chain", "moved"}) {
        for (const auto &[size, k] : {std::pair{"100k", 50000}, std::pair{"1m", 500000}}) {
            for (const bool shuffled : {false, true}) {
                const std::string name = std::string(kind) + (shuffled ? "-shuffled-" : "-reversed-") + size;
                if (!WritePair(out, name, k, shuffled))
                    return 1;
            }
        }
    }
    return 0;
}
