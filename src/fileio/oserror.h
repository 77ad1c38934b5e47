#pragma once

#include <QString>

namespace orbelune {

// Why a file operation failed, in the terms of the program's messages. Both the errno values
// of POSIX systems and the error codes of Windows come down to these, so that one cause reads
// the same on every system.
enum class FileFault {
    NoSpace,
    Quota,
    ReadOnlyFileSystem,
    WriteProtected,
    NameTooLong,
    InvalidName,
    PermissionDenied,
    ReadOnlyFile,
    Io,
    TooLarge,
    NotFound,
    NotADirectory,
    IsADirectory,
    LinkLoop,
    Busy,
    HeldByOtherProgram,
    TooManyOpenFiles,
    NoMemory,
    TryAgain,
    NotSupported,
    NoDevice,
    DeviceNotReady,
    NetworkGone,
    AlreadyExists,
    Other,
};

// The cause in words. The system's own text would be English inside a Chinese message, and
// Qt's errorString() loses the cause ("Unknown error") where a write comes up short. code is
// shown only for FileFault::Other, where nothing better is known.
QString fileFaultText(FileFault fault, long long code = 0);

// The cause of a failed file operation, from its errno value.
FileFault fileFaultFromErrno(int code);
QString systemErrorText(int code);

#ifdef Q_OS_WIN
// The same from an error code of Windows (GetLastError()).
FileFault fileFaultFromWin32(unsigned long code);
QString win32ErrorText(unsigned long code);
#endif

} // namespace orbelune
