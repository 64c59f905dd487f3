#include "view/diffview.h"

#include "engine/diffengine.h"
#include "uikit/textcells.h"
#include "view/diffviewaccessible.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>

namespace lindo {

namespace {

// How much of the text colour goes into the tint behind changed characters.
constexpr double kTintStrength = 0.2;

QColor ToQColor(Colour colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QSize TextExtent(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

// The column a tab at `column` runs to: the next multiple of kTabStopChars,
// so a tab always moves on by at least one cell, as on a terminal.
qint64 NextTabColumn(qint64 column)
{
    return (column / kTabStopChars + 1) * kTabStopChars;
}

// The column after `text` when it starts at `column`.
qint64 ColumnAfter(std::string_view text, qint64 column)
{
    return CellsAfter(text, column, kTabStopChars);
}

// An ASCII byte that is a character of its own (no mark joins it) and drawn
// as it is with its neighbours in one piece.
bool IsPlainAscii(std::string_view text, std::size_t byte)
{
    const auto isAscii = [&](std::size_t at) { return static_cast<unsigned char>(text[at]) < 0x80; };
    return text[byte] != '\t' && isAscii(byte) && (byte + 1 >= text.size() || isAscii(byte + 1));
}

// The quotient rounded down, also for a negative `dividend`.
qint64 FloorDivide(qint64 dividend, qint64 divisor)
{
    const qint64 quotient = dividend / divisor;
    return quotient * divisor > dividend ? quotient - 1 : quotient;
}

} // namespace

QColor LineChangeTint(const QColor &text, const QColor &background)
{
    const auto blend = [](int ink, int paper) {
        return static_cast<int>(std::lround(kTintStrength * ink + (1.0 - kTintStrength) * paper));
    };
    return QColor(blend(text.red(), background.red()), blend(text.green(), background.green()),
                  blend(text.blue(), background.blue()));
}

int CDiffView::ClampToInt(qint64 pixels)
{
    return static_cast<int>(std::clamp<qint64>(pixels, INT_MIN, INT_MAX));
}

CDiffView::CDiffView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    viewFont.setFamily(QStringLiteral("Courier New"));
    viewFont.setPixelSize(11);
    viewFont.setWeight(QFont::Normal);
    viewFont.setStyleHint(QFont::TypeWriter);
    // Tab stops and line numbers are laid out on a grid of whole-pixel cells
    // ("T" measured in whole pixels); a substitute font whose advance is a
    // fraction of a pixel is spaced out (or in) to that grid, so that the
    // glyphs stay in their cells however long the line.
    const qreal advance = QFontMetricsF(viewFont).horizontalAdvance(QLatin1Char('T'));
    const qreal cell = std::round(advance);
    if (cell > 0 && advance != cell)
        viewFont.setLetterSpacing(QFont::AbsoluteSpacing, cell - advance);
    // paintEvent fills the background itself.
    viewport()->setAutoFillBackground(false);
    lineHeight = lineSpacing + TextExtent(viewFont, QStringLiteral("Test text pq")).height();
    CreateSectionMenu();
    InstallDiffViewAccessibility();
}

CDiffView::~CDiffView() = default;

void CDiffView::Attach(int viewSide, DiffEngine &diffEngine)
{
    side = viewSide;
    engine = &diffEngine;
    m_measuredEngine = nullptr;
    m_documentWidthKnown = false;
    UpdateScrollSizes();
    viewport()->update();
}

int CDiffView::LineCount() const
{
    return engine ? static_cast<int>(engine->Lines(side).size()) : 0;
}

int CDiffView::ClientHeight() const
{
    return viewport()->height();
}

int CDiffView::SectionOfLine(int line) const
{
    return engine ? engine->SectionOfLine(side, line) : -1;
}

void CDiffView::UpdateScrollSizes()
{
    m_match = TextMatch();
    // A new comparison may pair the lines differently over the same texts.
    m_lineChanges.Clear();
    ApplyScrollSizes(true);
    AnnounceComparison(*this);
}

void CDiffView::ApplyScrollSizes(bool fresh)
{
    if (!engine || !engine->IsCompared())
        return;
    const bool sameTexts = m_measuredEngine == engine && m_measuredLoad == engine->LoadCount();
    const bool measure = !m_documentWidthKnown || (fresh && !sameTexts);
    if (measure) {
        // Marks for the long lines now, so that no paint has to take them.
        m_lineColumns.clear();
        const DiffLines &lines = engine->Lines(side);
        for (std::size_t i = 0; i < lines.size(); ++i)
            ColumnsOf(static_cast<int>(i), lines[i].text);
        MeasureSides();
        m_contentWidth = ClampToInt(std::max(m_sideReach[0], m_sideReach[1]));
        m_documentWidth = std::max(kDocumentWidth, m_contentWidth);
        m_documentWidthKnown = true;
    }
    const QSize measured = TextExtent(viewFont, QStringLiteral("Test text pq"));
    const qint64 height = qint64(lineHeight) * LineCount() + kDocumentExtraHeight;
    SetScrollSizes(QSize(m_documentWidth, ClampToInt(height)), viewport()->size(),
                   QSize(charWidth, lineSpacing + measured.height()));
    // The bars keep the position inside the document; after a new
    // comparison it also comes back from blank space right of the text.
    const int textRight = std::max(0, m_contentWidth - viewport()->width());
    if (measure && m_scrollPos.x() > textRight)
        ScrollToPosition(QPoint(textRight, m_scrollPos.y()));
}

int CDiffView::CellWidth() const
{
    return TextExtent(viewFont, QStringLiteral("T")).width();
}

void CDiffView::MeasureSides()
{
    const CDiffView *sibling = Sibling();
    const bool siblingKnows = sibling && sibling->m_measuredEngine == engine &&
                              sibling->m_measuredLoad == engine->LoadCount() && sibling->m_documentWidthKnown;
    for (int s = 1; s <= 2; ++s)
        m_sideReach[static_cast<std::size_t>(s - 1)] =
            siblingKnows ? sibling->m_sideReach[static_cast<std::size_t>(s - 1)] : SideReach(s);
    m_measuredEngine = engine;
    m_measuredLoad = engine->LoadCount();
}

qint64 CDiffView::SideReach(int s) const
{
    // No byte makes more than kTabStopChars cells (a tab does; no character
    // takes more than two), so only lines whose bytes could make them the
    // widest are measured. The line number column is taken as wide as the
    // last line's.
    const qint64 cell = CellWidth();
    const DiffLines &lines = engine->Lines(s);
    const qint64 numberCells = QString::number(std::max<qint64>(0, qint64(lines.size()) - 1)).size();
    const qint64 textColumn = NextTabColumn(numberCells);
    // One cell to spare after the last character.
    const auto reach = [&](qint64 cells) { return kTextLeft + (textColumn + cells + 1) * cell; };
    qint64 widest = kTextLeft + (numberCells + 1) * cell;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = lines[i].text;
        if (reach(static_cast<qint64>(text.size()) * kTabStopChars) <= widest)
            continue;
        // This side's long lines were measured for their column marks.
        const auto marked = s == side ? m_lineColumns.find(static_cast<int>(i)) : m_lineColumns.end();
        const qint64 cells = marked != m_lineColumns.end() && marked->second.data == text.data()
                                 ? marked->second.end
                                 : ColumnAfter(text, 0);
        widest = std::max(widest, reach(cells));
    }
    return widest;
}

void CDiffView::SetScrollSizes(QSize total, QSize page, QSize line)
{
    m_totalSize = total;
    m_pageSize = QSize(page.width() > 0 ? page.width() : total.width() / 10,
                       page.height() > 0 ? page.height() : total.height() / 10);
    m_lineSize = QSize(line.width() > 0 ? line.width() : m_pageSize.width() / 10,
                       line.height() > 0 ? line.height() : m_pageSize.height() / 10);
    UpdateBars();
}

void CDiffView::UpdateBars()
{
    // A range that shrinks under the position moves the view; that is not a
    // scroll the sibling should follow.
    const QScopedValueRollback guard(m_positioning, true);
    const QSize client = viewport()->size();
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_totalSize.width() - client.width()));
    horizontal->setPageStep(m_pageSize.width());
    horizontal->setSingleStep(m_lineSize.width());
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, m_totalSize.height() - client.height()));
    vertical->setPageStep(m_pageSize.height());
    vertical->setSingleStep(m_lineSize.height());
}

