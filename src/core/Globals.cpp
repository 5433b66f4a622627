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
    // Sleep in steps of 1 ms so as not to burn a core, and spin through the last few
    // milliseconds, where a late wake-up would make the wait late.
    constexpr auto kSpin = std::chrono::milliseconds(3);
    for (auto now = clock::now(); now < target; now = clock::now()) {
        if (target - now > kSpin)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            std::this_thread::yield();
    }
}

} // namespace Globals
