#pragma once

// The Merged window's text area: plain, editable text in a fixed-pitch font,
// never wrapped. It keeps the very bytes it was given (merge/mergedtext.h)
// and gives them back unchanged; bytes that are not text are drawn as small
// marks.
//
// Every character takes its cells of the font's width (two for a wide one, a
// letter with its accents one; a tab reaches the next tab stop) and the caret
// stops only between characters, so finding a column on screen is arithmetic
// (merge/mergedtextcells.h): only the lines and columns in view are ever
// looked at, and a line of millions of characters costs no more to show or
// edit than a short one.
//
// A long text is taken in slices: the first slice before StreamIn returns,
// the others whenever the event loop is idle, so the window can be shown and
// used at once. A caret at the end of what has arrived is at the end of the
// text and stays there as more arrives; a key or paste there, or a key that
// moves there, takes in the rest at once, so an edit always lands where it
// would in the whole text.
//
// The class spans files by concern: mergededitctrl.cpp takes the text in and
// out and places it on screen, mergededitctrlcommands.cpp edits it,
// mergededitctrlcaret.cpp moves the caret and makes it blink,
// mergededitctrlinput.cpp handles keys, the input method and the mouse, and
// mergededitctrlpaint.cpp paints.

#include "merge/mergedtext.h"
#include "merge/mergedtextcells.h"
#include "uikit/textsearch.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QClipboard>
#include <QRawFont>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class QMenu;

namespace lindo {

class CMergedDialog;

// What one change of the text did to its lines: those from `line` to
// `oldLast` (numbered as before the change) are now those from `line` to
// `newLast`.
struct LinesChange {
    enum class Step { Edit, Undo, Redo };
    Step step = Step::Edit;
    int line = 0;
    int oldLast = 0;
    int newLast = 0;
    // Edits done and not taken back, after the change: the same count after
    // an undo or redo means the same text as when it was last told.
    std::size_t editsDone = 0;
};

namespace mergededit {
inline const QString kFontFace = QStringLiteral("Courier New");
constexpr qreal kFontPoints = 8.5;
// Bytes taken in per slice; a slice ends after a line feed.
constexpr std::size_t kSliceBytes = 64 * 1024;
} // namespace mergededit

class CMergedEditCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CMergedEditCtrl(QWidget *parent = nullptr);
    ~CMergedEditCtrl() override;

    // Told after every key press and left-button press; may be null.
    CMergedDialog *m_pOwner = nullptr;
    // Told after every edit, undo and redo; may be empty.
    std::function<void(const LinesChange &)> m_onLinesChanged;

    // Replaces the whole text with these bytes.
    void StreamIn(std::string bytes);
    bool IsStreamingIn() const { return !m_pending.empty(); }
    // Takes in whatever StreamIn has not taken in yet.
    void FinishStreamingIn();

    // Hands the bytes of the whole text, in order and in pieces, to `sink`
    // until it returns false; true when every piece was taken. Finishes the
    // streaming in first.
    bool StreamOut(const std::function<bool(std::string_view)> &sink);

    // Whether the user changed the text since it was taken in or last saved.
    bool IsEdited() const { return m_text.IsEdited(); }
    // The text as it is now counts as saved.
    void MarkSaved() { m_text.MarkSaved(); }

    // Zero-based line of the caret, and its byte offset in that line.
    int CaretLine() const { return m_caret.line; }
    std::size_t CaretColumn() const { return m_caret.column; }
    // Puts the caret at a line and byte offset (moved back to the start of
    // the character there), selecting nothing, and scrolls it into view.
    void SetCaret(int line, std::size_t column);

    int LineCount() const { return m_text.LineCount(); }
    const std::string &LineBytes(int line) const { return m_text.Line(line); }
    bool IsEmpty() const { return m_text.IsEmpty(); }
    // The text as characters, lines ended by '\n' (merge/bytetext.h).
    QString ToPlainText() const;
    std::string SelectedBytes() const;
    bool IsUndoAvailable() const { return m_text.CanUndo(); }

    // Where the character at a line and byte offset is drawn, in viewport
    // coordinates (one cell wide at the end of a line).
    QRect CellRect(int line, std::size_t column) const;

