#pragma once

#include <QRect>

// The main window's layout, in twips, from its client size and the frame width around it.
namespace Layout {
// The client area never stays smaller than the design size.
constexpr int kMinClientWidth = 6360;
constexpr int kMinClientHeight = 5175;
// The frame width the design was drawn with. A smaller measured frame (Qt's geometry on Linux
// leaves out the window manager's decorations) would push the stretched controls past the
// client area's right edge, so the width formulas never use less.
constexpr int kDesignFrameWidth = 165;

// Where each stretched or moved control goes; every other control keeps its design place.
struct MainLayout {
    QRect txtTerm;
    QRect Frame1;
    QRect Frame2;
    QRect Frame3;
    int lblInfoWidth = 0;
    int lblPathWidth = 0;
    int lblFileWidth = 0;
    int btnChangeLeft = 0;
    int btnSaveLeft = 0;
};

// The layout for a client area of scaleWidth x scaleHeight with the given frame width.
MainLayout mainLayout(int scaleWidth, int scaleHeight, int frameWidth);

} // namespace Layout
