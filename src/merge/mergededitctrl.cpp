#include "merge/mergededitctrl.h"

#include "merge/bytetext.h"
#include "merge/mergeddialog.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace lindo {

using namespace mergededit;

namespace {

// What a byte that is not text looks like: one letter, drawn inverted over
// the character cell that carries the byte.
QString ByteMark(unsigned char byte)
{
    switch (byte) {
    case 0:
        return QStringLiteral("0");
    case '\r':
        return QStringLiteral("r");
    case '\n':
        return QStringLiteral("n");
    default:
        return QStringLiteral("?");
    }
}

bool IsLineBreakKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

CMergedEditCtrl::CMergedEditCtrl(QWidget *parent) : QPlainTextEdit(parent)
{
    QFont font(kFontFace);
    font.setPointSizeF(kFontPoints);
    font.setBold(false);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab stops every half inch, as the platform's text controls have them,
    // rather than Qt's much wider default.
    setTabStopDistance(logicalDpiX() / 2.0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_streamTimer.setInterval(0);
    connect(&m_streamTimer, &QTimer::timeout, this, &CMergedEditCtrl::StreamNextSlice);
}

void CMergedEditCtrl::StreamIn(std::string bytes)
{
    m_streamTimer.stop();
    // Taking text in is not an edit the user could undo.
    document()->setUndoRedoEnabled(false);
    clear();
    document()->setModified(false);
    m_pending = std::move(bytes);
    m_pendingAt = 0;
    StreamNextSlice();
    moveCursor(QTextCursor::Start);
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
    // A slice ends after a line feed, so it cuts no CR LF pair and no UTF-8
    // sequence and each slice decodes on its own.
    std::size_t length = rest.size();
    if (length > kSliceBytes) {
        const std::size_t lineFeed = rest.find('\n', kSliceBytes - 1);
        if (lineFeed != std::string_view::npos)
            length = lineFeed + 1;
    }
    // Text arriving is not an edit: only the user's own changes count.
    const bool edited = document()->isModified();
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(BytesToText(rest.substr(0, length)));
    document()->setModified(edited);
    m_pendingAt += length;

    if (m_pendingAt >= m_pending.size()) {
        m_streamTimer.stop();
        std::string().swap(m_pending);
        m_pendingAt = 0;
        document()->setUndoRedoEnabled(true);
    }
}

bool CMergedEditCtrl::IsEdited() const
{
    return document()->isModified();
}

void CMergedEditCtrl::MarkSaved()
{
    document()->setModified(false);
}

bool CMergedEditCtrl::StreamOut(const std::function<bool(std::string_view)> &sink)
{
    FinishStreamingIn();
    std::string piece;
    piece.reserve(kSliceBytes * 2);
    const QTextBlock first = document()->firstBlock();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (block != first)
            piece += "\r\n";
        AppendTextBytes(block.text(), piece);
        if (piece.size() >= kSliceBytes) {
            if (!sink(piece))
                return false;
            piece.clear();
        }
    }
    return piece.empty() || sink(piece);
}

void CMergedEditCtrl::keyPressEvent(QKeyEvent *event)
{
    // The end of what has arrived so far is not the end of the text: typing
    // there would land before the rest of it. Only then is the rest taken in
    // at once; keys elsewhere in the text stay as quick as ever.
    if (textCursor().atEnd())
        FinishStreamingIn();
    if (IsLineBreakKey(event) && (event->modifiers() & Qt::ShiftModifier)) {
        // Shift+Enter would put a soft break inside a line; here every
        // break starts a line of its own.
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                        event->text(), event->isAutoRepeat(), static_cast<quint16>(event->count()));
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
    } else {
        QPlainTextEdit::keyPressEvent(event);
    }
    // A key that moved the caret to the end (Ctrl+End, paging down) means
    // the end of the whole text.
    if (IsStreamingIn() && textCursor().atEnd()) {
        FinishStreamingIn();
        moveCursor(QTextCursor::End);
    }
    if (m_pOwner)
        m_pOwner->UpdateLineStatus();
}

void CMergedEditCtrl::insertFromMimeData(const QMimeData *source)
{
    if (textCursor().atEnd())
        FinishStreamingIn();
    QPlainTextEdit::insertFromMimeData(source);
}

void CMergedEditCtrl::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && m_pOwner)
        m_pOwner->UpdateLineStatus();
}

void CMergedEditCtrl::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF bounds = blockBoundingGeometry(block).translated(offset);
        if (bounds.top() > event->rect().bottom())
            break;
        PaintByteMarks(painter, block, bounds.topLeft());
    }
}

void CMergedEditCtrl::PaintByteMarks(QPainter &painter, const QTextBlock &block, QPointF origin) const
{
    const QString text = block.text();
    const QTextLayout *layout = block.layout();
    if (!layout)
        return;
    for (int i = 0; i < text.size(); ++i) {
        if (!IsByteEscape(text.at(i)))
            continue;
        const QTextLine line = layout->lineForTextPosition(i);
        if (!line.isValid())
            continue;
        const qreal left = line.cursorToX(i);
        const qreal right = line.cursorToX(i + 1);
        const QRectF cell(origin.x() + left, origin.y() + line.y(), std::max<qreal>(right - left, 1),
                          line.height());
        painter.fillRect(cell, palette().text());
        painter.setPen(palette().base().color());
        painter.drawText(cell, Qt::AlignCenter, ByteMark(EscapedByte(text.at(i))));
    }
}

} // namespace lindo
