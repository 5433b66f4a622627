#pragma once

#include <QString>

// The texts of the status panels.

// The "Status" panel's text for a receive-state code (0 not receiving, 1 receiving, 2 saving to
// file); empty for any other code.
QString inputStatusText(int code);

// The running-time text: the elapsed time as a time of day, "hh:nn:ss" followed by one blank.
// Whole days are not shown.
QString elapsedText(qint64 milliseconds);

// The baud value given to the serial control for a baud list item: an item with "k" becomes its
// leading decimal number times 1000 ("19.2k" gives "19200"); any other item is used as it is.
QString baudSettingValue(const QString& item);
