#include "uikit/windowplacement.h"

#include "settingsstore/settingsstore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace lindo {

namespace {

QRect ToQRect(const WindowRect &rect)
{
    // Right and bottom are exclusive in the stored form.
    const qint64 width = static_cast<qint64>(rect.right) - rect.left;
    const qint64 height = static_cast<qint64>(rect.bottom) - rect.top;
    return QRect(rect.left, rect.top, static_cast<int>(std::clamp<qint64>(width, 0, 1 << 20)),
                 static_cast<int>(std::clamp<qint64>(height, 0, 1 << 20)));
}

qint64 DistanceSquared(const QRect &a, const QRect &b)
{
    const qint64 dx = std::max<qint64>({0, static_cast<qint64>(b.left()) - a.right(), static_cast<qint64>(a.left()) - b.right()});
    const qint64 dy = std::max<qint64>({0, static_cast<qint64>(b.top()) - a.bottom(), static_cast<qint64>(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

QList<QRect> ScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.push_back(screen->availableGeometry());
    return areas;
}

} // namespace

WindowRect OuterRect(const QWidget *window)
{
    window->winId(); // a native window knows its frame, on platforms that tell it early
    const QRect frame = window->frameGeometry();
    return WindowRect{frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height()};
}

QRect KeepOnScreen(const QRect &outer, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return outer;
    const QRect *nearest = nullptr;
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect &screen : screens) {
        if (screen.intersects(outer))
            return outer;
        const qint64 distance = DistanceSquared(outer, screen);
        if (distance < best) {
            best = distance;
            nearest = &screen;
        }
    }
    QRect placed(outer.topLeft(), outer.size().boundedTo(nearest->size()));
    placed.moveLeft(std::clamp(placed.left(), nearest->left(), nearest->right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), nearest->top(), nearest->bottom() + 1 - placed.height()));
    return placed;
}

void PlaceWindow(QWidget *window, const WindowRect &rect)
{
    const QRect outer = KeepOnScreen(ToQRect(rect), ScreenAreas());
    window->winId();
    // The frame's thickness, as far as the platform tells it now.
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const int extraWidth = frame.width() - client.width();
    const int extraHeight = frame.height() - client.height();
    window->move(outer.topLeft());
    window->resize(std::max(0, outer.width() - extraWidth), std::max(0, outer.height() - extraHeight));
}

namespace {

// A window's frame is often known only once it is shown: the rectangle is
// placed again then, so the outer rectangle comes out as stored.
class PlaceOnShow : public QObject {
public:
    PlaceOnShow(QWidget *window, const WindowRect &rect) : QObject(window), m_rect(rect)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *window = static_cast<QWidget *>(watched);
            window->removeEventFilter(this);
            PlaceWindow(window, m_rect);
            deleteLater();
        }
        return false;
    }

private:
    WindowRect m_rect;
};

} // namespace

void RestoreWindowRect(QWidget *window, const QString &valueName)
{
    WindowRect rect = OuterRect(window);
    const WindowRect before = rect;
    SettingsStore().ReadRect(valueName, rect);
    // An empty or inverted rectangle would give a window of no size, which
    // the user could neither see nor grab: such a value counts as missing.
    if (rect == before || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    PlaceWindow(window, rect);
    if (!window->isVisible())
        new PlaceOnShow(window, rect);
}

void SaveWindowRect(const QWidget *window, const QString &valueName)
{
    SettingsStore().WriteRect(valueName, OuterRect(window));
}

} // namespace lindo