void CDiffView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateBars();
    ApplyScrollSizes(false);
}

void CDiffView::ScrollToPosition(QPoint position)
{
    const QScopedValueRollback guard(m_positioning, true);
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

bool CDiffView::OnScrollBy(int dx, int dy)
{
    if ((dx != 0 || dy != 0) && syncScroll)
        ScrollSibling(dx, dy);
    const QPoint before = m_scrollPos;
    ScrollToPosition(before + QPoint(dx, dy));
    return m_scrollPos != before;
}

void CDiffView::scrollContentsBy(int dx, int dy)
{
    // Qt reports how far the contents moved, the opposite of how far the
    // position moved. A change we did not make ourselves is the user's
    // scroll: it takes the sibling along before this view follows.
    if (!m_positioning && syncScroll)
        ScrollSibling(-dx, -dy);
    m_scrollPos = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->scroll(dx, dy);
}

void CDiffView::ScrollSibling(int dx, int dy)
{
    CDiffView *sibling = Sibling();
    if (!sibling)
        return;
    // Positioning the sibling directly (not through its OnScrollBy) is what
    // keeps the coupling from coming back to this view. Its exposed part is
    // painted in the same pass as this view's.
    sibling->ScrollToPosition(SyncTarget(dx, dy));
}

QPoint CDiffView::SyncTarget(int dx, int dy) const
{
    const CDiffView *sibling = Sibling();
    if (!sibling || !engine || lineHeight <= 0)
        return sibling ? sibling->ScrollPosition() : QPoint();
    const QPoint moved = sibling->ScrollPosition() + QPoint(dx, dy);
    const int half = ClientHeight() / 2;
    const int y = m_scrollPos.y() + dy;
    const int middle = (y + half) / lineHeight;
    const int offset = (y + half) % lineHeight;
    if (middle >= LineCount())
        return sibling->ScrollPosition();
    const int link = engine->Lines(side)[static_cast<std::size_t>(middle)].link;
    if (link >= 0)
        return QPoint(moved.x(), ClampToInt(qint64(link) * lineHeight - half + offset));
    return moved;
}

CDiffView *CDiffView::Sibling() const
{
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *host = dynamic_cast<DiffViewHost *>(ancestor))
            return host->GetView(3 - side);
    }
    return nullptr;
}

