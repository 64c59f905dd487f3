// Writes the file pairs the comparison benchmark runs on:
//
//   gen_pairs OUTDIR [NAME...]
//
// makes OUTDIR/<name>.1 and OUTDIR/<name>.2 for every named pair (all pairs
// when none is named) and prints what each pair holds. Every pair comes from
// fixed seeds and a generator of our own, so the files are the same bytes on
// every machine and with every standard library.

#include "benchrng.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

using bench::Rng;

// ---------------------------------------------------------------------------
// Source-like text: functions with comments, braces on their own lines, blank
// lines, nested blocks and many short lines that repeat all over a real file.

constexpr const char *kWords[] = {
    "get",   "set",    "read",   "write", "count", "find",  "make",   "parse", "load",  "store",
    "check", "update", "build",  "next",  "first", "last",  "item",   "node",  "list",  "buffer",
    "index", "offset", "size",   "length", "value", "result", "state", "flags", "mode", "path",
    "name",  "text",   "line",   "entry", "table", "cache", "queue",  "stack", "token", "match",
};
constexpr const char *kTypes[] = {"int", "size_t", "bool", "unsigned", "long", "double", "char *", "auto"};
constexpr const char *kOperators[] = {"<", ">", "==", "!=", "<=", ">=", "&", "+", "-", "*"};
constexpr const char *kCommentWords[] = {"the",   "keeps",  "every", "entry",  "until", "it",   "is",
                                         "read",  "again",  "when",  "buffer", "grows", "so",   "we",
                                         "check", "before", "using", "it",     "once",  "more", "here"};

// Blocks nest this deep at most (1 = function body), as most real code does.
constexpr int kMaxDepth = 2;

class SourceWriter {
public:
    explicit SourceWriter(std::uint64_t seed) : m_rng(seed) {}

    // Whole functions until at least `count` lines exist, then cut to `count`.
    Lines Functions(std::size_t count)
    {
        Lines lines;
        lines.reserve(count + 256);
        while (lines.size() < count)
            Function(lines);
        lines.resize(count);
        return lines;
    }

    // One statement line at the given depth (1 = function body).
    std::string Statement(int depth)
    {
        const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
        switch (m_rng.Below(5)) {
        case 0:
            return indent + m_rng.Pick(kTypes) + ' ' + Identifier() + " = " + Number() + ';';
        case 1:
            return indent + Identifier() + " = " + Identifier() + ' ' + m_rng.Pick(kOperators) + ' ' + Number() + ';';
        case 2:
            return indent + Identifier() + '(' + Identifier() + ", " + Number() + ");";
        case 3:
            return indent + Identifier() + "->" + Identifier() + " += " + Number() + ';';
        default:
            return indent + "++" + Identifier() + ';';
        }
    }

private:
    std::string Identifier()
    {
        std::string name = m_rng.Pick(kWords);
        std::string second = m_rng.Pick(kWords);
        if (m_rng.Chance(0.5)) {
            name += '_';
        } else {
            second[0] = static_cast<char>(second[0] - 'a' + 'A');
        }
        name += second;
        if (m_rng.Chance(0.2))
            name += std::to_string(m_rng.Below(10));
        return name;
    }

    std::string Number() { return std::to_string(m_rng.Chance(0.5) ? m_rng.Below(10) : m_rng.Below(1000)); }

    std::string Comment(const std::string &indent)
    {
        std::string text = indent + "//";
        const int words = m_rng.Between(3, 10);
        for (int w = 0; w < words; ++w)
            text += std::string(" ") + m_rng.Pick(kCommentWords);
        return text;
    }

    void Function(Lines &out)
    {
        if (m_rng.Chance(0.5)) {
            const int comments = m_rng.Between(1, 3);
            for (int c = 0; c < comments; ++c)
                out.push_back(Comment(""));
        }
        std::string signature = m_rng.Chance(0.3) ? "static " : "";
        signature += std::string(m_rng.Pick(kTypes)) + ' ' + Identifier() + '(' + m_rng.Pick(kTypes) + ' '
                     + Identifier() + ", " + m_rng.Pick(kTypes) + ' ' + Identifier() + ')';
        out.push_back(signature);
        out.emplace_back("{");
        Body(out, 1, m_rng.Between(3, 25));
        out.push_back(m_rng.Chance(0.6) ? "    return 0;" : "    return " + Identifier() + ';');
        out.emplace_back("}");
        out.emplace_back("");
    }

