#include "platform/com/Errno.h"

#include <cerrno>

uint32_t Win32ErrorFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case ENOENT: return 2;           // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;          // ERROR_PATH_NOT_FOUND
    case EMFILE:
    case ENFILE: return 4;           // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EISDIR: return 5;           // ERROR_ACCESS_DENIED (Windows' answer for a folder too)
    case EBADF: return 6;            // ERROR_INVALID_HANDLE
    case ENOMEM: return 14;          // ERROR_OUTOFMEMORY, so E_OUTOFMEMORY
    case EROFS: return 19;           // ERROR_WRITE_PROTECT
    case EBUSY:
    case ETXTBSY: return 32;         // ERROR_SHARING_VIOLATION
    case EEXIST: return 80;          // ERROR_FILE_EXISTS
    case EINVAL: return 87;          // ERROR_INVALID_PARAMETER
    case ENOSPC:
    case EDQUOT: return 112;         // ERROR_DISK_FULL
    case ENAMETOOLONG: return 206;   // ERROR_FILENAME_EXCED_RANGE
    case EFBIG: return 223;          // ERROR_FILE_TOO_LARGE
    case EIO: return 1117;           // ERROR_IO_DEVICE
    case EILSEQ: return 1113;        // ERROR_NO_UNICODE_TRANSLATION
    case ELOOP: return 1921;         // ERROR_CANT_RESOLVE_FILENAME
    default: return 31;              // ERROR_GEN_FAILURE
  }
}

HRESULT HResultFromErrno(int err) { return HRESULT_FROM_WIN32(Win32ErrorFromErrno(err)); }
