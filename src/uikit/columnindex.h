#pragma once

// Where the characters of a long line are drawn, found without reading the
// line from its start. Every character takes one cell and a tab runs on to
// the next tab stop, so the cell of a character depends on all the bytes
// before it, and a line of megabytes would be read whole for every column
// painted or clicked. The index keeps a mark (the first byte of a character
// and its cell) about every `step` bytes, so that a lookup reads at most a
// step's worth of the line from the mark it is given.
//
// What a character is, and how wide a tab, is the user's to say: marks are
// taken on by a walk it gives, `walk(from, stop)`, which reads the line from
// the mark `from` and returns the first character that starts at or after
// byte `stop` (or the line's end), with its cell. Marks are taken on only as
// far as a lookup needs them.

#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace lindo {

class ColumnIndex {
public:
    // A character starts at `byte` of the line, in `cell`.
    struct Mark {
        std::size_t byte = 0;
        qint64 cell = 0;
    };

    explicit ColumnIndex(std::size_t step) : m_step(step) {}

    // The last mark at or before a byte (a cell) among those taken so far;
    // the line's start when there is none.
    Mark ByByte(std::size_t byte) const;
    Mark ByCell(qint64 cell) const;

    // The same, after taking on marks along a line of `lineBytes` bytes
    // until one lies beyond the byte (the cell) or the line ends within a
    // step of the last.
    template <typename Walk>
    Mark ByByte(std::size_t byte, std::size_t lineBytes, Walk &&walk)
    {
        TakeUntil(lineBytes, walk, [byte](const Mark &mark) { return mark.byte > byte; });
        return ByByte(byte);
    }
    template <typename Walk>
    Mark ByCell(qint64 cell, std::size_t lineBytes, Walk &&walk)
    {
        TakeUntil(lineBytes, walk, [cell](const Mark &mark) { return mark.cell > cell; });
        return ByCell(cell);
    }
    // Takes on the marks of the whole line at once.
    template <typename Walk>
    void TakeAll(std::size_t lineBytes, Walk &&walk)
    {
        TakeUntil(lineBytes, walk, [](const Mark &) { return false; });
    }

    // After the line changed from `byte` on: a mark stands for the bytes
    // before it, so the marks up to that byte still hold and the others go.
    void ForgetFrom(std::size_t byte);

private:
    template <typename Walk, typename Beyond>
    void TakeUntil(std::size_t lineBytes, Walk &walk, Beyond beyond)
    {
        if (m_marks.empty())
            m_marks.push_back({});
        while (!beyond(m_marks.back()) && m_marks.back().byte + m_step < lineBytes)
            m_marks.push_back(walk(m_marks.back(), m_marks.back().byte + m_step));
    }

    std::size_t m_step;
    std::vector<Mark> m_marks; // ascending in bytes and cells; the first at the line's start
};

} // namespace lindo
