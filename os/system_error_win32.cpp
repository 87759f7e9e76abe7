#include "os/system_error.h"

#include <windows.h>

#include <cerrno>

namespace skimmer::os {

namespace {
constexpr unsigned long kErrorDiskQuotaExceeded = 1295;  // ERROR_DISK_QUOTA_EXCEEDED, missing from MinGW's headers
}  // namespace

int errnoFromSystemError(unsigned long code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_CANNOT_MAKE:
        case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case kErrorDiskQuotaExceeded: return ENOSPC;  // MinGW has no EDQUOT: a quota is a full disk
        case ERROR_WRITE_PROTECT: return EROFS;
        case ERROR_DIRECTORY: return ENOTDIR;
        case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
        case ERROR_INVALID_HANDLE: return EBADF;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ENOMEM;
        case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
        case ERROR_NEGATIVE_SEEK: return EINVAL;
        case ERROR_NOT_SAME_DEVICE: return EXDEV;
        case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
        case ERROR_BUSY:
        case ERROR_BUSY_DRIVE: return EBUSY;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION: return ENOTSUP;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA: return EPIPE;
        case ERROR_TIMEOUT:
        case WAIT_TIMEOUT: return ETIMEDOUT;
        case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
        default: return EIO;
    }
}

int lastErrorAsErrno() { return errnoFromSystemError(::GetLastError()); }

}  // namespace skimmer::os
