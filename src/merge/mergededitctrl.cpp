#include "merge/mergededitctrl.h"

#include "merge/bytetext.h"
#include "merge/mergeddialog.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGlyphRun>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lindo {

using namespace mergededit;

namespace {

// Characters measured for the cell width.
constexpr qsizetype kMeasuredRun = 64;

// The letter a byte that is not text is drawn with, inverted over its cell;
// null when the character is text.
QChar ByteMark(int length, char32_t c, unsigned char byte)
{
    if (length == 0)
        return u'?';
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
    return control || byte == 0 ? QChar(u'?') : QChar();
}

bool IsLineBreakKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool IsKey(const QKeyEvent *event, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

// Text a key press types: printable, and not a shortcut of Ctrl (AltGr
// arrives as Ctrl+Alt on some systems and does type).
bool TypesText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier))
        return false;
    const char16_t first = text.front().unicode();
    return first >= 0x20 && first != 0x7F;
}

} // namespace

CMergedEditCtrl::CMergedEditCtrl(QWidget *parent) : QAbstractScrollArea(parent)
{
    QFont font(kFontFace);
    font.setPointSizeF(kFontPoints);
    font.setBold(false);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    UpdateMetrics();
    m_streamTimer.setInterval(0);
    connect(&m_streamTimer, &QTimer::timeout, this, &CMergedEditCtrl::StreamNextSlice);
}

CMergedEditCtrl::~CMergedEditCtrl() = default;

// --- Taking in and giving out ----------------------------------------------

void CMergedEditCtrl::StreamIn(std::string bytes)
{
    m_streamTimer.stop();
    m_text.Clear();
    m_cells.ForgetAll();
    m_widestCells = 0;
    m_caret = m_anchor = TextPos{};
    m_goalCell = -1;
    m_pending = std::move(bytes);
    m_pendingAt = 0;
    StreamNextSlice();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    if (IsStreamingIn())
        m_streamTimer.start();
}

void CMergedEditCtrl::FinishStreamingIn()
{
    while (IsStreamingIn())
        StreamNextSlice();
}

void CMergedEditCtrl::StreamNextSlice()
{
    const std::string_view rest = std::string_view(m_pending).substr(m_pendingAt);
    // A slice ends after a line feed, so it cuts no CR LF pair.
    std::size_t length = rest.size();
    if (length > kSliceBytes) {
        const std::size_t lineFeed = rest.find('\n', kSliceBytes - 1);
        if (lineFeed != std::string_view::npos)
            length = lineFeed + 1;
    }
    const int firstChanged = m_text.LineCount() - 1;
    m_text.Append(rest.substr(0, length));
    m_pendingAt += length;
    TakeInLinesFrom(firstChanged);

    if (m_pendingAt >= m_pending.size()) {
        m_streamTimer.stop();
        std::string().swap(m_pending);
        m_pendingAt = 0;
    }
}

void CMergedEditCtrl::TakeInLinesFrom(int firstChanged)
{
    m_cells.ForgetLine(firstChanged);
    for (int line = firstChanged; line < m_text.LineCount(); ++line)
        m_widestCells = std::max(m_widestCells, m_cells.CellsBound(line));
    UpdateScrollBars();
    viewport()->update();
}

bool CMergedEditCtrl::StreamOut(const std::function<bool(std::string_view)> &sink)
{
    FinishStreamingIn();
    std::string piece;
    piece.reserve(kSliceBytes * 2);
    for (int line = 0; line < m_text.LineCount(); ++line) {
        if (line > 0)
            piece += "\r\n";
        const std::string &bytes = m_text.Line(line);
        if (bytes.size() >= kSliceBytes) {
            // A long line goes out as it is, not copied.
            if ((!piece.empty() && !sink(piece)) || !sink(bytes))
                return false;
            piece.clear();
            continue;
        }
        piece += bytes;
        if (piece.size() >= kSliceBytes) {
            if (!sink(piece))
                return false;
            piece.clear();
        }
    }
    return piece.empty() || sink(piece);
}

QString CMergedEditCtrl::ToPlainText() const
{
    return BytesToText(m_text.Bytes({}, m_text.End()));
}

std::string CMergedEditCtrl::SelectedBytes() const
{
    return m_text.Bytes(SelectionStart(), SelectionEnd());
}

