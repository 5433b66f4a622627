#pragma once

#include <QLoggingCategory>

// Errors that a handler ends silently are written here, for whoever supports a user. Off unless
// QT_LOGGING_RULES="brenix.debug=true" turns it on; the program writes no log file.
Q_DECLARE_LOGGING_CATEGORY(lcBrenix)

struct RuntimeError;
// Writes a silently ended error with the place it ended.
void logSilentError(const char* where, const RuntimeError& error);
