#include "threeway/threewaypane.h"

#include "merge/mergededitctrl.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace lindo {

namespace {

// A changed character's tint: the line's colour this much darker.
constexpr int kTintDarker = 125;
constexpr int kTextMargin = 2;
const QColor kRuleColour(90, 90, 90);

} // namespace

CThreeWayPane::CThreeWayPane(QWidget *parent) : QAbstractScrollArea(parent)
{
    QFont font(mergededit::kFontFace);
    font.setPointSizeF(mergededit::kFontPoints);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    m_lineHeight = std::max(1, QFontMetrics(font).height());
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void CThreeWayPane::SetLines(std::vector<Line> lines)
{
    m_lines = std::move(lines);
    // Only the longest line is measured: measuring each of a large file's
    // lines would hold up the window's start for seconds.
    const auto longest = std::max_element(m_lines.begin(), m_lines.end(), [](const Line &a, const Line &b) {
        return a.text.size() < b.text.size();
    });
    m_widest = longest == m_lines.end() ? 0 : QFontMetrics(font()).horizontalAdvance(longest->text);
    UpdateScrollBars();
    viewport()->update();
}

void CThreeWayPane::SetGaps(std::vector<int> lines)
{
    m_gaps = std::move(lines);
    viewport()->update();
}

void CThreeWayPane::SetCurrent(int first, int count)
{
    m_currentFirst = first;
    m_currentCount = count;
    viewport()->update();
}

int CThreeWayPane::VisibleLines() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

void CThreeWayPane::UpdateScrollBars()
{
    verticalScrollBar()->setRange(0, std::max(0, LineCount() - VisibleLines()));
    verticalScrollBar()->setPageStep(VisibleLines());
    horizontalScrollBar()->setRange(0, std::max(0, m_widest + 2 * kTextMargin - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void CThreeWayPane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

qreal CThreeWayPane::TextX(const QString &text, int characters) const
{
    return kTextMargin - horizontalScrollBar()->value()
           + QFontMetrics(font()).horizontalAdvance(text.left(characters));
}

void CThreeWayPane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const int top = verticalScrollBar()->value();
    const int width = viewport()->width();
    const int ascent = QFontMetrics(font()).ascent();
    const int last = std::min(LineCount() - 1, top + event->rect().bottom() / m_lineHeight);
    for (int line = top + std::max(0, event->rect().top()) / m_lineHeight; line <= last; ++line) {
        const Line &shown = LineAt(line);
        const int y = (line - top) * m_lineHeight;
        const QColor background = m_stretchColour && shown.stretch >= 0 ? m_stretchColour(shown.stretch) : QColor();
        if (background.isValid())
            painter.fillRect(0, y, width, m_lineHeight, background);
        const QColor tint = (background.isValid() ? background : palette().base().color()).darker(kTintDarker);
        for (const auto &[first, end] : shown.tints) {
            const qreal left = TextX(shown.text, first);
            painter.fillRect(QRectF(left, y, TextX(shown.text, end) - left, m_lineHeight), tint);
        }
        painter.setPen(palette().text().color());
        painter.drawText(QPointF(TextX(shown.text, 0), y + ascent), shown.text);
    }
    painter.setPen(QPen(kRuleColour, 2));
    for (const int gap : m_gaps)
        painter.drawLine(0, (gap - top) * m_lineHeight, width, (gap - top) * m_lineHeight);
    if (m_currentCount > 0) {
        painter.setPen(QPen(palette().text().color(), 1, Qt::DotLine));
        painter.drawRect(0, (m_currentFirst - top) * m_lineHeight, width - 1, m_currentCount * m_lineHeight - 1);
    }
}

} // namespace lindo
