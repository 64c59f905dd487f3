#pragma once

// Dialog templates give positions in dialog units. Every window converts them
// with the same fixed base units (6 x 13 pixels per 4 x 8 units at 96 DPI), so
// windows get their template's size whatever font the desktop uses.

#include <QFont>
#include <QWidget>
#include <QRect>
#include <QSize>

namespace lindo {

constexpr int kBaseUnitX = 6;  // pixels per 4 horizontal dialog units
constexpr int kBaseUnitY = 13; // pixels per 8 vertical dialog units

// Rounds to nearest as the platform's MulDiv does.
constexpr int DluToPixelsX(int dlu)
{
    return (dlu * kBaseUnitX + (dlu >= 0 ? 2 : -2)) / 4;
}
constexpr int DluToPixelsY(int dlu)
{
    return (dlu * kBaseUnitY + (dlu >= 0 ? 4 : -4)) / 8;
}

// A template rectangle given as x, y, width, height in dialog units.
inline QRect DluRect(int x, int y, int width, int height)
{
    const int left = DluToPixelsX(x);
    const int top = DluToPixelsY(y);
    return QRect(left, top, DluToPixelsX(x + width) - left, DluToPixelsY(y + height) - top);
}

inline QSize DluSize(int width, int height)
{
    return QSize(DluToPixelsX(width), DluToPixelsY(height));
}

// The font dialog templates are laid out for. Its letters average about six
// pixels wide and its lines are 11 pixels high, which is what the base units
// above assume; the desktop's default font is wider and overflows the
// templates' text rectangles.
inline QFont DialogFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(10);
    return font;
}

// Gives a dialog the font its template was laid out for.
inline void ApplyDialogFont(QWidget *dialog)
{
    dialog->setFont(DialogFont());
}

} // namespace lindo
