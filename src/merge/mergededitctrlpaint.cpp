#include "merge/mergededitctrl.h"

#include "merge/bytetext.h"

#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace lindo {

namespace {

// The letter a control character is drawn with, inverted over its cell;
// null for any other character.
QChar ControlMark(char32_t c)
{
    switch (c) {
    case 0:
        return u'0';
    case '\r':
        return u'r';
    case '\n':
        return u'n';
    case '\t':
        return {};
    default:
        break;
    }
    const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
    return control ? QChar(u'?') : QChar();
}

// Printable ASCII characters side by side are drawn as one run of glyphs in
// one colour. A character drawn otherwise, or a glyph in the other colour,
// ends the run first, so that the line is drawn in the order of its
// characters.
class GlyphRow {
public:
    GlyphRow(QPainter &painter, const QRawFont &font, const QPalette &colours)
        : m_painter(painter), m_font(font), m_colours(colours)
    {
    }

    // Draws the run so far unless a glyph of the same colour goes on with it.
    void EndUnless(bool glyph, bool selected)
    {
        if (!glyph || selected != m_selected)
            Draw();
    }
    void Add(quint32 glyph, QPointF position, bool selected)
    {
        m_selected = selected;
        m_glyphs.append(glyph);
        m_positions.append(position);
    }
    void Draw()
    {
        if (m_glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_font);
        run.setGlyphIndexes(m_glyphs);
        run.setPositions(m_positions);
        m_painter.setPen(m_selected ? m_colours.highlightedText().color() : m_colours.text().color());
        m_painter.drawGlyphRun(QPointF(), run);
        m_glyphs.clear();
        m_positions.clear();
    }

private:
    QPainter &m_painter;
    const QRawFont &m_font;
    const QPalette &m_colours;
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
    bool m_selected = false;
};

} // namespace

void CMergedEditCtrl::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QRect area = event->rect();
    const int top = verticalScrollBar()->value();
    const qreal left = horizontalScrollBar()->value();
    const int firstLine = top + std::max(0, area.top()) / m_lineHeight;
    const int lastLine = std::min(m_text.LineCount() - 1, top + std::max(0, area.bottom()) / m_lineHeight);
    const auto firstCell = static_cast<qint64>(std::floor((left + area.left()) / m_cellWidth));
    const auto lastCell = static_cast<qint64>(std::floor((left + area.right()) / m_cellWidth));
    for (int line = firstLine; line <= lastLine; ++line)
        PaintLine(painter, line, (line - top) * m_lineHeight, std::max<qint64>(firstCell, 0), lastCell);
    if (!m_preedit.isEmpty()) {
        // Drawn over the text after the caret, underlined, on cells of its own.
        const QRect caret = CaretRect();
        const QRectF box(caret.left(), caret.top(), static_cast<qreal>(m_preedit.size()) * m_cellWidth, m_lineHeight);
        painter.fillRect(box, palette().base());
        painter.setPen(palette().text().color());
        painter.drawText(QPointF(box.left(), caret.top() + m_ascent), m_preedit);
        painter.drawLine(QPointF(box.left(), box.bottom() - 1), QPointF(box.right(), box.bottom() - 1));
    }
    if (m_caretShown && hasFocus())
        painter.fillRect(CaretRect(), palette().text());
}

void CMergedEditCtrl::PaintLine(QPainter &painter, int line, int top, qint64 firstCell, qint64 lastCell)
{
    const std::string &bytes = m_text.Line(line);
    const qreal left = horizontalScrollBar()->value();
    const bool selection = HasSelection();
    const TextPos selectionStart = SelectionStart();
    const TextPos selectionEnd = SelectionEnd();
    const QPalette &colours = palette();
    const auto cellX = [&](qint64 cell) { return static_cast<qreal>(cell) * m_cellWidth - left; };

    GlyphRow glyphs(painter, m_rawFont, colours);
    MergedTextCells::Mark at = m_cells.ColumnAtCell(line, firstCell);
    while (at.byte < bytes.size() && at.cell <= lastCell) {
        const TextCluster character = m_cells.CharacterAt(line, at.byte);
        const auto byte = static_cast<unsigned char>(bytes[at.byte]);
        char32_t c = 0;
        Utf8CharAt(bytes, at.byte, c);
        const qint64 next = m_cells.NextCell(at.cell, character);
        const TextPos here{line, at.byte};
        const bool selected = selection && here >= selectionStart && here < selectionEnd;
        const QRectF cell(cellX(at.cell), top, static_cast<qreal>(next - at.cell) * m_cellWidth, m_lineHeight);
        if (selected)
            painter.fillRect(cell, colours.highlight());
        const QChar mark = character.kind == CellKind::Control ? ControlMark(c) : QChar();
        const bool ascii = character.kind == CellKind::Text && character.length == 1 && byte < 0x80;
        const quint32 glyph = ascii ? m_asciiGlyphs[byte] : 0;
        glyphs.EndUnless(glyph != 0, selected);
        if (!mark.isNull()) {
            painter.fillRect(cell, selected ? colours.highlightedText() : colours.text());
            painter.setPen(selected ? colours.highlight().color() : colours.base().color());
            painter.drawText(cell, Qt::AlignCenter, QString(mark));
        } else if (glyph != 0) {
            glyphs.Add(glyph, QPointF(cell.left(), top + m_ascent), selected);
        } else if (character.kind != CellKind::Tab && c != ' ') {
            // Drawn on its own cells, whatever width the font gives it.
            painter.setPen(selected ? colours.highlightedText().color() : colours.text().color());
            painter.drawText(QPointF(cell.left(), top + m_ascent), ClusterText(bytes, at.byte, character));
        }
        at.cell = next;
        at.byte += character.length;
    }
    glyphs.Draw();
    // A selected line break shows as one selected cell after the line.
    if (selection && at.byte >= bytes.size() && line >= selectionStart.line && line < selectionEnd.line
        && at.cell <= lastCell)
        painter.fillRect(QRectF(cellX(at.cell), top, m_cellWidth, m_lineHeight), colours.highlight());
}

} // namespace lindo