QColor CDiffView::BackgroundColour() const
{
    const QColor base = palette().color(QPalette::Base);
    constexpr int kLightEnough = 200;
    return base.lightness() >= kLightEnough ? base : QColor(Qt::white);
}

void CDiffView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), BackgroundColour());
    if (!engine)
        return;
    painter.translate(-m_scrollPos);
    OnDraw(painter, event->rect().translated(m_scrollPos));
}

void CDiffView::MeasureFont()
{
    const QSize extent = TextExtent(viewFont, QStringLiteral("T"));
    lineHeight = lineSpacing + extent.height();
    charWidth = extent.width();
}

void CDiffView::OnDraw(QPainter &painter, const QRect &area)
{
    painter.save();
    painter.setFont(viewFont);
    MeasureFont();
    DrawLines(painter, area);
    painter.restore();
    if (engine->IsCompared())
        DrawSectionMarks(painter, area);
}

void CDiffView::DrawLines(QPainter &painter, const QRect &area)
{
    const DiffLines &lines = engine->Lines(side);
    const int count = static_cast<int>(lines.size());
    const int windowBottom = viewport()->mapFrom(this, QPoint(0, height())).y();
    const int firstLine = m_scrollPos.y() / lineHeight;
    // Lines outside the painted area would be clipped away; skip them.
    const int from = std::max(firstLine, area.top() / lineHeight);
    const int end = std::min({firstLine + windowBottom / lineHeight + 1, area.bottom() / lineHeight + 1, count});
    const int ascent = QFontMetrics(viewFont).ascent();
    const bool tintChanges = engine->showLineChanges != 0 && engine->IsCompared();
    if (tintChanges)
        m_lineChanges.Refresh(*engine);
    // Text is placed in viewport columns: far right in a long line, document
    // x is too large for the rasteriser's fixed-point glyph positions.
    painter.save();
    painter.translate(m_scrollPos.x(), 0);
    for (int i = from; i < end; ++i) {
        const DiffLine &line = lines[static_cast<std::size_t>(i)];
        Colour colour = engine->colorIdentical;
        if (line.link < 0) {
            const int section = SectionOfLine(i);
            if (section < 0)
                break;
            colour = engine->Sections(side)[static_cast<std::size_t>(section)].partner < 0
                         ? engine->colorInserted
                         : engine->colorDifferent;
        }
        const QColor textColour = ToQColor(colour);
        painter.setPen(textColour);
        const int baseline = i * lineHeight + ascent;
        const QString number = QString::number(i);
        if (kTextLeft + qint64(number.size()) * charWidth > area.left() && kTextLeft <= area.right())
            painter.drawText(QPointF(kTextLeft - m_scrollPos.x(), baseline), number);
        if (tintChanges && line.link < 0)
            DrawLineChanges(painter, i, line.text, NextTabColumn(number.size()), textColour, area);
        if (i == m_match.line)
            DrawMatchMark(painter, line.text, NextTabColumn(number.size()));
        DrawLineText(painter, i, line.text, NextTabColumn(number.size()), baseline, area);
    }
    painter.restore();
}

