#pragma once

#include <QString>

// The device behind serial port number n (1 to 16): $BRENIX_PORT_DIR/comN when that variable
// is set (only the links in that folder exist as ports), else the fixed table of the platform.
QString portDevicePath(int port);
