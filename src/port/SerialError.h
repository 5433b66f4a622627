#pragma once

#include "runtime/RuntimeError.h"

// What was being done with the serial port when it failed.
enum class SerialOp { Open, Apply, Read, Write };

// The one mapping of serial port failures onto the runtime's numbers: opening gives 8002 (no
// such device), 8005 (held by another program: EBUSY, EWOULDBLOCK) or 70 (the user may not open
// it: EACCES, EPERM); applying settings 8015; reading 8020; writing 8018. The text is the
// system's own for `err`.
RuntimeError serialError(SerialOp op, int err);
