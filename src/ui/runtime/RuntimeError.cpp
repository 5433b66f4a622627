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