QRect CMergedEditCtrl::CellRect(int line, std::size_t column) const
{
    const std::string &bytes = m_text.Line(line);
    const qint64 cell = m_cells.CellOf(line, column);
    const qint64 next =
        column < bytes.size() ? m_cells.NextCell(cell, static_cast<unsigned char>(bytes[column])) : cell + 1;
    const int left = static_cast<int>(std::lround(static_cast<qreal>(cell) * m_cellWidth)) - horizontalScrollBar()->value();
    const int right = static_cast<int>(std::lround(static_cast<qreal>(next) * m_cellWidth)) - horizontalScrollBar()->value();
    const int top = (line - verticalScrollBar()->value()) * m_lineHeight;
    return {left, top, right - left, m_lineHeight};
}

// --- Editing ---------------------------------------------------------------

void CMergedEditCtrl::ReplaceSelection(std::string_view bytes, MergedText::EditKind kind)
{
    const TextPos from = SelectionStart();
    const TextPos to = SelectionEnd();
    if (from == to && bytes.empty())
        return;
    const int lines = m_text.LineCount();
    const TextPos end = m_text.Replace(from, to, bytes, kind);
    m_caret = m_anchor = end;
    m_goalCell = -1;
    AfterChange(from, end, lines == m_text.LineCount() && from.line == to.line && from.line == end.line);
}

void CMergedEditCtrl::AfterChange(TextPos from, TextPos to, bool sameLines)
{
    if (sameLines)
        m_cells.Forget(from.line, from.column);
    else
        m_cells.ForgetAll();
    for (int line = from.line; line <= to.line; ++line)
        m_widestCells = std::max(m_widestCells, m_cells.CellsBound(line));
    UpdateScrollBars();
    EnsureCaretVisible();
    RestartBlinking();
    viewport()->update();
}

void CMergedEditCtrl::InsertTypedText(const QString &text)
{
    std::string bytes;
    AppendTextBytes(text, bytes);
    ReplaceSelection(bytes, MergedText::EditKind::Typing);
}

void CMergedEditCtrl::DeleteBackward()
{
    if (!HasSelection()) {
        if (m_caret.column > 0)
            m_anchor = {m_caret.line, m_text.PreviousColumn(m_caret.line, m_caret.column)};
        else if (m_caret.line > 0)
            m_anchor = {m_caret.line - 1, m_text.Line(m_caret.line - 1).size()};
    }
    m_text.CloseTyping();
    ReplaceSelection({});
}

void CMergedEditCtrl::DeleteForward()
{
    if (!HasSelection()) {
        if (m_caret.column < m_text.Line(m_caret.line).size())
            m_anchor = {m_caret.line, m_text.NextColumn(m_caret.line, m_caret.column)};
        else if (m_caret.line + 1 < m_text.LineCount())
            m_anchor = {m_caret.line + 1, 0};
    }
    m_text.CloseTyping();
    ReplaceSelection({});
}

void CMergedEditCtrl::DeleteWordBackward()
{
    if (!HasSelection())
        m_anchor = WordLeft(m_caret);
    m_text.CloseTyping();
    ReplaceSelection({});
}

void CMergedEditCtrl::DeleteWordForward()
{
    if (!HasSelection())
        m_anchor = WordRight(m_caret);
    m_text.CloseTyping();
    ReplaceSelection({});
}

void CMergedEditCtrl::Undo()
{
    TextPos from;
    TextPos to;
    if (!m_text.Undo(from, to))
        return;
    m_caret = m_anchor = to;
    m_goalCell = -1;
    AfterChange(from, to, false);
}

void CMergedEditCtrl::Redo()
{
    TextPos from;
    TextPos to;
    if (!m_text.Redo(from, to))
        return;
    m_caret = m_anchor = to;
    m_goalCell = -1;
    AfterChange(from, to, false);
}

void CMergedEditCtrl::Copy()
{
    if (HasSelection())
        QApplication::clipboard()->setText(BytesToText(SelectedBytes()));
}

void CMergedEditCtrl::Cut()
{
    if (!HasSelection())
        return;
    Copy();
    m_text.CloseTyping();
    ReplaceSelection({});
}

void CMergedEditCtrl::Paste()
{
    if (SelectionEnd() == m_text.End())
        FinishStreamingIn();
    std::string bytes;
    AppendTextBytes(QApplication::clipboard()->text(), bytes);
    m_text.CloseTyping();
    ReplaceSelection(bytes);
}