    // Finds a text by its bytes and selects it: the first match at or after
    // `from` going forward, the last one before it going backward; past
    // either end the search goes on from the other. Finishes the streaming
    // in first, so place `from` after doing that.
    TextMatch FindText(const QString &text, bool matchCase, TextPos from, bool forward);
    TextPos SelectionFrom() const { return SelectionStart(); }
    TextPos SelectionTo() const { return SelectionEnd(); }

    // Replaces the bytes between two places as one undoable edit, caret at
    // `from`.
    void ReplaceRange(TextPos from, TextPos to, std::string_view bytes);

    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    void SelectAll();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Taking in and placing on screen.
    void StreamNextSlice();
    void TakeInLinesFrom(int firstChanged);
    void UpdateMetrics();
    void UpdateScrollBars();
    int VisibleLines() const;
    void EnsureCaretVisible();
    TextPos PosAt(QPoint point) const;
    QRect CaretRect() const;

    // Editing.
    bool HasSelection() const { return m_anchor != m_caret; }
    TextPos SelectionStart() const { return std::min(m_anchor, m_caret); }
    TextPos SelectionEnd() const { return std::max(m_anchor, m_caret); }
    void ReplaceSelection(std::string_view bytes, MergedText::EditKind kind = MergedText::EditKind::Other);
    // After the bytes between `from` and `to` changed; `sameLines` when no
    // line came or went.
    void AfterChange(TextPos from, TextPos to, bool sameLines);
    // Tells m_onLinesChanged: the text had `oldLineCount` lines, and the
    // change's bytes now run from `from` to `to`.
    void TellLinesChanged(LinesChange::Step step, TextPos from, TextPos to, int oldLineCount);
    void InsertTypedText(const QString &text);
    void DeleteBackward();
    void DeleteForward();
    // Ctrl+Backspace and Ctrl+Delete: to the start of the word or the next.
    void DeleteWordBackward();
    void DeleteWordForward();
    QMenu *CreateContextMenu();
    // The selection onto a clipboard, and what a clipboard holds as bytes to insert.
    void PutOnClipboard(QClipboard::Mode mode) const;
    static std::string ClipboardBytes(QClipboard::Mode mode);

    // Moving the caret.
    void MoveCaret(TextPos to, bool select, bool keepGoal = false);
    TextPos WordLeft(TextPos from) const;
    TextPos WordRight(TextPos from) const;
    bool IsWordByte(int line, std::size_t column) const;
    bool HandleMovement(QKeyEvent *event);
    void MoveLeft(bool select, bool byWord);
    void MoveRight(bool select, bool byWord);
    // Up or down by `lines` (negative: up), towards the goal cell; `page`
    // scrolls the text by as many lines.
    void MoveVertically(int lines, bool page, bool select);
    void RestartBlinking();

    // Keys.
    bool HandleStandardKey(QKeyEvent *event);

    void PaintLine(QPainter &painter, int line, int top, qint64 firstCell, qint64 lastCell);

    // Reads the text, caret and selection for assistive technology.
    friend class MergedEditAccessible;

    MergedText m_text;
    std::uint64_t m_textVersion = 0; // counts the changes to the text
    // The first line changed since assistive technology last measured the
    // lines, so that it measures only those from there on.
    int m_changedFrom = 0;
    void NoteChangeFrom(int line)
    {
        ++m_textVersion;
        m_changedFrom = std::min(m_changedFrom, line);
    }
    MergedTextCells m_cells{m_text};
    TextPos m_caret;
    TextPos m_anchor;
    qint64 m_goalCell = -1; // the cell Up and Down aim for, or -1
    bool m_dragging = false;

    std::string m_pending;       // bytes not yet taken in
    std::size_t m_pendingAt = 0; // how far they were taken in
    QTimer m_streamTimer;

    qreal m_cellWidth = 1;
    int m_lineHeight = 1;
    int m_ascent = 0;
    // Printable ASCII is drawn from glyphs looked up once, each on its own
    // cell, with no shaping at paint time; 0 where the font has none.
    QRawFont m_rawFont;
    quint32 m_asciiGlyphs[128] = {};
    qint64 m_widestCells = 0; // never shrinks until new text is taken in

    // What an input method is composing, shown at the caret until committed.
    QString m_preedit;
    QBasicTimer m_blinkTimer;
    // While a drag holds the mouse outside the area, the text scrolls on.
    QBasicTimer m_dragTimer;
    QPoint m_dragPoint;
    bool m_caretShown = true;
};

} // namespace lindo
