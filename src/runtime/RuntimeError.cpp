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

const char* errorName(int number)
{
    switch (number) {
    case Err::InvalidArgument:
        return "invalid argument";
    case Err::BadFileName:
        return "bad file name";
    case Err::FileNotFound:
        return "file not found";
    case Err::DiskFull:
        return "disk full";
    case Err::PermissionDenied:
        return "permission denied";
    case Err::PathFileAccess:
        return "path/file access error";
    case Err::PathNotFound:
        return "path not found";
    case Err::NoSuchPort:
        return "no such port";
    case Err::PortBusy:
        return "port already open";
    case Err::ApplyStateFailed:
        return "applying the port's communication state failed";
    case Err::PortNotOpen:
        return "port not open";
    case Err::ReadFailed:
        return "reading the device failed";
    case Err::DialogCancelled:
        return "dialog cancelled";
    default:
        return "";
    }
}