void CMergedEditCtrl::SelectAll()
{
    FinishStreamingIn();
    m_anchor = {};
    MoveCaret(m_text.End(), true);
}

// --- Moving ----------------------------------------------------------------

void CMergedEditCtrl::SetCaret(int line, std::size_t column)
{
    line = std::clamp(line, 0, m_text.LineCount() - 1);
    column = std::min(column, m_text.Line(line).size());
    // Back to the start of the character the offset falls in.
    MoveCaret({line, m_cells.CharacterStart(line, column)}, false);
}

TextMatch CMergedEditCtrl::FindText(const QString &text, bool matchCase, bool forward, bool again)
{
    FinishStreamingIn(); // a match may lie in what has not arrived yet
    // The text keeps the very bytes it was given, which are local 8-bit text.
    const QByteArray needle = text.toLocal8Bit();
    const TextPos from = forward && again ? SelectionEnd() : SelectionStart();
    const TextMatch match = FindInLines(
        m_text.LineCount(), [this](int line) { return std::string_view(m_text.Line(line)); },
        std::string_view(needle.constData(), static_cast<std::size_t>(needle.size())), matchCase, from.line,
        from.column, forward);
    if (match.Found()) {
        MoveCaret({match.line, match.byte}, false);
        MoveCaret({match.line, match.byte + match.length}, true);
    }
    return match;
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
        at = m_text.NextColumn(from.line, at);
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
    std::size_t before = m_text.PreviousColumn(from.line, at);
    const bool word = IsWordByte(from.line, before);
    while (true) {
        at = before;
        if (at == 0)
            break;
        before = m_text.PreviousColumn(from.line, at);
        if (IsWordByte(from.line, before) != word || bytes[before] == ' ')
            break;
    }
    return {from.line, at};
}

int CMergedEditCtrl::VisibleLines() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

bool CMergedEditCtrl::HandleMovement(QKeyEvent *event)
{
    const bool select = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const TextPos caret = m_caret;
    switch (event->key()) {
    case Qt::Key_Left:
        if (!select && HasSelection())
            MoveCaret(SelectionStart(), false);
        else if (control)
            MoveCaret(WordLeft(caret), select);
        else if (caret.column > 0)
            MoveCaret({caret.line, m_text.PreviousColumn(caret.line, caret.column)}, select);
        else if (caret.line > 0)
            MoveCaret({caret.line - 1, m_text.Line(caret.line - 1).size()}, select);
        else
            MoveCaret(caret, select);
        return true;
    case Qt::Key_Right:
        if (!select && HasSelection())
            MoveCaret(SelectionEnd(), false);
        else if (control)
            MoveCaret(WordRight(caret), select);
        else if (caret.column < m_text.Line(caret.line).size())
            MoveCaret({caret.line, m_text.NextColumn(caret.line, caret.column)}, select);
        else if (caret.line + 1 < m_text.LineCount())
            MoveCaret({caret.line + 1, 0}, select);
        else
            MoveCaret(caret, select);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const bool page = event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
        const bool up = event->key() == Qt::Key_Up || event->key() == Qt::Key_PageUp;
        const int step = page ? std::max(1, VisibleLines() - 1) : 1;
        if (m_goalCell < 0)
            m_goalCell = m_cells.CellOf(caret.line, caret.column);
        const int line = up ? caret.line - step : caret.line + step;
        if (line < 0) {
            MoveCaret({0, 0}, select);
        } else if (line >= m_text.LineCount()) {
            MoveCaret(m_text.End(), select);
        } else {
            if (page)
                verticalScrollBar()->setValue(verticalScrollBar()->value() + (up ? -step : step));
            MoveCaret({line, m_cells.ColumnAtCell(line, m_goalCell).byte}, select, true);
        }
        return true;
    }
    case Qt::Key_Home:
        MoveCaret(control ? TextPos{} : TextPos{caret.line, 0}, select);
        return true;
    case Qt::Key_End:
        MoveCaret(control ? m_text.End() : TextPos{caret.line, m_text.Line(caret.line).size()}, select);
        return true;
    default:
        return false;
    }
}