    void Body(Lines &out, int depth, int statements)
    {
        const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
        for (int s = 0; s < statements; ++s) {
            const std::size_t kind = m_rng.Below(20);
            if (kind < 2) {
                out.emplace_back("");
            } else if (kind < 3) {
                out.push_back(Comment(indent));
            } else if (kind < 5 && depth < kMaxDepth) {
                Block(out, depth, indent + "if (" + Identifier() + ' ' + m_rng.Pick(kOperators) + ' ' + Number() + ')');
            } else if (kind < 6 && depth < kMaxDepth) {
                Block(out, depth, indent + "for (int i = 0; i < " + Identifier() + "; ++i)");
            } else if (kind < 7 && depth < kMaxDepth) {
                Switch(out, depth);
            } else {
                out.push_back(Statement(depth));
            }
        }
    }

    void Block(Lines &out, int depth, std::string head)
    {
        const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
        out.push_back(std::move(head));
        out.push_back(indent + '{');
        Body(out, depth + 1, m_rng.Between(1, 6));
        if (m_rng.Chance(0.3))
            out.push_back(indent + (m_rng.Chance(0.5) ? "    return 0;" : "    break;"));
        out.push_back(indent + '}');
    }

    void Switch(Lines &out, int depth)
    {
        const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
        out.push_back(indent + "switch (" + Identifier() + ')');
        out.push_back(indent + '{');
        const int cases = m_rng.Between(2, 6);
        for (int c = 0; c < cases; ++c) {
            out.push_back(indent + "case " + Number() + ':');
            out.push_back(Statement(depth + 1));
            out.push_back(indent + "    break;");
        }
        out.push_back(indent + "default:");
        out.push_back(indent + "    break;");
        out.push_back(indent + '}');
    }

    Rng m_rng;
};

// ---------------------------------------------------------------------------
// Deriving the second file: stretches of changed, deleted and inserted lines
// spread over the first file, then whole blocks moved elsewhere.

struct EditPlan {
    double changed = 0;  // share of the first file's lines changed in place
    double deleted = 0;  // share deleted
    double inserted = 0; // share of new lines put in
    int maxStretch = 20; // every stretch is 1..maxStretch lines long
    int moves = 0;       // blocks cut out and put back elsewhere
    int minMove = 20;
    int maxMove = 200;
};

struct EditCounts {
    std::size_t changed = 0;
    std::size_t deleted = 0;
    std::size_t inserted = 0;
    std::size_t moved = 0;
};

// Supplies the text of changed and inserted lines.
class LineSource {
public:
    virtual ~LineSource() = default;
    virtual std::string Fresh(Rng &rng) = 0;
    virtual std::string Changed(const std::string &line, Rng &rng) = 0;
};

class SourceLines final : public LineSource {
public:
    explicit SourceLines(std::uint64_t seed) : m_writer(seed) {}

    std::string Fresh(Rng &rng) override { return m_writer.Statement(rng.Between(1, kMaxDepth)); }

    // Edits a number, appends a term, or rewrites the line, as a programmer would.
    std::string Changed(const std::string &line, Rng &rng) override
    {
        std::string result;
        const std::size_t digit = line.find_first_of("0123456789");
        const std::size_t semicolon = line.rfind(';');
        const std::size_t how = rng.Below(3);
        if (how == 0 && digit != std::string::npos) {
            result = line.substr(0, digit) + std::to_string(rng.Below(1000)) + line.substr(digit + 1);
        } else if (how == 1 && semicolon != std::string::npos) {
            result = line.substr(0, semicolon) + " + 1" + line.substr(semicolon);
        } else {
            result = m_writer.Statement(static_cast<int>(line.find_first_not_of(' ') / 4) + 1);
        }
        return result == line ? line + " // changed" : result;
    }

private:
    SourceWriter m_writer;
};

class PoolLines final : public LineSource {
public:
    explicit PoolLines(const Lines &pool) : m_pool(pool) {}

    std::string Fresh(Rng &rng) override { return m_pool[rng.Below(m_pool.size())]; }

    std::string Changed(const std::string &line, Rng &rng) override
    {
        for (;;) {
            std::string other = Fresh(rng);
            if (other != line)
                return other;
        }
    }

private:
    const Lines &m_pool;
};

