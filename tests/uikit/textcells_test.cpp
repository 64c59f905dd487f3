// The cell layout of a line: which bytes make one character and how many
// cells it takes, for the kinds of text a file brings.

#include "uikit/textcells.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace lindo {
namespace {

struct Character {
    std::size_t length;
    qint64 cells;
    CellKind kind;
    bool operator==(const Character &) const = default;
};

void PrintTo(const Character &c, std::ostream *out)
{
    *out << "{" << c.length << " bytes, " << c.cells << " cells, kind " << int(c.kind) << "}";
}

// The characters of a line as the layout cuts them, tab stops every 4 cells.
std::vector<Character> Layout(std::string_view text)
{
    std::vector<Character> characters;
    qint64 cell = 0;
    for (std::size_t at = 0; at < text.size();) {
        const TextCluster cluster = ClusterAt(text, at);
        const qint64 next = CellAfter(cluster, cell, 4);
        characters.push_back({cluster.length, next - cell, cluster.kind});
        cell = next;
        at += cluster.length;
    }
    return characters;
}

constexpr CellKind T = CellKind::Text;

struct Row {
    const char *name;
    std::string text;
    std::vector<Character> expected;
};

TEST(TextCells, CutsLinesIntoCharactersWithTheirCells)
{
    const std::vector<Row> rows = {
        {"ascii", "ab", {{1, 1, T}, {1, 1, T}}},
        {"tab to the next stop", "a\tb", {{1, 1, T}, {1, 3, CellKind::Tab}, {1, 1, T}}},
        {"cjk is wide", "a\xE4\xB8\xAD" "b", {{1, 1, T}, {3, 2, T}, {1, 1, T}}},
        {"fullwidth letter", "\xEF\xBC\xA1", {{3, 2, T}}},
        {"emoji", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80", {{4, 2, T}, {4, 2, T}}},
        // man + ZWJ + woman + ZWJ + girl: one family.
        {"zwj sequence", "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7", {{18, 2, T}}},
        // Two flags: each pair of regional indicators is one.
        {"flags", "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7", {{8, 2, T}, {8, 2, T}}},
        {"heart as emoji", "\xE2\x9D\xA4\xEF\xB8\x8F", {{6, 2, T}}},
        {"combining accent joins its base", "e\xCC\x81" "e\xCC\x81x", {{3, 1, T}, {3, 1, T}, {1, 1, T}}},
        // Hangul jamo L V T make one syllable.
        {"hangul jamo", "\xE1\x84\x80\xE1\x85\xA1\xE1\x86\xA8" "a", {{9, 2, T}, {1, 1, T}}},
        {"truncated sequence", "\xE4\xB8" "a", {{1, 1, CellKind::Invalid}, {1, 1, CellKind::Invalid}, {1, 1, T}}},
        {"lone continuation byte", "a\x80" "b", {{1, 1, T}, {1, 1, CellKind::Invalid}, {1, 1, T}}},
        {"overlong nul", "\xC0\x80", {{1, 1, CellKind::Invalid}, {1, 1, CellKind::Invalid}}},
        {"nul", std::string("a\0b", 3), {{1, 1, T}, {1, 1, CellKind::Control}, {1, 1, T}}},
        // A mark after a control character has no base to join.
        {"accent after a control", "\x01\xCC\x81", {{1, 1, CellKind::Control}, {2, 1, T}}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(Layout(row.text), row.expected) << row.name;
}

TEST(TextCells, WalksFindTheCharacterABytesOrCellFallsIn)
{
    // "a", an emoji (bytes 1-4, cells 1-2), "e" + accent (bytes 5-7, cell 3), tab (cells 4-7), "z".
    const std::string text = "a\xF0\x9F\x98\x80" "e\xCC\x81\tz";
    EXPECT_EQ(CellsAfter(text, 0, 8), 9);
    EXPECT_EQ(CellsAfter("a\tbc", 0, 4), 6);
    struct Probe {
        std::size_t byte;
        std::size_t before, beforeCell, after, afterCell;
    };
    for (const Probe &p : std::vector<Probe>{{0, 0, 0, 0, 0}, {2, 1, 1, 5, 3}, {6, 5, 3, 8, 4}, {8, 8, 4, 8, 4},
                                              {99, 10, 9, 10, 9}}) {
        const ColumnIndex::Mark before = CharacterAtOrBefore(text, {}, p.byte, 8);
        const ColumnIndex::Mark after = CharacterAtOrAfter(text, {}, p.byte, 8);
        EXPECT_EQ(before.byte, p.before) << p.byte;
        EXPECT_EQ(before.cell, qint64(p.beforeCell)) << p.byte;
        EXPECT_EQ(after.byte, p.after) << p.byte;
        EXPECT_EQ(after.cell, qint64(p.afterCell)) << p.byte;
    }
    for (const auto &[cell, byte] : std::vector<std::pair<qint64, std::size_t>>{{0, 0}, {1, 1}, {2, 1}, {3, 5},
                                                                                 {6, 8}, {8, 9}, {20, 10}})
        EXPECT_EQ(CharacterAtCell(text, {}, cell, 8).byte, byte) << cell;
}

TEST(TextCells, InvalidBytesReadAsOneReplacementCharacterEach)
{
    const std::string text = "\xE4\xB8";
    EXPECT_EQ(ClusterText(text, 0, ClusterAt(text, 0)), QString(QChar(0xFFFD)));
    EXPECT_EQ(ClusterText("e\xCC\x81", 0, ClusterAt("e\xCC\x81", 0)), QString::fromUtf8("e\xCC\x81"));
}

} // namespace
} // namespace lindo
