#pragma once

// How a line's bytes sit on a grid of fixed-pitch cells, shared by every
// view that draws text in cells (the comparison panes, the Merged window).
//
// A line is read as UTF-8 and cut into characters as a reader sees them
// (grapheme clusters): a base with its combining marks, an emoji sequence
// joined by zero-width joiners, a flag's pair of regional indicators, a
// Hangul syllable written as jamo. Each character takes its cells:
// - East Asian wide and fullwidth characters and emoji: two;
// - any other printable character: one (a character of only zero-width code
//   points too, so that it can be seen and stepped over);
// - a tab: on to the next tab stop;
// - a control character (C0, DEL, C1): one, a character of its own;
// - a byte that starts no valid UTF-8 sequence: one, a character of its
//   own, drawn as one U+FFFD.
// Carets, selections, tints and marks are placed on these characters, never
// inside one. A line of ASCII takes no Unicode lookups at all.

#include "uikit/columnindex.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <string_view>

namespace lindo {

enum class CellKind : unsigned char {
    Text,
    Tab,
    Control, // a C0 or C1 control character or DEL
    Invalid, // one byte that starts no valid UTF-8 sequence
};

struct TextCluster {
    std::size_t length = 0; // bytes
    int cells = 1;          // for a tab, see CellAfter
    CellKind kind = CellKind::Text;
};

// Whether every byte of `text` is below 0x80.
bool IsAscii(std::string_view text);

// The character that starts at text[at] (at < text.size()).
TextCluster ClusterAt(std::string_view text, std::size_t at);

// The cell after a character that starts in `cell`, with tab stops every
// `tabCells` cells.
constexpr qint64 CellAfter(const TextCluster &cluster, qint64 cell, int tabCells)
{
    return cluster.kind == CellKind::Tab ? (cell / tabCells + 1) * tabCells : cell + cluster.cells;
}

// What a character is drawn as: its own text, U+FFFD for an invalid byte.
QString ClusterText(std::string_view text, std::size_t at, const TextCluster &cluster);

// The characters of a line as they are drawn: its UTF-8 decoded, each
// invalid byte one U+FFFD.
QString DecodedText(std::string_view text);
// The same for assistive technology, a NUL read as U+2400 SYMBOL FOR NULL:
// a bus string would end at the NUL, and all after it would be lost.
QString ReadableText(std::string_view text);

// Walks along a line from a character start `from` (byte and cell), reading
// only as far as needed; tab stops every `tabCells` cells.
// The first character that starts at or after `byte` (or the line's end).
ColumnIndex::Mark CharacterAtOrAfter(std::string_view text, ColumnIndex::Mark from, std::size_t byte,
                                     int tabCells);
// The character `byte` falls in: the last one starting at or before it.
ColumnIndex::Mark CharacterAtOrBefore(std::string_view text, ColumnIndex::Mark from, std::size_t byte,
                                      int tabCells);
// The character covering `cell` (or the line's end when none does).
ColumnIndex::Mark CharacterAtCell(std::string_view text, ColumnIndex::Mark from, qint64 cell, int tabCells);

// The cell after the whole of `text`, starting in `cell`.
qint64 CellsAfter(std::string_view text, qint64 cell, int tabCells);

} // namespace lindo
