#include "uikit/multilinecheckbox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace lindo {

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

CMultiLineCheckBox::CMultiLineCheckBox(const QString &text, QWidget *parent)
    : QCheckBox(text, parent)
{
}

QRect CMultiLineCheckBox::IndicatorRect() const
{
    // Where the style puts the box of a one-line check box, moved up to be
    // level with the middle of the first line of text.
    QStyleOptionButton option;
    initStyleOption(&option);
    QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    indicator.moveTop(qMax(0, (fontMetrics().height() - indicator.height()) / 2));
    return indicator;
}

QRect CMultiLineCheckBox::TextRect() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const int left = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this).left();
    return QRect(left, 0, qMax(0, width() - left), height());
}

void CMultiLineCheckBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    QStyleOptionButton indicator = option;
    indicator.rect = IndicatorRect();
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);

    const QRect textRect = TextRect();
    style()->drawItemText(&painter, textRect, kTextFlags, palette(), isEnabled(), text(),
                          QPalette::WindowText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics().boundingRect(textRect, kTextFlags, text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool CMultiLineCheckBox::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

} // namespace lindo
