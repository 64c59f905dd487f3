// Writes the triple the three-way merge benchmark runs on:
//
//   gen_merge3 OUTDIR [LINES] [EDITS]
//
// makes OUTDIR/merge3.base, a source-like file of LINES lines (1,000,000 by
// default), and OUTDIR/merge3.1 and OUTDIR/merge3.2, each the base with
// EDITS edits (2,000 by default) of its own at random places: lines changed,
// inserted, deleted or moved a little way. A tenth of the edits are the same
// in both files, as when both branches took the same fix. Fixed seeds and a
// generator of our own make the files the same bytes on every machine.

#include "benchrng.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

using bench::Rng;

constexpr const char *kWords[] = {"get",   "set",   "read",  "write", "count", "find",   "make",  "parse",
                                  "load",  "store", "check", "next",  "first", "item",   "node",  "list",
                                  "index", "size",  "value", "state", "flags", "buffer", "entry", "token"};
constexpr const char *kTypes[] = {"int", "size_t", "bool", "long", "auto"};

std::string Identifier(Rng &rng)
{
    std::string name = rng.Pick(kWords);
    std::string second = rng.Pick(kWords);
    second[0] = static_cast<char>(second[0] - 'a' + 'A');
    return name + second;
}

// One statement of a function body, now and then a blank line or a lone
// brace, which repeat all over a real file.
std::string Statement(Rng &rng)
{
    switch (rng.Below(8)) {
    case 0:
        return "";
    case 1:
        return "    }";
    case 2:
        return "    if (" + Identifier(rng) + " > " + std::to_string(rng.Below(100)) + ") {";
    case 3:
    case 4:
        return "    " + std::string(rng.Pick(kTypes)) + ' ' + Identifier(rng) + " = " + std::to_string(rng.Below(1000)) + ';';
    default:
        return "    " + Identifier(rng) + '(' + Identifier(rng) + ", " + std::to_string(rng.Below(1000)) + ");";
    }
}

Lines SourceLines(Rng &rng, std::size_t count)
{
    Lines lines;
    lines.reserve(count + 64);
    while (lines.size() < count) {
        lines.push_back("int " + Identifier(rng) + std::to_string(lines.size()) + "(void)");
        lines.push_back("{");
        for (std::size_t n = 3 + rng.Below(20); n > 0; --n)
            lines.push_back(Statement(rng));
        lines.push_back("}");
        lines.push_back("");
    }
    lines.resize(count);
    return lines;
}

struct Edit {
    std::size_t at = 0; // the base line it starts at
    int kind = 0;       // 0 change, 1 insert, 2 delete, 3 move down
    std::uint64_t seed = 0;
};

// Appends to out what one edit makes of the base's lines from edit.at on,
// and sets next to the first base line after those it used.
void Apply(const Edit &edit, const Lines &base, std::size_t &next, Lines &out)
{
    Rng rng(edit.seed);
    const std::size_t count = 1 + rng.Below(3);
    switch (edit.kind) {
    case 0:
        for (std::size_t n = 0; n < count; ++n)
            out.push_back(base[edit.at + n] + " // changed " + std::to_string(edit.seed % 1000));
        next = edit.at + count;
        break;
    case 1:
        for (std::size_t n = 0; n < count + 1; ++n)
            out.push_back(Statement(rng));
        out.push_back(base[edit.at]);
        next = edit.at + 1;
        break;
    case 2:
        next = edit.at + count;
        break;
    default: {
        // The block of count lines goes below the next few lines.
        const std::size_t over = 2 + rng.Below(6);
        for (std::size_t n = 0; n < over; ++n)
            out.push_back(base[edit.at + count + n]);
        for (std::size_t n = 0; n < count; ++n)
            out.push_back(base[edit.at + n]);
        next = edit.at + count + over;
        break;
    }
    }
}

Lines Edited(const Lines &base, std::vector<Edit> edits)
{
    std::sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return a.at < b.at; });
    Lines out;
    out.reserve(base.size() + edits.size() * 2);
    std::size_t next = 0;
    for (const Edit &edit : edits) {
        if (edit.at < next || edit.at + 20 > base.size())
            continue; // overlaps the edit before, or too near the end
        out.insert(out.end(), base.begin() + static_cast<std::ptrdiff_t>(next),
                   base.begin() + static_cast<std::ptrdiff_t>(edit.at));
        Apply(edit, base, next, out);
    }
    out.insert(out.end(), base.begin() + static_cast<std::ptrdiff_t>(next), base.end());
    return out;
}

std::vector<Edit> RandomEdits(Rng &rng, std::size_t count, std::size_t lines)
{
    std::vector<Edit> edits(count);
    for (Edit &edit : edits)
        edit = {rng.Below(lines), static_cast<int>(rng.Below(4)), rng.Next()};
    return edits;
}

bool WriteLines(const std::filesystem::path &path, const Lines &lines)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    for (const std::string &line : lines) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: gen_merge3 OUTDIR [LINES] [EDITS]\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::size_t lineCount = argc > 2 ? std::stoul(argv[2]) : 1000000;
    const std::size_t editCount = argc > 3 ? std::stoul(argv[3]) : 2000;
    Rng rng(0x3E3A11);
    const Lines base = SourceLines(rng, lineCount);
    const std::vector<Edit> shared = RandomEdits(rng, editCount / 10, lineCount);
    std::vector<Edit> first = RandomEdits(rng, editCount - shared.size(), lineCount);
    std::vector<Edit> second = RandomEdits(rng, editCount - shared.size(), lineCount);
    first.insert(first.end(), shared.begin(), shared.end());
    second.insert(second.end(), shared.begin(), shared.end());
    std::filesystem::create_directories(out);
    if (!WriteLines(out / "merge3.base", base) || !WriteLines(out / "merge3.1", Edited(base, first)) ||
        !WriteLines(out / "merge3.2", Edited(base, second))) {
        std::fprintf(stderr, "gen_merge3: cannot write into %s\n", out.c_str());
        return 1;
    }
    std::printf("merge3: %zu base lines, %zu edits a side (%zu of them in both)\n", lineCount, editCount,
                shared.size());
    return 0;
}
