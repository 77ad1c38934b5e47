// The error codes of Windows, mapped onto the one list of causes.

#include "fileio/oserror.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <windows.h>

namespace orbelune {

// Each error code of Windows the program tells apart, with its cause; any other is
// FileFault::Other.
constexpr std::pair<unsigned long, FileFault> faults[] = {
    { ERROR_DISK_FULL, FileFault::NoSpace },
    { ERROR_HANDLE_DISK_FULL, FileFault::NoSpace },
    { ERROR_NOT_ENOUGH_QUOTA, FileFault::Quota },
    { ERROR_WRITE_PROTECT, FileFault::WriteProtected },
    { ERROR_FILENAME_EXCED_RANGE, FileFault::NameTooLong },
    { ERROR_INVALID_NAME, FileFault::InvalidName },
    { ERROR_ACCESS_DENIED, FileFault::PermissionDenied },
    { ERROR_CRC, FileFault::Io },
    { ERROR_IO_DEVICE, FileFault::Io },
    { ERROR_SECTOR_NOT_FOUND, FileFault::Io },
    { ERROR_WRITE_FAULT, FileFault::Io },
    { ERROR_READ_FAULT, FileFault::Io },
    { ERROR_FILE_TOO_LARGE, FileFault::TooLarge },
    { ERROR_FILE_NOT_FOUND, FileFault::NotFound },
    { ERROR_PATH_NOT_FOUND, FileFault::NotFound },
    { ERROR_DIRECTORY, FileFault::NotADirectory },
    { ERROR_CANT_RESOLVE_FILENAME, FileFault::LinkLoop },
    { ERROR_SHARING_VIOLATION, FileFault::HeldByOtherProgram },
    { ERROR_LOCK_VIOLATION, FileFault::HeldByOtherProgram },
    { ERROR_TOO_MANY_OPEN_FILES, FileFault::TooManyOpenFiles },
    { ERROR_NOT_ENOUGH_MEMORY, FileFault::NoMemory },
    { ERROR_OUTOFMEMORY, FileFault::NoMemory },
    { ERROR_NOT_SUPPORTED, FileFault::NotSupported },
    { ERROR_INVALID_FUNCTION, FileFault::NotSupported },
    { ERROR_NOT_READY, FileFault::DeviceNotReady },
    { ERROR_DEVICE_NOT_CONNECTED, FileFault::DeviceNotReady },
    { ERROR_DEV_NOT_EXIST, FileFault::DeviceNotReady },
    { ERROR_BAD_NETPATH, FileFault::NetworkGone },
    { ERROR_NETNAME_DELETED, FileFault::NetworkGone },
    { ERROR_BAD_NET_NAME, FileFault::NetworkGone },
    { ERROR_UNEXP_NET_ERR, FileFault::NetworkGone },
    { ERROR_FILE_EXISTS, FileFault::AlreadyExists },
    { ERROR_ALREADY_EXISTS, FileFault::AlreadyExists },
};

Failure win32Error(unsigned long code)
{
    if (code == 0)
        return {};
    const auto known = std::find_if(std::begin(faults), std::end(faults),
                                    [code](const auto &entry) { return entry.first == code; });
    return Failure { known == std::end(faults) ? FileFault::Other : known->second,
                     static_cast<long long>(code) };
}

Failure lastWin32Error()
{
    return win32Error(GetLastError());
}

} // namespace orbelune
