#pragma once

// Windows save and restore their outer rectangle (frame and caption
// included), while Qt sizes a window by its client area. These two convert.

#include "app/windowrect.h"

class QWidget;

namespace lindo {

// The top-level window's outer rectangle in screen pixels. Both functions
// create the native window when it does not exist yet.
WindowRect OuterRect(const QWidget &window);

// Moves and sizes the top-level window so that its outer rectangle becomes
// rect. The frame is measured on the window's native window; a platform that
// learns the frame only once the window is shown counts it as empty before.
void PlaceWindow(QWidget &window, const WindowRect &rect);

} // namespace lindo
