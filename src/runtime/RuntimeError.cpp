#include "RuntimeError.h"

#include <cerrno>

int fileErrorFromErrno(int err, int missingMeans)
{
    switch (err) {
    case ENOENT:
        return missingMeans;
    case ENOTDIR:
        return Err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return Err::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Err::DiskFull;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return Err::BadFileName;
    default:
        return Err::PathFileAccess;
    }
}

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
