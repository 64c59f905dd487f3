#include "merge/mergededitctrl.h"

#include "merge/bytetext.h"
#include "merge/mergededitctrlaccessible.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <cctype>

namespace lindo {

void CMergedEditCtrl::SetCaret(int line, std::size_t column)
{
    line = std::clamp(line, 0, m_text.LineCount() - 1);
    column = std::min(column, m_text.Line(line).size());
    // Back to the start of the character the offset falls in.
    MoveCaret({line, m_cells.CharacterStart(line, column)}, false);
}

void CMergedEditCtrl::MoveCaret(TextPos to, bool select, bool keepGoal)
{
    m_caret = to;
    if (!select)
        m_anchor = to;
    if (!keepGoal)
        m_goalCell = -1;
    m_text.CloseTyping();
    EnsureCaretVisible();
    RestartBlinking();
    viewport()->update();
    NotifyMergedCaret(*this);
}

bool CMergedEditCtrl::IsWordByte(int line, std::size_t column) const
{
    const std::string &bytes = m_text.Line(line);
    if (column >= bytes.size())
        return false;
    const auto byte = static_cast<unsigned char>(bytes[column]);
    if (byte < 0x80)
        return std::isalnum(byte) || byte == '_';
    char32_t c = 0;
    return Utf8CharAt(bytes, column, c) > 0 && QChar::isLetterOrNumber(c);
}

TextPos CMergedEditCtrl::WordRight(TextPos from) const
{
    const std::string &bytes = m_text.Line(from.line);
    if (from.column >= bytes.size())
        return from.line + 1 < m_text.LineCount() ? TextPos{from.line + 1, 0} : from;
    std::size_t at = from.column;
    const bool word = IsWordByte(from.line, at);
    while (at < bytes.size() && IsWordByte(from.line, at) == word && (word || bytes[at] != ' '))
        at = m_cells.NextCharacter(from.line, at);
    while (at < bytes.size() && bytes[at] == ' ')
        ++at;
    return {from.line, at};
}

TextPos CMergedEditCtrl::WordLeft(TextPos from) const
{
    if (from.column == 0)
        return from.line > 0 ? TextPos{from.line - 1, m_text.Line(from.line - 1).size()} : from;
    const std::string &bytes = m_text.Line(from.line);
    std::size_t at = from.column;
    while (at > 0 && bytes[at - 1] == ' ')
        --at;
    if (at == 0)
        return {from.line, 0};
    std::size_t before = m_cells.PreviousCharacter(from.line, at);
    const bool word = IsWordByte(from.line, before);
    while (true) {
        at = before;
        if (at == 0)
            break;
        before = m_cells.PreviousCharacter(from.line, at);
        if (IsWordByte(from.line, before) != word || bytes[before] == ' ')
            break;
    }
    return {from.line, at};
}

bool CMergedEditCtrl::HandleMovement(QKeyEvent *event)
{
    const bool select = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        MoveLeft(select, control);
        return true;
    case Qt::Key_Right:
        MoveRight(select, control);
        return true;
    case Qt::Key_Up:
        MoveVertically(-1, false, select);
        return true;
    case Qt::Key_Down:
        MoveVertically(1, false, select);
        return true;
    case Qt::Key_PageUp:
        MoveVertically(-std::max(1, VisibleLines() - 1), true, select);
        return true;
    case Qt::Key_PageDown:
        MoveVertically(std::max(1, VisibleLines() - 1), true, select);
        return true;
    case Qt::Key_Home:
        MoveCaret(control ? TextPos{} : TextPos{m_caret.line, 0}, select);
        return true;
    case Qt::Key_End:
        MoveCaret(control ? m_text.End() : TextPos{m_caret.line, m_text.Line(m_caret.line).size()}, select);
        return true;
    default:
        return false;
    }
}

void CMergedEditCtrl::MoveLeft(bool select, bool byWord)
{
    const TextPos caret = m_caret;
    if (!select && HasSelection())
        MoveCaret(SelectionStart(), false);
    else if (byWord)
        MoveCaret(WordLeft(caret), select);
    else if (caret.column > 0)
        MoveCaret({caret.line, m_cells.PreviousCharacter(caret.line, caret.column)}, select);
    else if (caret.line > 0)
        MoveCaret({caret.line - 1, m_text.Line(caret.line - 1).size()}, select);
    else
        MoveCaret(caret, select);
}

void CMergedEditCtrl::MoveRight(bool select, bool byWord)
{
    const TextPos caret = m_caret;
    if (!select && HasSelection())
        MoveCaret(SelectionEnd(), false);
    else if (byWord)
        MoveCaret(WordRight(caret), select);
    else if (caret.column < m_text.Line(caret.line).size())
        MoveCaret({caret.line, m_cells.NextCharacter(caret.line, caret.column)}, select);
    else if (caret.line + 1 < m_text.LineCount())
        MoveCaret({caret.line + 1, 0}, select);
    else
        MoveCaret(caret, select);
}

void CMergedEditCtrl::MoveVertically(int lines, bool page, bool select)
{
    if (m_goalCell < 0)
        m_goalCell = m_cells.CellOf(m_caret.line, m_caret.column);
    const int line = m_caret.line + lines;
    if (line < 0) {
        MoveCaret({0, 0}, select);
    } else if (line >= m_text.LineCount()) {
        MoveCaret(m_text.End(), select);
    } else {
        if (page)
            verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
        MoveCaret({line, m_cells.ColumnAtCell(line, m_goalCell).byte}, select, true);
    }
}

// --- Blinking, and moving on while a drag holds the mouse outside ----------

void CMergedEditCtrl::RestartBlinking()
{
    const QRect old = CaretRect();
    m_caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blinkTimer.start(flash / 2, this);
    else
        m_blinkTimer.stop();
    viewport()->update(old);
}

void CMergedEditCtrl::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    RestartBlinking();
    viewport()->update(CaretRect());
}

void CMergedEditCtrl::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blinkTimer.stop();
    m_caretShown = false;
    viewport()->update(CaretRect());
}

void CMergedEditCtrl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_dragTimer.timerId()) {
        if (m_dragging)
            MoveCaret(PosAt(m_dragPoint), true);
        else
            m_dragTimer.stop();
        return;
    }
    if (event->timerId() != m_blinkTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (!isVisible() || !hasFocus()) {
        m_blinkTimer.stop();
        return;
    }
    // Only the caret's own cell is drawn again.
    m_caretShown = !m_caretShown;
    viewport()->update(CaretRect());
}

} // namespace lindo
