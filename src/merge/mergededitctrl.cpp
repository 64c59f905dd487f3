#include "merge/mergededitctrl.h"

#include "merge/bytetext.h"
#include "merge/mergededitctrlaccessible.h"

#include <QFontMetricsF>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lindo {

using namespace mergededit;

namespace {

// Characters measured for the cell width.
constexpr qsizetype kMeasuredRun = 64;

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
    InstallMergedEditAccessibility();
    m_streamTimer.setInterval(0);
    connect(&m_streamTimer, &QTimer::timeout, this, &CMergedEditCtrl::StreamNextSlice);
}

CMergedEditCtrl::~CMergedEditCtrl() = default;

// --- Taking in and giving out ----------------------------------------------

void CMergedEditCtrl::StreamIn(std::string bytes)
{
    m_streamTimer.stop();
    MergedTextChange cleared(*this, {}, m_text.End());
    m_text.Clear();
    NoteChangeFrom(0);
    cleared.Done({});
    m_cells.ForgetAll();
    m_widestCells = 0;
    m_goalCell = -1;
    m_pending = std::move(bytes);
    m_pendingAt = 0;
    StreamNextSlice();
    // Set only now: at the empty start the first slice would carry it along.
    m_caret = m_anchor = TextPos{};
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
    // The end of what has arrived is the end of the text as shown, and a
    // caret or anchor there stays at the end: left behind, it would sit at
    // the start of the slice's first line, and an edit made there would land
    // before everything that arrived after it.
    const TextPos end = m_text.End();
    const bool caretAtEnd = m_caret == end;
    const bool anchorAtEnd = m_anchor == end;
    MergedTextChange arrived(*this, end, end);
    m_text.Append(rest.substr(0, length));
    m_pendingAt += length;
    if (caretAtEnd)
        m_caret = m_text.End();
    if (anchorAtEnd)
        m_anchor = m_text.End();
    TakeInLinesFrom(firstChanged);
    arrived.Done(m_text.End());

    if (m_pendingAt >= m_pending.size()) {
        m_streamTimer.stop();
        std::string().swap(m_pending);
        m_pendingAt = 0;
    }
}

void CMergedEditCtrl::TakeInLinesFrom(int firstChanged)
{
    NoteChangeFrom(firstChanged);
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

// --- Placing on screen ------------------------------------------------------

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

QRect CMergedEditCtrl::CellRect(int line, std::size_t column) const
{
    const std::string &bytes = m_text.Line(line);
    const qint64 cell = m_cells.CellOf(line, column);
    const qint64 next = column < bytes.size() ? m_cells.NextCell(cell, m_cells.CharacterAt(line, column)) : cell + 1;
    const int left = static_cast<int>(std::lround(static_cast<qreal>(cell) * m_cellWidth)) - horizontalScrollBar()->value();
    const int right = static_cast<int>(std::lround(static_cast<qreal>(next) * m_cellWidth)) - horizontalScrollBar()->value();
    const int top = (line - verticalScrollBar()->value()) * m_lineHeight;
    return {left, top, right - left, m_lineHeight};
}

QRect CMergedEditCtrl::CaretRect() const
{
    const QRect cell = CellRect(m_caret.line, m_caret.column);
    return {cell.left(), cell.top(), 1, cell.height()};
}

int CMergedEditCtrl::VisibleLines() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
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
    const qreal cell = std::max<qreal>(point.x() + horizontalScrollBar()->value(), 0) / m_cellWidth;
    // Before the character clicked on, or after it when the click is in its
    // right half.
    const MergedTextCells::Mark at = m_cells.ColumnAtCell(line, static_cast<qint64>(std::floor(cell)));
    const std::string &bytes = m_text.Line(line);
    if (at.byte >= bytes.size())
        return {line, at.byte};
    const TextCluster character = m_cells.CharacterAt(line, at.byte);
    const qreal middle = static_cast<qreal>(at.cell + m_cells.NextCell(at.cell, character)) / 2;
    return {line, cell >= middle ? at.byte + character.length : at.byte};
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

} // namespace lindo
