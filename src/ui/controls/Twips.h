#pragma once

// Twips, the unit the window design is drawn in: 1440 to the inch, 15 to a device-independent
// pixel.

#include <QRect>

class QWidget;

// Pixels from twips (15 twips to a device-independent pixel).
constexpr int twips(int value)
{
    return value >= 0 ? (value + 7) / 15 : -((-value + 7) / 15);
}
// Twips from pixels.
constexpr int twipsOf(int pixels)
{
    return pixels * 15;
}
// Places a widget in its container, position and size given in twips.
void placeTwips(QWidget* w, int left, int top, int width, int height);
inline void placeTwips(QWidget* w, const QRect& r)
{
    placeTwips(w, r.x(), r.y(), r.width(), r.height());
}
// Widens a control whose design width is too narrow for its caption in the window font.
void widenToFit(QWidget* w);
