#pragma once

#include <QDateTime>
#include <QString>

#include <array>

// State shared by the windows' handlers. Lives from start to exit; nothing is saved.
namespace Globals {
inline bool blnModifierDown = false;
inline QDateTime dtRunStart; // unset until the port is first opened
inline QString strFileName;  // "????" marks that no usable name exists
inline QString strSavePath;  // capture folder, ending with the folder separator
inline bool blnSaving = false;
inline qint16 intEventCount = 0;
inline bool blnCommandPending = false;
inline bool blnBannerSeen = false;
inline bool blnFlowElapsed = false;
inline std::array<QString, 10> strLines;
inline qint16 intFrameHeight = 0;
inline qint16 intFrameWidth = 0;
inline qint32 intFileChoice = 0;

// Restores every start value (for tests).
void reset();

// Waits the given number of milliseconds on a monotonic clock without handling any event.
void Delay(qint16 intMilliseconds);
} // namespace Globals