bool CMergedEditCtrl::HandleStandardKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo))
        Undo();
    else if (event->matches(QKeySequence::Redo) || IsKey(event, Qt::Key_Y, Qt::ControlModifier))
        Redo();
    else if (event->matches(QKeySequence::Cut) || IsKey(event, Qt::Key_Delete, Qt::ShiftModifier))
        Cut();
    else if (event->matches(QKeySequence::Copy) || IsKey(event, Qt::Key_Insert, Qt::ControlModifier))
        Copy();
    else if (event->matches(QKeySequence::Paste) || IsKey(event, Qt::Key_Insert, Qt::ShiftModifier))
        Paste();
    else if (event->matches(QKeySequence::SelectAll))
        SelectAll();
    else
        return false;
    return true;
}

void CMergedEditCtrl::EnsureCaretVisible()
{
    QScrollBar *vertical = verticalScrollBar();
    const int lines = VisibleLines();
    if (m_caret.line < vertical->value())
        vertical->setValue(m_caret.line);
    else if (m_caret.line >= vertical->value() + lines)
        vertical->setValue(m_caret.line - lines + 1);

    QScrollBar *horizontal = horizontalScrollBar();
    const int width = viewport()->width();
    const qint64 caretCell = m_cells.CellOf(m_caret.line, m_caret.column);
    const auto x = static_cast<qint64>(std::floor(static_cast<qreal>(caretCell) * m_cellWidth));
    const auto cell = static_cast<qint64>(std::ceil(m_cellWidth));
    // Jumping by a quarter of the width keeps typing from scrolling at every key.
    if (x < horizontal->value())
        horizontal->setValue(static_cast<int>(std::max<qint64>(0, x - width / 4)));
    else if (x + cell > horizontal->value() + width)
        horizontal->setValue(static_cast<int>(std::min<qint64>(x + cell - width + width / 4, horizontal->maximum())));
}

TextPos CMergedEditCtrl::PosAt(QPoint point) const
{
    const int row = point.y() < 0 ? -1 - (-point.y() - 1) / m_lineHeight : point.y() / m_lineHeight;
    const int line = std::clamp(verticalScrollBar()->value() + row, 0, m_text.LineCount() - 1);
    const qreal x = point.x() + horizontalScrollBar()->value();
    const auto cell = static_cast<qint64>(std::floor(std::max<qreal>(x, 0) / m_cellWidth + 0.5));
    return {line, m_cells.ColumnAtCell(line, cell).byte};
}

// --- Events ----------------------------------------------------------------

bool CMergedEditCtrl::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys this area handles itself are not shortcuts while it has focus.
        auto *key = static_cast<QKeyEvent *>(event);
        if (TypesText(key) || key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
            || key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Copy)
            || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::SelectAll)
            || IsKey(key, Qt::Key_Y, Qt::ControlModifier)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool CMergedEditCtrl::focusNextPrevChild(bool)
{
    return false; // Tab types a tab
}

void CMergedEditCtrl::keyPressEvent(QKeyEvent *event)
{
    // The end of what has arrived so far is not the end of the text: typing
    // there would land before the rest of it. Only then is the rest taken in
    // at once; keys elsewhere in the text stay as quick as ever.
    if (m_caret == m_text.End())
        FinishStreamingIn();
    bool handled = true;
    if (event->key() == Qt::Key_Escape) {
        handled = false; // the window's own
    } else if (HandleStandardKey(event) || HandleMovement(event)) {
    } else if (IsLineBreakKey(event)) {
        // With Shift too: every break starts a line of its own.
        m_text.CloseTyping();
        ReplaceSelection("\r\n");
    } else if (event->key() == Qt::Key_Backspace) {
        if (event->modifiers() & Qt::ControlModifier)
            DeleteWordBackward();
        else
            DeleteBackward();
    } else if (event->key() == Qt::Key_Delete) {
        if (event->modifiers() & Qt::ControlModifier)
            DeleteWordForward();
        else
            DeleteForward();
    } else if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ControlModifier)) {
        ReplaceSelection("\t", MergedText::EditKind::Typing);
    } else if (event->key() == Qt::Key_Backtab) {
    } else if (TypesText(event)) {
        InsertTypedText(event->text());
    } else {
        handled = false;
    }
    event->setAccepted(handled);
    // A key that moved the caret to the end (Ctrl+End, paging down) means
    // the end of the whole text.
    if (IsStreamingIn() && m_caret == m_text.End()) {
        FinishStreamingIn();
        MoveCaret(m_text.End(), event->modifiers() & Qt::ShiftModifier);
    }
    if (m_pOwner)
        m_pOwner->UpdateLineStatus();
}

