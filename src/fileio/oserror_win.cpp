// The error codes of Windows, mapped onto the one list of causes.

#include "fileio/oserror.h"

#include <windows.h>

namespace orbelune {

static FileFault fileFaultFromWin32(unsigned long code)
{
    switch (code) {
    case ERROR_SUCCESS:
        return FileFault::None;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileFault::NoSpace;
    case ERROR_NOT_ENOUGH_QUOTA:
        return FileFault::Quota;
    case ERROR_WRITE_PROTECT:
        return FileFault::WriteProtected;
    case ERROR_FILENAME_EXCED_RANGE:
        return FileFault::NameTooLong;
    case ERROR_INVALID_NAME:
        return FileFault::InvalidName;
    case ERROR_ACCESS_DENIED:
        return FileFault::PermissionDenied;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
        return FileFault::Io;
    case ERROR_FILE_TOO_LARGE:
        return FileFault::TooLarge;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileFault::NotFound;
    case ERROR_DIRECTORY:
        return FileFault::NotADirectory;
    case ERROR_CANT_RESOLVE_FILENAME:
        return FileFault::LinkLoop;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileFault::HeldByOtherProgram;
    case ERROR_TOO_MANY_OPEN_FILES:
        return FileFault::TooManyOpenFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return FileFault::NoMemory;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return FileFault::NotSupported;
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
        return FileFault::DeviceNotReady;
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NET_NAME:
    case ERROR_UNEXP_NET_ERR:
        return FileFault::NetworkGone;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FileFault::AlreadyExists;
    default:
        return FileFault::Other;
    }
}

Failure win32Error(unsigned long code)
{
    return Failure { fileFaultFromWin32(code), static_cast<long long>(code) };
}

} // namespace orbelune
