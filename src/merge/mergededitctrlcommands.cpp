#include "merge/mergededitctrl.h"

#include "merge/bytetext.h"
#include "merge/mergededitctrlaccessible.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>

namespace lindo {

namespace {

// What this text area copies carries its very bytes under a type of its own
// beside the text, so a copy pasted back here gives back bytes that are not
// valid text as they were; text from anywhere else is Unicode. Those bytes
// are lines of this text joined by CR LF, so they hold no line feed of their
// own (merge output ends its lines at every one).
const QString kBytesMimeType = QStringLiteral("application/x-lindo-merged-bytes");

} // namespace

void CMergedEditCtrl::PutOnClipboard(QClipboard::Mode mode) const
{
    const std::string bytes = SelectedBytes();
    auto *data = new QMimeData;
    data->setText(BytesToText(bytes));
    data->setData(kBytesMimeType, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    QApplication::clipboard()->setMimeData(data, mode);
}

std::string CMergedEditCtrl::ClipboardBytes(QClipboard::Mode mode)
{
    const QMimeData *data = QApplication::clipboard()->mimeData(mode);
    if (!data)
        return {};
    if (data->hasFormat(kBytesMimeType)) {
        const QByteArray bytes = data->data(kBytesMimeType);
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    std::string bytes;
    AppendUnicodeBytes(data->text(), bytes);
    return bytes;
}

void CMergedEditCtrl::ReplaceSelection(std::string_view bytes, MergedText::EditKind kind)
{
    const TextPos from = SelectionStart();
    const TextPos to = SelectionEnd();
    if (from == to && bytes.empty())
        return;
    const int lines = m_text.LineCount();
    MergedTextChange change(*this, from, to);
    const TextPos end = m_text.Replace(from, to, bytes, kind);
    NoteChangeFrom(from.line);
    change.Done(end);
    m_caret = m_anchor = end;
    m_goalCell = -1;
    AfterChange(from, end, lines == m_text.LineCount() && from.line == to.line && from.line == end.line);
    TellLinesChanged(LinesChange::Step::Edit, from, end, lines);
}

void CMergedEditCtrl::ReplaceRange(TextPos from, TextPos to, std::string_view bytes)
{
    FinishStreamingIn();
    m_text.CloseTyping();
    m_anchor = from;
    m_caret = to;
    ReplaceSelection(bytes);
    m_text.CloseTyping();
    MoveCaret(from, false);
}

void CMergedEditCtrl::TellLinesChanged(LinesChange::Step step, TextPos from, TextPos to, int oldLineCount)
{
    if (!m_onLinesChanged)
        return;
    const int added = m_text.LineCount() - oldLineCount;
    m_onLinesChanged(LinesChange{step, from.line, to.line - added, to.line, m_text.EditsDone()});
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
    NotifyMergedCaret(*this);
}

void CMergedEditCtrl::InsertTypedText(const QString &text)
{
    std::string bytes;
    AppendUnicodeBytes(text, bytes);
    ReplaceSelection(bytes, MergedText::EditKind::Typing);
}

void CMergedEditCtrl::DeleteBackward()
{
    if (!HasSelection()) {
        if (m_caret.column > 0)
            m_anchor = {m_caret.line, m_cells.PreviousCharacter(m_caret.line, m_caret.column)};
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
            m_anchor = {m_caret.line, m_cells.NextCharacter(m_caret.line, m_caret.column)};
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
    const int lines = m_text.LineCount();
    // Where an undo step lies is known only once it is taken: the change is
    // told by comparing the whole text before and after.
    MergedTextChange change(*this, {}, m_text.End());
    if (!m_text.Undo(from, to))
        return;
    NoteChangeFrom(from.line);
    change.Done(m_text.End());
    m_caret = m_anchor = to;
    m_goalCell = -1;
    AfterChange(from, to, false);
    TellLinesChanged(LinesChange::Step::Undo, from, to, lines);
}

void CMergedEditCtrl::Redo()
{
    TextPos from;
    TextPos to;
    const int lines = m_text.LineCount();
    // Where an undo step lies is known only once it is taken: the change is
    // told by comparing the whole text before and after.
    MergedTextChange change(*this, {}, m_text.End());
    if (!m_text.Redo(from, to))
        return;
    NoteChangeFrom(from.line);
    change.Done(m_text.End());
    m_caret = m_anchor = to;
    m_goalCell = -1;
    AfterChange(from, to, false);
    TellLinesChanged(LinesChange::Step::Redo, from, to, lines);
}

void CMergedEditCtrl::Copy()
{
    if (HasSelection())
        PutOnClipboard(QClipboard::Clipboard);
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
    const std::string bytes = ClipboardBytes(QClipboard::Clipboard);
    m_text.CloseTyping();
    ReplaceSelection(bytes);
}

void CMergedEditCtrl::SelectAll()
{
    FinishStreamingIn();
    m_anchor = {};
    MoveCaret(m_text.End(), true);
}

TextMatch CMergedEditCtrl::FindText(const QString &text, bool matchCase, TextPos from, bool forward)
{
    FinishStreamingIn(); // a match may lie in what has not arrived yet
    // The text keeps the very bytes it was given, which are local 8-bit text.
    const QByteArray needle = text.toLocal8Bit();
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

} // namespace lindo
