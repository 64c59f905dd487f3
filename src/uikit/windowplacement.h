#pragma once

// Saving and restoring a window's outer rectangle (frame and caption
// included) under a settings value, shared by every window that keeps its place.

#include "settingsstore/windowrect.h"

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace lindo {

WindowRect OuterRect(const QWidget *window);

// Moves and sizes the window so that its outer rectangle is `rect`, after
// bringing a rectangle that lies off every screen onto the nearest one.
void PlaceWindow(QWidget *window, const WindowRect &rect);

// Reads the value over the window's current outer rectangle (a missing value,
// or one that leaves it empty or inverted, leaves it as it is) and places the
// window there.
void RestoreWindowRect(QWidget *window, const QString &valueName);
void SaveWindowRect(const QWidget *window, const QString &valueName);

// `outer` unchanged when it overlaps one of the screens; otherwise moved onto
// the screen nearest to it, keeping its size where it fits.
QRect KeepOnScreen(const QRect &outer, const QList<QRect> &screens);

} // namespace lindo
