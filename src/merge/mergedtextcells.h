#pragma once

// Where the characters of the Merged window's text are drawn, in cells of
// its fixed-pitch font: every character takes its cells (uikit/textcells.h:
// two for a wide one, a letter with its accents one) and a tab reaches the
// next tab stop, so finding a column on screen is arithmetic over the bytes
// before it. Long lines keep landmarks (uikit/columnindex.h) so that a column
// far along them is found without reading all that comes before; the text
// area says which lines changed, and the landmarks after a change go.

#include "merge/mergedtext.h"
#include "uikit/columnindex.h"
#include "uikit/textcells.h"

#include <QtGlobal>

#include <cstddef>
#include <unordered_map>

namespace lindo {

class MergedTextCells {
public:
    // A character starts at `byte` of its line, in `cell`.
    using Mark = ColumnIndex::Mark;

    // Reads `text`, which outlives it.
    explicit MergedTextCells(const MergedText &text) : m_text(text) {}

    // Tab stops every `cells` cells.
    void SetTabCells(int cells);

    // The character that starts at a byte of a line, and the cell after it.
    TextCluster CharacterAt(int line, std::size_t column) const { return ClusterAt(m_text.Line(line), column); }
    qint64 NextCell(qint64 cell, const TextCluster &character) const
    {
        return CellAfter(character, cell, m_tabCells);
    }
    // The cell of the first character at or after a byte offset.
    qint64 CellOf(int line, std::size_t column) const;
    // The character covering `cell` (its first byte and cell), or the
    // line's end.
    Mark ColumnAtCell(int line, qint64 cell) const;
    // The start of the character a byte offset falls in.
    std::size_t CharacterStart(int line, std::size_t column) const;
    // The start of the character after (before) the one a byte offset falls
    // in; the line's end (start) at most.
    std::size_t NextCharacter(int line, std::size_t column) const;
    std::size_t PreviousCharacter(int line, std::size_t column) const;
    // At least the cells a line takes, found without reading the longest
    // lines whole.
    qint64 CellsBound(int line) const;

    // After the bytes of a line changed from `column` on.
    void Forget(int line, std::size_t column);
    // After a line was taken in, or lines came or went.
    void ForgetLine(int line) { m_landmarks.erase(line); }
    void ForgetAll() { m_landmarks.clear(); }

private:
    // The landmark at or before `column` (or `cell`, when not negative) of a
    // line; the line's start for a short one.
    Mark LandmarkBefore(int line, std::size_t column, qint64 cell) const;
    // Reads a line from `from` to the first character at or after `stop`.
    Mark WalkTo(const std::string &bytes, Mark from, std::size_t stop) const;

    const MergedText &m_text;
    int m_tabCells = 8;
    // Found lazily, so kept even by what only looks.
    mutable std::unordered_map<int, ColumnIndex> m_landmarks;
};

} // namespace lindo