void CMergedEditCtrl::inputMethodEvent(QInputMethodEvent *event)
{
    m_preedit = event->preeditString();
    viewport()->update();
    if (!event->commitString().isEmpty()) {
        if (m_caret == m_text.End())
            FinishStreamingIn();
        InsertTypedText(event->commitString());
    }
    event->accept();
}

QVariant CMergedEditCtrl::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return CaretRect().translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
        return QString();
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhMultiLine | Qt::ImhNoPredictiveText);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void CMergedEditCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        MoveCaret(PosAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
        m_dragging = true;
        if (m_pOwner)
            m_pOwner->UpdateLineStatus();
    } else if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
        // The usual X11 paste of what was last selected anywhere.
        MoveCaret(PosAt(event->position().toPoint()), false);
        if (m_caret == m_text.End())
            FinishStreamingIn();
        std::string bytes;
        AppendTextBytes(QApplication::clipboard()->text(QClipboard::Selection), bytes);
        m_text.CloseTyping();
        ReplaceSelection(bytes);
    }
    event->accept();
}

void CMergedEditCtrl::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    m_dragPoint = event->position().toPoint();
    MoveCaret(PosAt(m_dragPoint), true);
    if (viewport()->rect().contains(m_dragPoint))
        m_dragTimer.stop();
    else if (!m_dragTimer.isActive())
        m_dragTimer.start(50, this);
}

void CMergedEditCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        m_dragTimer.stop();
        QClipboard *clipboard = QApplication::clipboard();
        if (HasSelection() && clipboard->supportsSelection())
            clipboard->setText(BytesToText(SelectedBytes()), QClipboard::Selection);
    }
}

void CMergedEditCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const TextPos at = PosAt(event->position().toPoint());
    if (!IsWordByte(at.line, at.column) && at.column > 0
        && IsWordByte(at.line, m_text.PreviousColumn(at.line, at.column))) {
        // Past the end of a word: that word.
        const TextPos start = WordLeft(at);
        m_anchor = start;
        MoveCaret(at, true);
        return;
    }
    if (!IsWordByte(at.line, at.column))
        return;
    std::size_t start = at.column;
    while (start > 0 && IsWordByte(at.line, m_text.PreviousColumn(at.line, start)))
        start = m_text.PreviousColumn(at.line, start);
    std::size_t end = at.column;
    while (IsWordByte(at.line, end))
        end = m_text.NextColumn(at.line, end);
    m_anchor = {at.line, start};
    MoveCaret({at.line, end}, true);
    m_dragging = false;
}

QMenu *CMergedEditCtrl::CreateContextMenu()
{
    auto *menu = new QMenu(this);
    const bool selection = HasSelection();
    menu->addAction(tr("&Undo"), QKeySequence::Undo, this, &CMergedEditCtrl::Undo)->setEnabled(m_text.CanUndo());
    menu->addAction(tr("&Redo"), QKeySequence::Redo, this, &CMergedEditCtrl::Redo)->setEnabled(m_text.CanRedo());
    menu->addSeparator();
    menu->addAction(tr("Cu&t"), QKeySequence::Cut, this, &CMergedEditCtrl::Cut)->setEnabled(selection);
    menu->addAction(tr("&Copy"), QKeySequence::Copy, this, &CMergedEditCtrl::Copy)->setEnabled(selection);
    menu->addAction(tr("&Paste"), QKeySequence::Paste, this, &CMergedEditCtrl::Paste)
        ->setEnabled(!QApplication::clipboard()->text().isEmpty());
    menu->addAction(tr("Delete"), this, [this] {
            m_text.CloseTyping();
            ReplaceSelection({});
        })->setEnabled(selection);
    menu->addSeparator();
    menu->addAction(tr("Select All"), QKeySequence::SelectAll, this, &CMergedEditCtrl::SelectAll);
    return menu;
}

