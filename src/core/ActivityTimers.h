#pragma once

#include <QString>

// The running-time text: the elapsed time as a time of day, "hh:nn:ss" followed by one blank.
// Whole days are not shown.
QString elapsedText(qint64 milliseconds);
