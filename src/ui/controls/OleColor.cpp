#include "OleColor.h"

#include <QPalette>

namespace OleColor {

QColor toColor(quint32 ole)
{
    if (ole & 0x80000000u)
        return QPalette().color(QPalette::Button);
    return QColor(int(ole & 0xFF), int((ole >> 8) & 0xFF), int((ole >> 16) & 0xFF));
}

} // namespace OleColor
