#include "merge/mergededitctrl.h"

#include "merge/bytetext.h"
#include "merge/mergeddialog.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace lindo {

namespace {

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

// --- Input method -------------------------------------------------------------

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

// --- Mouse --------------------------------------------------------------------

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
        const std::string bytes = ClipboardBytes(QClipboard::Selection);
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
        if (HasSelection() && QApplication::clipboard()->supportsSelection())
            PutOnClipboard(QClipboard::Selection);
    }
}

void CMergedEditCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const TextPos at = PosAt(event->position().toPoint());
    if (!IsWordByte(at.line, at.column) && at.column > 0
        && IsWordByte(at.line, m_cells.PreviousCharacter(at.line, at.column))) {
        // Past the end of a word: that word.
        const TextPos start = WordLeft(at);
        m_anchor = start;
        MoveCaret(at, true);
        return;
    }
    if (!IsWordByte(at.line, at.column))
        return;
    std::size_t start = at.column;
    while (start > 0 && IsWordByte(at.line, m_cells.PreviousCharacter(at.line, start)))
        start = m_cells.PreviousCharacter(at.line, start);
    std::size_t end = at.column;
    while (IsWordByte(at.line, end))
        end = m_cells.NextCharacter(at.line, end);
    m_anchor = {at.line, start};
    MoveCaret({at.line, end}, true);
    m_dragging = false;
}

} // namespace lindo
