#include "folderwindow/anchorlayout.h"

namespace lindo {

namespace {

// How far an edge moves horizontally when the parent's width goes from
// `before` to `now`. Each half is truncated on its own, as the window system
// divides.
int HorizontalShift(AnchorMode mode, int before, int now)
{
    switch (mode) {
    case FollowRight:
        return now - before;
    case FollowCentre:
        return now / 2 - before / 2;
    default:
        return 0;
    }
}

int VerticalShift(AnchorMode mode, int before, int now)
{
    return mode == FollowBottom ? now - before : 0;
}

} // namespace

void AnchorLayout::Add(QWidget *control, QWidget *parent, AnchorMode leftMode, AnchorMode rightMode,
                       AnchorMode topMode, AnchorMode bottomMode)
{
    m_items.push_back({control, parent, parent->size(), control->geometry(), leftMode, rightMode, topMode, bottomMode});
}

QRect AnchorLayout::Place(const AnchorItem &item, QSize parentNow)
{
    const QSize before = item.parentSize;
    const QRect &rect = item.controlRect;
    // Right and bottom exclusive, as the registered rectangle's edges.
    const int left = rect.left() + HorizontalShift(item.leftMode, before.width(), parentNow.width());
    const int right = rect.left() + rect.width() + HorizontalShift(item.rightMode, before.width(), parentNow.width());
    const int top = rect.top() + VerticalShift(item.topMode, before.height(), parentNow.height());
    const int bottom =
        rect.top() + rect.height() + VerticalShift(item.bottomMode, before.height(), parentNow.height());
    return QRect(left, top, right - left, bottom - top);
}

void AnchorLayout::Apply() const
{
    for (const AnchorItem &item : m_items) {
        item.control->setGeometry(Place(item, item.parent->size()));
        item.control->update();
    }
}

} // namespace lindo
