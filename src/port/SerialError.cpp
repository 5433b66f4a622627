#include "SerialError.h"

#include <QString>

#include <cerrno>
#include <cstring>

RuntimeError serialError(SerialOp op, int err)
{
    const QString text = QString::fromLocal8Bit(std::strerror(err));
    switch (op) {
    case SerialOp::Open:
        if (err == EACCES || err == EPERM)
            return RuntimeError(Err::PermissionDenied, text);
        if (err == EBUSY || err == EWOULDBLOCK)
            return RuntimeError(Err::PortBusy, text);
        return RuntimeError(Err::NoSuchPort, text);
    case SerialOp::Apply:
        return RuntimeError(Err::ApplyStateFailed, text);
    case SerialOp::Read:
        return RuntimeError(Err::ReadFailed, text);
    case SerialOp::Write:
        break;
    }
    return RuntimeError(Err::PortNotOpen, text);
}
