#include "Log.h"

#include "RuntimeError.h"

Q_LOGGING_CATEGORY(lcBrenix, "brenix", QtInfoMsg)

void logSilentError(const char* where, const RuntimeError& error)
{
    qCDebug(lcBrenix, "%s: error %d (%s) %s", where, error.number, errorName(error.number),
            qUtf8Printable(error.detail));
}