void MoveBlocks(Lines &lines, const EditPlan &plan, Rng &rng, EditCounts &counts)
{
    for (int m = 0; m < plan.moves; ++m) {
        const auto length = static_cast<std::size_t>(rng.Between(plan.minMove, plan.maxMove));
        if (lines.size() < 2 * length)
            return;
        const std::size_t from = rng.Below(lines.size() - length + 1);
        const std::size_t to = rng.Below(lines.size() - length + 1); // start once the block is out
        const auto begin = lines.begin();
        if (to < from)
            std::rotate(begin + static_cast<std::ptrdiff_t>(to), begin + static_cast<std::ptrdiff_t>(from),
                        begin + static_cast<std::ptrdiff_t>(from + length));
        else
            std::rotate(begin + static_cast<std::ptrdiff_t>(from), begin + static_cast<std::ptrdiff_t>(from + length),
                        begin + static_cast<std::ptrdiff_t>(to + length));
        counts.moved += length;
    }
}

Lines Derive(const Lines &first, const EditPlan &plan, LineSource &source, Rng &rng, EditCounts &counts)
{
    const double total = plan.changed + plan.deleted + plan.inserted;
    const double meanStretch = (1.0 + plan.maxStretch) / 2.0;
    const double startChance = total / meanStretch;
    Lines second;
    second.reserve(first.size() + first.size() / 20);
    for (std::size_t i = 0; i < first.size();) {
        if (!rng.Chance(startChance)) {
            second.push_back(first[i++]);
            continue;
        }
        const auto length = static_cast<std::size_t>(rng.Between(1, plan.maxStretch));
        const double kind = static_cast<double>(rng.Next() >> 11) * 0x1.0p-53 * total;
        if (kind < plan.inserted) {
            for (std::size_t k = 0; k < length; ++k)
                second.push_back(source.Fresh(rng));
            counts.inserted += length;
            second.push_back(first[i++]); // keeps two stretches from touching
            continue;
        }
        const std::size_t end = std::min(first.size(), i + length);
        if (kind < plan.inserted + plan.changed) {
            for (std::size_t k = i; k < end; ++k)
                second.push_back(source.Changed(first[k], rng));
            counts.changed += end - i;
        } else {
            counts.deleted += end - i;
        }
        i = end;
    }
    MoveBlocks(second, plan, rng, counts);
    return second;
}

// ---------------------------------------------------------------------------
// The pairs.

struct Pair {
    Lines first;
    Lines second;
    EditCounts counts;
};

constexpr EditPlan kSourceEdits{0.01, 0.005, 0.005, 20, 0, 20, 200};

Pair EditedSource(std::size_t lineCount, int moves, std::uint64_t seed)
{
    Pair pair;
    pair.first = SourceWriter(seed).Functions(lineCount);
    EditPlan plan = kSourceEdits;
    plan.moves = moves;
    SourceLines source(seed + 1);
    Rng rng(seed + 2);
    pair.second = Derive(pair.first, plan, source, rng, pair.counts);
    return pair;
}

constexpr std::size_t kPoolSize = 50;

Pair Repetitive(std::size_t lineCount, std::uint64_t seed)
{
    // The short lines every file repeats, then statements until there are 50.
    Lines pool{"}", "", "{", "    return 0;", "    break;", "    }", "    {", "        break;"};
    SourceWriter writer(seed);
    std::unordered_set<std::string> seen(pool.begin(), pool.end());
    while (pool.size() < kPoolSize) {
        std::string line = writer.Statement(1);
        if (seen.insert(line).second)
            pool.push_back(std::move(line));
    }
    Rng rng(seed + 1);
    Pair pair;
    pair.first.reserve(lineCount);
    for (std::size_t i = 0; i < lineCount; ++i)
        pair.first.push_back(pool[rng.Below(pool.size())]);
    PoolLines source(pool);
    const EditPlan plan{0.025, 0.0125, 0.0125, 20, 0, 20, 200};
    pair.second = Derive(pair.first, plan, source, rng, pair.counts);
    return pair;
}

Pair Identical(std::size_t lineCount, std::uint64_t seed)
{
    Pair pair;
    pair.first = SourceWriter(seed).Functions(lineCount);
    pair.second = pair.first;
    return pair;
}