void CDiffView::DrawLineText(QPainter &painter, int line, std::string_view text, qint64 textColumn,
                             int baseline, const QRect &area)
{
    if (charWidth <= 0 || text.empty())
        return;
    const auto xOf = [&](qint64 column) { return kTextLeft + (textColumn + column) * charWidth; };
    // A character is drawn when any of its cell lies in the area; one cell
    // more on the left keeps the edges of a glyph that leans over its cell.
    const qint64 left = qint64(area.left()) - charWidth;
    const qint64 right = qint64(area.right()) + 1;
    // The first character with any of its cells right of `left`.
    const qint64 leftCell = FloorDivide(left - kTextLeft, charWidth) - textColumn;
    ColumnIndex::Mark from;
    if (const LineColumns *columns = ColumnsOf(line, text))
        from = columns->marks.ByCell(leftCell);
    const ColumnIndex::Mark first = CharacterAtCell(text, from, leftCell, kTabStopChars);
    std::size_t byte = first.byte;
    qint64 column = first.cell;
    // Draw up to the first character that starts right of the area: plain
    // ASCII in pieces between tabs, as the font's cells are the grid's; any
    // other character on its own cells, so that what is drawn is where the
    // grid says.
    const auto drawAt = [&](qint64 at, const QString &piece) {
        painter.drawText(QPointF(double(xOf(at) - m_scrollPos.x()), baseline), piece);
    };
    while (byte < text.size() && xOf(column) < right) {
        const std::size_t start = byte;
        const qint64 startColumn = column;
        while (byte < text.size() && IsPlainAscii(text, byte) && xOf(column) < right) {
            ++byte;
            ++column;
        }
        if (byte > start) {
            drawAt(startColumn, QString::fromLatin1(text.data() + start, static_cast<qsizetype>(byte - start)));
            continue;
        }
        const TextCluster cluster = ClusterAt(text, byte);
        if (cluster.kind != CellKind::Tab)
            drawAt(column, ClusterText(text, byte, cluster));
        column = CellAfter(cluster, column, kTabStopChars);
        byte += cluster.length;
    }
}

