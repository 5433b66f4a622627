#pragma once

#include <QColor>

// OLE colours the program uses: 0x00BBGGRR, or a system colour with the top bit set.
namespace OleColor {
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 Yellow = 0x0000FFFF;

// The colour an OLE colour stands for; a system colour is the palette's button face, the only
// one the program uses.
QColor toColor(quint32 ole);
} // namespace OleColor