// Long lines that all share their first eight and last two non-blank bytes,
// which a comparison ignoring blanks must not take for a sign of equal keys.
Pair SharedEnds(std::size_t lineCount, std::uint64_t seed)
{
    static constexpr char kHex[] = "0123456789abcdef";
    Rng rng(seed);
    Pair pair;
    pair.first.reserve(lineCount);
    for (std::size_t i = 0; i < lineCount; ++i) {
        std::string line = "    result = record(";
        while (line.size() < 200)
            line += rng.Chance(0.1) ? ' ' : kHex[rng.Below(16)];
        line += ");";
        pair.first.push_back(std::move(line));
    }
    pair.second = pair.first;
    return pair;
}

// A server log: every line starts with the same long prefix of date, host
// and service, then a request; the second file is the first edited.
class LogLines final : public LineSource {
public:
    std::string Fresh(Rng &rng) override
    {
        static constexpr const char *kPaths[] = {"/api/items", "/api/users", "/static/app.js", "/health", "/login"};
        std::string line = "2026-12-09T01:47:06 web-frontend-01 request-handler[4242]: INFO request id=";
        line += std::to_string(rng.Next() % 100000000);
        line += " method=GET path=";
        line += rng.Pick(kPaths);
        line += " status=200 bytes=" + std::to_string(rng.Below(100000));
        line += " elapsed_ms=" + std::to_string(rng.Below(2000)) + " user_agent=Mozilla/5.0";
        return line;
    }

    std::string Changed(const std::string &, Rng &rng) override { return Fresh(rng); }
};

Pair Log(std::size_t lineCount, std::uint64_t seed)
{
    Rng rng(seed);
    LogLines source;
    Pair pair;
    pair.first.reserve(lineCount);
    for (std::size_t i = 0; i < lineCount; ++i)
        pair.first.push_back(source.Fresh(rng));
    pair.second = Derive(pair.first, kSourceEdits, source, rng, pair.counts);
    return pair;
}

struct PairSpec {
    const char *name;
    Pair (*make)();
};

constexpr PairSpec kPairs[] = {
    {"edited-100k", [] { return EditedSource(100'000, 4, 1001); }},
    {"edited-1m", [] { return EditedSource(1'000'000, 8, 2002); }},
    {"repetitive-200k", [] { return Repetitive(200'000, 3003); }},
    {"identical-1m", [] { return Identical(1'000'000, 4004); }},
    {"shared-ends-200k", [] { return SharedEnds(200'000, 5005); }},
    {"log-200k", [] { return Log(200'000, 6006); }},
};

bool WriteLines(const std::filesystem::path &path, const Lines &lines)
{
    std::string bytes;
    std::size_t size = 0;
    for (const std::string &line : lines)
        size += line.size() + 1;
    bytes.reserve(size);
    for (const std::string &line : lines) {
        bytes += line;
        bytes += '\n';
    }
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool MakePair(const PairSpec &spec, const std::filesystem::path &outDir)
{
    const Pair pair = spec.make();
    const std::string base = (outDir / spec.name).string();
    if (!WriteLines(base + ".1", pair.first) || !WriteLines(base + ".2", pair.second)) {
        std::fprintf(stderr, "gen_pairs: cannot write %s.1/.2\n", base.c_str());
        return false;
    }
    std::printf("%-16s %8zu / %8zu lines: %zu changed, %zu deleted, %zu inserted, %zu moved\n", spec.name,
                pair.first.size(), pair.second.size(), pair.counts.changed, pair.counts.deleted,
                pair.counts.inserted, pair.counts.moved);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "Usage: gen_pairs OUTDIR [NAME...]\n");
        return 2;
    }
    const std::filesystem::path outDir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(outDir, error);
    if (error) {
        std::fprintf(stderr, "gen_pairs: cannot create %s: %s\n", argv[1], error.message().c_str());
        return 2;
    }
    std::vector<std::string_view> wanted(argv + 2, argv + argc);
    for (const std::string_view name : wanted) {
        if (std::none_of(std::begin(kPairs), std::end(kPairs), [name](const PairSpec &p) { return name == p.name; })) {
            std::fprintf(stderr, "gen_pairs: no pair named %.*s\n", static_cast<int>(name.size()), name.data());
            return 2;
        }
    }
    for (const PairSpec &spec : kPairs) {
        const bool chosen = wanted.empty() || std::find(wanted.begin(), wanted.end(), spec.name) != wanted.end();
        if (chosen && !MakePair(spec, outDir))
            return 1;
    }
    return 0;
}