void CDiffView::DrawMatchMark(QPainter &painter, std::string_view text, qint64 textColumn)
{
    if (m_match.byte + m_match.length > text.size())
        return; // the text changed under the mark
    FillByteSpan(painter, m_match.line, text, textColumn, m_match.byte, m_match.byte + m_match.length,
                 QColor(255, 226, 110));
}

qint64 CDiffView::ColumnOfByte(int line, std::string_view text, std::size_t byte, bool after)
{
    byte = std::min(byte, text.size());
    const LineColumns *columns = ColumnsOf(line, text);
    const ColumnIndex::Mark mark = columns ? columns->marks.ByByte(byte) : ColumnIndex::Mark{};
    // Tab stops fall on multiples of kTabStopChars counted from the text or
    // from the line number alike, as the text starts on one.
    return after ? CharacterAtOrAfter(text, mark, byte, kTabStopChars).cell
                 : CharacterAtOrBefore(text, mark, byte, kTabStopChars).cell;
}

void CDiffView::FillByteSpan(QPainter &painter, int line, std::string_view text, qint64 textColumn,
                             std::size_t begin, std::size_t end, const QColor &colour)
{
    // A span that cuts a character covers all of it.
    const qint64 start = textColumn + ColumnOfByte(line, text, begin, false);
    const qint64 stop = textColumn + ColumnOfByte(line, text, end, true);
    const qint64 left = kTextLeft + start * charWidth - m_scrollPos.x();
    const qint64 right = kTextLeft + stop * charWidth - m_scrollPos.x();
    const qint64 shown = std::clamp<qint64>(left, -charWidth, viewport()->width() + charWidth);
    const qint64 shownEnd = std::clamp<qint64>(right, -charWidth, viewport()->width() + charWidth);
    if (shownEnd > shown)
        painter.fillRect(QRect(int(shown), line * lineHeight, int(shownEnd - shown), lineHeight), colour);
}

void CDiffView::DrawLineChanges(QPainter &painter, int line, std::string_view text, qint64 textColumn,
                                const QColor &textColour, const QRect &area)
{
    const int paired = PairedLine(*engine, side, SectionOfLine(line), line);
    if (paired < 0 || charWidth <= 0)
        return;
    const std::vector<ByteSpan> &spans = ChangesOf(line, paired);
    if (spans.empty())
        return;
    const auto xOf = [&](std::size_t byte, bool after) {
        return kTextLeft + (textColumn + ColumnOfByte(line, text, byte, after)) * charWidth;
    };
    // Only the spans that reach into the painted area: columns grow with the
    // bytes, so the first is found by bisection and the walk stops at the
    // first span that starts right of the area.
    const qint64 left = area.left();
    const qint64 right = qint64(area.right()) + 1;
    const QColor tint = LineChangeTint(textColour, BackgroundColour());
    auto span = std::partition_point(spans.begin(), spans.end(),
                                     [&](const ByteSpan &s) { return xOf(s.end, true) <= left; });
    for (; span != spans.end() && xOf(span->begin, false) < right; ++span)
        FillByteSpan(painter, line, text, textColumn, span->begin, span->end, tint);
}

const std::vector<ByteSpan> &CDiffView::ChangesOf(int line, int paired)
{
    if (const std::vector<ByteSpan> *kept = m_lineChanges.Find(line, paired))
        return *kept;
    const std::string_view own = engine->Lines(side)[static_cast<std::size_t>(line)].text;
    const std::string_view other = engine->Lines(3 - side)[static_cast<std::size_t>(paired)].text;
    // The options the lines on screen were compared with, not those of the next load.
    const LineKeyOptions &options = engine->LoadedKeyOptions();
    LineChanges changes = side == 1 ? FindLineChanges(own, other, options) : FindLineChanges(other, own, options);
    std::vector<ByteSpan> &ownSpans = side == 1 ? changes.first : changes.second;
    std::vector<ByteSpan> &otherSpans = side == 1 ? changes.second : changes.first;
    // The other pane will paint the partner line level with this one.
    if (CDiffView *sibling = Sibling(); sibling && sibling->engine == engine) {
        sibling->m_lineChanges.Refresh(*engine);
        sibling->m_lineChanges.Keep(paired, line, std::move(otherSpans));
    }
    return m_lineChanges.Keep(line, paired, std::move(ownSpans));
}

