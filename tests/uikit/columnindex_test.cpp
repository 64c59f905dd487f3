// The column index of long lines: the mark a lookup starts from must be a
// character's true first byte and cell, the nearest one, whichever order the
// lookups come in and after an edit.

#include "uikit/columnindex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace lindo {
namespace {

using Mark = ColumnIndex::Mark;

// The characters of these tests: UTF-8 sequences one cell wide, a tab
// running to the next multiple of four cells.
bool StartsCharacter(std::string_view line, std::size_t byte)
{
    return byte >= line.size() || (static_cast<unsigned char>(line[byte]) & 0xC0) != 0x80;
}

qint64 CellAfter(char byte, qint64 cell)
{
    return byte == '\t' ? (cell / 4 + 1) * 4 : cell + 1;
}

// The walk the index is given; remembers how far it was asked to read.
struct Walk {
    std::string_view line;
    std::size_t furthest = 0;
    int calls = 0;

    Mark operator()(Mark from, std::size_t stop)
    {
        furthest = std::max(furthest, stop);
        ++calls;
        for (; from.byte < line.size() && (from.byte < stop || !StartsCharacter(line, from.byte)); ++from.byte) {
            if (StartsCharacter(line, from.byte))
                from.cell = CellAfter(line[from.byte], from.cell);
        }
        return from;
    }
};

// Reading the whole line: the cell of every character start, and where the
// marks belong, at the first character at or after a step from the last.
struct Reference {
    Reference(std::string_view line, std::size_t step)
    {
        cellAt.assign(line.size() + 1, 0);
        for (std::size_t byte = 0; byte < line.size(); ++byte)
            cellAt[byte + 1] = StartsCharacter(line, byte) ? CellAfter(line[byte], cellAt[byte]) : cellAt[byte];
        marks.push_back({});
        while (marks.back().byte + step < line.size()) {
            std::size_t byte = marks.back().byte + step;
            while (!StartsCharacter(line, byte))
                ++byte;
            marks.push_back({byte, cellAt[byte]});
        }
    }
    // The last mark before the first for which `beyond` holds; the line's
    // start before them all.
    Mark LastMarkBy(auto beyond) const
    {
        const auto after = std::find_if(marks.begin(), marks.end(), beyond);
        return after == marks.begin() ? Mark{} : *std::prev(after);
    }

