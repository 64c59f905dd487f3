#include "view/diffview.h"

#include "engine/diffengine.h"

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

// Bytes of one line decoded for drawing. The document is kDocumentWidth
// pixels wide, so a longer prefix could never show; the cap keeps a pane
// over a file with huge lines as fast as any other.
constexpr std::size_t kMaxDrawnBytes = 4096;

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

// The first tab stop right of x. The stops lie every kTabStopChars character
// widths from the tab origin; past the fifth they go on in the same step.
qreal NextTabStop(qreal x, int charWidth)
{
    const int step = kTabStopChars * charWidth;
    if (step <= 0)
        return x;
    const qreal stop = std::floor((x - kTextLeft) / step) + 1;
    return kTextLeft + std::max<qreal>(stop, 1) * step;
}

// Draws text at (x, baseline), expanding tabs to the tab stops; stops once
// the text has passed `right`.
void DrawTabbedText(QPainter &painter, const QFontMetricsF &metrics, qreal x, int baseline,
                    QStringView text, int charWidth, int right)
{
    while (x <= right) {
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        const QStringView segment = tab < 0 ? text : text.left(tab);
        if (!segment.isEmpty()) {
            const QString piece = segment.toString();
            painter.drawText(QPointF(x, baseline), piece);
            x += metrics.horizontalAdvance(piece);
        }
        if (tab < 0)
            return;
        x = NextTabStop(x, charWidth);
        text = text.mid(tab + 1);
    }
}

} // namespace

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
    // paintEvent fills the background itself.
    viewport()->setAutoFillBackground(false);
    lineHeight = lineSpacing + TextExtent(viewFont, QStringLiteral("Test text pq")).height();
    CreateSectionMenu();
}

CDiffView::~CDiffView() = default;

void CDiffView::Attach(int viewSide, DiffEngine &diffEngine)
{
    side = viewSide;
    engine = &diffEngine;
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
    if (!engine || !engine->IsCompared())
        return;
    const QSize measured = TextExtent(viewFont, QStringLiteral("Test text pq"));
    const qint64 height = qint64(lineHeight) * LineCount() + kDocumentExtraHeight;
    SetScrollSizes(QSize(kDocumentWidth, ClampToInt(height)), viewport()->size(),
                   QSize(charWidth, lineSpacing + measured.height()));
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
    UpdateScrollSizes();
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
    const QFontMetricsF metrics(viewFont);
    const int ascent = QFontMetrics(viewFont).ascent();
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
        const std::string_view bytes = line.text.substr(0, kMaxDrawnBytes);
        const QString text = QString::number(i) + QLatin1Char('\t')
                             + QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
        painter.setPen(ToQColor(colour));
        DrawTabbedText(painter, metrics, kTextLeft, i * lineHeight + ascent, text, charWidth, area.right());
    }
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
        if (QRect(0, top, kDocumentWidth, lineHeight).intersects(area))
            painter.fillRect(m_scrollPos.x(), top, clientWidth, 1, face);
        if (!showBars || !section->IsSelected())
            continue;
        const int bottom = (section->last + 1) * lineHeight + 1;
        if (!QRect(0, top, kDocumentWidth, bottom - top).intersects(area))
            continue;
        const int barTop = std::max(top, m_scrollPos.y());
        const int barBottom = std::min(bottom, m_scrollPos.y() + ClientHeight());
        if (barBottom > barTop)
            painter.fillRect(kSelectionBarLeft, barTop, kSelectionBarWidth, barBottom - barTop, face);
    }
}

} // namespace lindo