void CMergedEditCtrl::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CMergedEditCtrl::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CMergedEditCtrl::scrollContentsBy(int, int)
{
    viewport()->update();
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

// --- Looks -----------------------------------------------------------------

void CMergedEditCtrl::UpdateMetrics()
{
    const QFontMetricsF metrics(font());
    m_cellWidth = std::max<qreal>(1, metrics.horizontalAdvance(QString(kMeasuredRun, u'x')) / kMeasuredRun);
    m_lineHeight = std::max(1, QFontMetrics(font()).lineSpacing());
    m_ascent = QFontMetrics(font()).ascent();
    // Tab stops every half inch, as the platform's text controls have them.
    m_cells.SetTabCells(std::max(1, static_cast<int>(std::lround(logicalDpiX() / 2.0 / m_cellWidth))));
    m_rawFont = QRawFont::fromFont(font());
    std::fill(std::begin(m_asciiGlyphs), std::end(m_asciiGlyphs), 0);
    if (m_rawFont.isValid()) {
        for (char16_t c = 0x20; c < 0x7F; ++c) {
            const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(QString(QChar(c)));
            m_asciiGlyphs[c] = glyphs.size() == 1 ? glyphs.front() : 0;
        }
    }
}

void CMergedEditCtrl::UpdateScrollBars()
{
    const int lines = VisibleLines();
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, m_text.LineCount() - lines));
    vertical->setPageStep(lines);
    vertical->setSingleStep(1);

    QScrollBar *horizontal = horizontalScrollBar();
    const int width = viewport()->width();
    // The range grows in steps of a quarter of the width, so that typing
    // at the end of the widest line does not redraw the bar at every key;
    // the end of that line still shows with the bar at its end.
    const auto limit = static_cast<qreal>(std::numeric_limits<int>::max() / 2);
    const auto content = static_cast<qint64>(std::ceil(std::min(static_cast<qreal>(m_widestCells + 1) * m_cellWidth, limit)));
    const qint64 step = std::max(1, width / 4);
    const qint64 rounded = (content + step - 1) / step * step;
    horizontal->setRange(0, static_cast<int>(std::max<qint64>(0, rounded - width)));
    horizontal->setPageStep(std::max(1, width));
    horizontal->setSingleStep(std::max(1, static_cast<int>(std::lround(m_cellWidth * 2))));
}

QRect CMergedEditCtrl::CaretRect() const
{
    const QRect cell = CellRect(m_caret.line, m_caret.column);
    return {cell.left(), cell.top(), 1, cell.height()};
}

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

    QList<quint32> glyphs;
    QList<QPointF> positions;
    bool runSelected = false;
    const auto flush = [&] {
        if (glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.setPen(runSelected ? colours.highlightedText().color() : colours.text().color());
        painter.drawGlyphRun(QPointF(), run);
        glyphs.clear();
        positions.clear();
    };

    MergedTextCells::Mark at = m_cells.ColumnAtCell(line, firstCell);
    while (at.byte < bytes.size() && at.cell <= lastCell) {
        const auto byte = static_cast<unsigned char>(bytes[at.byte]);
        char32_t c = 0;
        const int length = Utf8CharAt(bytes, at.byte, c);
        const qint64 next = m_cells.NextCell(at.cell, byte);
        const TextPos here{line, at.byte};
        const bool selected = selection && here >= selectionStart && here < selectionEnd;
        const QRectF cell(cellX(at.cell), top, static_cast<qreal>(next - at.cell) * m_cellWidth, m_lineHeight);
        if (selected)
            painter.fillRect(cell, colours.highlight());
        const QChar mark = ByteMark(length, c, byte);
        const quint32 glyph = mark.isNull() && c < 0x80 ? m_asciiGlyphs[c] : 0;
        if (glyph == 0 || selected != runSelected)
            flush();
        if (!mark.isNull()) {
            painter.fillRect(cell, selected ? colours.highlightedText() : colours.text());
            painter.setPen(selected ? colours.highlight().color() : colours.base().color());
            painter.drawText(cell, Qt::AlignCenter, QString(mark));
        } else if (glyph != 0) {
            runSelected = selected;
            glyphs.append(glyph);
            positions.append(QPointF(cell.left(), top + m_ascent));
        } else if (byte != '\t' && c != ' ') {
            painter.setPen(selected ? colours.highlightedText().color() : colours.text().color());
            painter.drawText(QPointF(cell.left(), top + m_ascent), QString::fromUcs4(&c, 1));
        }
        at.cell = next;
        at.byte += length > 0 ? static_cast<std::size_t>(length) : 1;
    }
    flush();
    // A selected line break shows as one selected cell after the line.
    if (selection && at.byte >= bytes.size() && line >= selectionStart.line && line < selectionEnd.line
        && at.cell <= lastCell)
        painter.fillRect(QRectF(cellX(at.cell), top, m_cellWidth, m_lineHeight), colours.highlight());
}

} // namespace lindo