    std::vector<qint64> cellAt; // by byte, at the first byte of every character
    std::vector<Mark> marks;
};

std::string Repeat(std::string_view piece, int times)
{
    std::string line;
    for (int i = 0; i < times; ++i)
        line += piece;
    return line;
}

struct Line {
    const char *name;
    std::string text;
    std::size_t step;
};

const std::vector<Line> &Lines()
{
    static const std::vector<Line> lines = {
        {"plain", Repeat("abcdefg", 30), 16},
        {"tabs of every width", Repeat("\tab\tc\t\tdefg\t", 20), 16},
        // Steps of 5 bytes end inside the 2-, 3- and 4-byte characters.
        {"characters across step ends", Repeat("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\t", 25), 5},
        {"shorter than a step", "a\tb\xc3\xa9", 16},
        {"one byte past a step", Repeat("x", 17), 16},
    };
    return lines;
}

void ExpectMark(const Mark &found, const Mark &expected, const Reference &reference, const std::string &where)
{
    EXPECT_EQ(found.byte, expected.byte) << where;
    EXPECT_EQ(found.cell, expected.cell) << where;
    EXPECT_EQ(found.cell, reference.cellAt[found.byte]) << where;
}

// Every byte and every cell, looked up from the end back to the start and
// from the start on, in one index each; and each in an index of its own.
TEST(ColumnIndex, StartsEveryLookupFromTheLastMarkBeforeIt)
{
    for (const Line &line : Lines()) {
        const Reference reference(line.text, line.step);
        const auto lastCell = reference.cellAt.back();
        ColumnIndex backward(line.step);
        ColumnIndex forward(line.step);
        Walk walk{line.text};
        for (std::size_t i = 0; i <= line.text.size(); ++i) {
            const std::size_t byte = line.text.size() - i;
            const Mark expected = reference.LastMarkBy([&](const Mark &m) { return m.byte > byte; });
            const std::string where = std::string(line.name) + ", byte " + std::to_string(byte);
            ExpectMark(backward.ByByte(byte, line.text.size(), walk), expected, reference, where + " backward");
            ExpectMark(ColumnIndex(line.step).ByByte(byte, line.text.size(), walk), expected, reference, where);
        }
        for (qint64 cell = -1; cell <= lastCell + 5; ++cell) {
            const Mark expected = reference.LastMarkBy([&](const Mark &m) { return m.cell > cell; });
            const std::string where = std::string(line.name) + ", cell " + std::to_string(cell);
            ExpectMark(forward.ByCell(cell, line.text.size(), walk), expected, reference, where + " forward");
            ExpectMark(ColumnIndex(line.step).ByCell(cell, line.text.size(), walk), expected, reference, where);
        }
    }
}

TEST(ColumnIndex, ReadsOnlyAsFarAsALookupNeeds)
{
    const Line &line = Lines()[2];
    const Reference reference(line.text, line.step);
    ColumnIndex index(line.step);
    EXPECT_EQ(index.ByByte(40).byte, 0u) << "no marks before the first lookup";

    Walk walk{line.text};
    const Mark middle = index.ByByte(40, line.text.size(), walk);
    EXPECT_LE(walk.furthest, 40 + line.step);
    const int taken = walk.calls;
    // Marks taken once serve every lookup before them, without reading.
    walk.calls = 0;
    for (std::size_t byte = 0; byte <= middle.byte; ++byte) {
        const Mark expected = reference.LastMarkBy([&](const Mark &m) { return m.byte > byte; });
        ExpectMark(index.ByByte(byte, line.text.size(), walk), expected, reference, "byte " + std::to_string(byte));
        ExpectMark(index.ByByte(byte), expected, reference, "without walking, byte " + std::to_string(byte));
    }
    EXPECT_EQ(walk.calls, 0);
    // A lookup past the last mark goes on from it.
    index.ByByte(line.text.size(), line.text.size(), walk);
    EXPECT_EQ(taken + walk.calls, static_cast<int>(reference.marks.size()) - 1) << "each mark is taken once";
}

// The marks of the whole line are taken, the line changes from a byte on,
// and lookups then go by the new text.
TEST(ColumnIndex, AfterAnEditKeepsOnlyTheMarksBeforeIt)
{
    struct Edit {
        const char *name;
        std::size_t at;
        std::string inserted;
    };
    const std::string before = Repeat("ab\xc3\xa9\tcd", 30);
    const std::vector<Edit> edits = {
        {"a tab widens the rest", 100, "\t"},
        {"at the line's start", 0, "x\t"},
        {"at a mark", 16, "\xe2\x82\xac\t\t"},
        {"a byte before a mark", 15, "\xe2\x82\xac"},
        {"the rest cut off", 147, ""},
    };
    for (const Edit &edit : edits) {
        for (const std::size_t step : {8u, 16u}) {
            std::string after = before.substr(0, edit.at) + edit.inserted;
            if (!edit.inserted.empty())
                after += before.substr(edit.at);
            ColumnIndex index(step);
            index.TakeAll(before.size(), Walk{before});
            index.ForgetFrom(edit.at);

            const Reference reference(after, step);
            Walk walk{after};
            for (std::size_t byte = after.size() + 1; byte-- > 0;) {
                // A mark kept at the edit may lie where a new index would
                // take none (at the line's end), but never further back.
                const Mark expected = reference.LastMarkBy([&](const Mark &m) { return m.byte > byte; });
                const Mark found = index.ByByte(byte, after.size(), walk);
                const std::string where = std::string(edit.name) + ", byte " + std::to_string(byte);
                EXPECT_TRUE(found.byte >= expected.byte && found.byte <= byte) << where;
                EXPECT_TRUE(StartsCharacter(after, found.byte)) << where;
                EXPECT_EQ(found.cell, reference.cellAt[found.byte]) << where;
            }
        }
    }
}

} // namespace
} // namespace lindo