void CDiffView::ScrollMatchIntoView()
{
    if (!engine || !m_match.Found() || m_match.line >= LineCount())
        return;
    const std::string_view text = engine->Lines(side)[static_cast<std::size_t>(m_match.line)].text;
    if (m_match.byte + m_match.length > text.size())
        return;
    const qint64 cell = CellWidth();
    const qint64 textColumn = NextTabColumn(QString::number(m_match.line).size());
    const qint64 start = textColumn + ColumnOfByte(m_match.line, text, m_match.byte, false);
    const qint64 end = textColumn + ColumnOfByte(m_match.line, text, m_match.byte + m_match.length, true);
    const qint64 left = kTextLeft + start * cell;
    const qint64 right = kTextLeft + end * cell;
    const qint64 x = m_scrollPos.x();
    const int width = viewport()->width();
    if (left >= x && right <= x + width)
        return;
    // The text a third of the way in (near the start of a line, the start).
    const qint64 target = std::max<qint64>(0, left - width / 3);
    OnScrollBy(ClampToInt(target - x), 0);
}

const CDiffView::LineColumns *CDiffView::ColumnsOf(int line, std::string_view text)
{
    if (text.size() <= kColumnMarkBytes)
        return nullptr;
    LineColumns &columns = m_lineColumns[line];
    if (columns.data == text.data() && columns.size == text.size())
        return &columns;
    columns = LineColumns{text.data(), text.size()};
    const auto walk = [text](ColumnIndex::Mark from, std::size_t stop) {
        return CharacterAtOrAfter(text, from, std::min(stop, text.size()), kTabStopChars);
    };
    columns.marks.TakeAll(text.size(), walk);
    columns.end = walk(columns.marks.ByByte(text.size()), text.size()).cell;
    return &columns;
}

QColor CDiffView::MarkColour() const
{
    // The classic desktop's button face was a mid grey that stood out on a
    // white pane; Qt's button role is nearly white in today's styles, so the
    // marks take the mid tone of the palette instead.
    return QColor(palette().color(QPalette::Mid).rgb()); // as the 8-bit pixels will show it
}

void CDiffView::DrawSectionMarks(QPainter &painter, const QRect &area)
{
    const QColor face = MarkColour();
    const auto &sections = engine->Sections(side);
    const bool showBars = engine->showSelections != 0;
    const int clientWidth = viewport()->width();
    // Sections are in line order: start at the first whose bar could reach
    // the painted area, stop at the first that begins below it.
    auto section = std::partition_point(sections.begin(), sections.end(), [&](const DiffSection &s) {
        return qint64(s.last + 1) * lineHeight + 1 <= area.top();
    });
    for (; section != sections.end() && qint64(section->first) * lineHeight <= area.bottom(); ++section) {
        const int top = section->first * lineHeight;
        if (QRect(0, top, m_documentWidth, lineHeight).intersects(area))
            painter.fillRect(m_scrollPos.x(), top, clientWidth, 1, face);
        if (!showBars || !section->IsSelected())
            continue;
        const int bottom = (section->last + 1) * lineHeight + 1;
        if (!QRect(0, top, m_documentWidth, bottom - top).intersects(area))
            continue;
        const int barTop = std::max(top, m_scrollPos.y());
        const int barBottom = std::min(bottom, m_scrollPos.y() + ClientHeight());
        if (barBottom > barTop)
            painter.fillRect(kSelectionBarLeft, barTop, kSelectionBarWidth, barBottom - barTop, face);
    }
}

} // namespace lindo
