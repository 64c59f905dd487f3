#include "app/windowplacement.h"

#include <QMargins>
#include <QWidget>

namespace lindo {

namespace {

QMargins FrameMargins(const QWidget &window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

} // namespace

WindowRect OuterRect(const QWidget &window)
{
    window.winId(); // the native window knows the frame
    const QRect outer = window.frameGeometry();
    return WindowRect{outer.left(), outer.top(), outer.left() + outer.width(), outer.top() + outer.height()};
}

void PlaceWindow(QWidget &window, const WindowRect &rect)
{
    window.winId(); // the native window knows the frame
    const QMargins frame = FrameMargins(window);
    // move() places the frame's corner; resize() sizes the client area.
    window.move(rect.left, rect.top);
    window.resize(rect.right - rect.left - frame.left() - frame.right(),
                  rect.bottom - rect.top - frame.top() - frame.bottom());
}

} // namespace lindo
