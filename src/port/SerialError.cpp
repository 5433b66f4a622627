#include "SerialError.h"

#include <cerrno>

RuntimeError serialError(SerialOp op, QSerialPort::SerialPortError error, const QString& osText,
                         int err)
{
    switch (op) {
    case SerialOp::Open:
        if (error == QSerialPort::PermissionError || error == QSerialPort::OpenError)
            return RuntimeError(err == EACCES ? Err::PermissionDenied : Err::PortBusy, osText);
        return RuntimeError(Err::NoSuchPort, osText);
    case SerialOp::Apply:
        return RuntimeError(Err::ApplyStateFailed, osText);
    case SerialOp::Read:
        return RuntimeError(Err::ReadFailed, osText);
    case SerialOp::Write:
        break;
    }
    return RuntimeError(Err::PortNotOpen, osText);
}
