#include "LayoutGeometry.h"

namespace Layout {

MainLayout mainLayout(int scaleWidth, int scaleHeight, int frameWidth)
{
    // Every stretched width leaves the frame width and 60 twips free at the right.
    const int right = qMax(frameWidth, kDesignFrameWidth) + 60;
    MainLayout l;
    l.txtTerm = QRect(120, 1380, scaleWidth - right, scaleHeight - 1635);
    l.Frame1 = QRect(120, -80, 3015, 810);
    l.Frame2 = QRect(3000, -80, scaleWidth - 2880 - right, 810);
    l.Frame3 = QRect(120, 720, scaleWidth - right, 615);
    l.lblInfoWidth = l.Frame3.width() - 2520;
    l.lblPathWidth = l.Frame2.width() - 2280;
    l.lblFileWidth = l.Frame2.width() - 2280;
    l.btnChangeLeft = l.lblPathWidth + 960 + 105;
    l.btnSaveLeft = l.btnChangeLeft;
    return l;
}

} // namespace Layout
