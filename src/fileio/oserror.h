#pragma once

#include <QString>

namespace orbelune {

// Why a file operation failed, in the terms of the program's messages. Both the errno values
// of POSIX systems and the error codes of Windows come down to these, so that one cause reads
// the same on every system.
enum class FileFault {
    None,
    NoSpace,
    Quota,
    ReadOnlyFileSystem,
    WriteProtected,
    NameTooLong,
    InvalidName,
    ColonInName, // Windows: a colon is a drive's or names a stream, never part of a file's name
    PermissionDenied,
    ReadOnlyFile,
    Io,
    TooLarge,
    NotFound,
    NotADirectory,
    IsADirectory,
    NotRegularFile, // a pipe, a device, a socket: nothing the program reads or replaces
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
    Changed, // renamed, removed, replaced or rewritten by another program while in use
    Other,
};

// The cause in words. The system's own text would be English inside a Chinese message, and
// Qt's errorString() loses the cause ("Unknown error") where a write comes up short. code is
// shown only for FileFault::Other, where nothing better is known.
QString fileFaultText(FileFault fault, long long code = 0);

// A file operation's failure: its cause, and the system's own code of it.
struct FileError
{
    FileFault fault = FileFault::None;
    long long code = 0; // errno or GetLastError(); shown only for FileFault::Other

    bool failed() const { return fault != FileFault::None; }
    QString text() const { return fileFaultText(fault, code); }
};

// The failure an errno value tells; FileFault::None for 0.
FileError errnoError(int code);

#ifdef Q_OS_WIN
// The same from an error code of Windows (GetLastError()).
FileError win32Error(unsigned long code);
#endif

} // namespace orbelune
