#include "Globals.h"

#include <chrono>
#include <thread>

namespace Globals {

void reset()
{
    blnModifierDown = false;
    dtRunStart = QDateTime();
    strFileName.clear();
    strSavePath.clear();
    blnSaving = false;
    intEventCount = 0;
    blnCommandPending = false;
    blnBannerSeen = false;
    blnFlowElapsed = false;
    strLines.fill(QString());
    intFrameHeight = 0;
    intFrameWidth = 0;
    intFileChoice = 0;
}

void Delay(qint16 intMilliseconds)
{
    using clock = std::chrono::steady_clock;
    const auto target = clock::now() + std::chrono::milliseconds(intMilliseconds);
    // Sleeping in steps of at most 1 ms keeps the wait as exact without burning a core.
    for (auto now = clock::now(); now < target; now = clock::now())
        std::this_thread::sleep_for(
            std::min<clock::duration>(target - now, std::chrono::milliseconds(1)));
}

} // namespace Globals
