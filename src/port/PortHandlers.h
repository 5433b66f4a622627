#pragma once

#include <QString>

// The baud value given to the serial control for a baud list item: an item with "k" becomes its
// leading decimal number times 1000 ("19.2k" gives "19200"); any other item is used as it is.
QString baudSettingValue(const QString& item);
