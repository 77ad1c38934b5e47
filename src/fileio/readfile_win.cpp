// Reading a file for import through the Win32 calls.

#include "fileio/readfile_p.h"

#include "fileio/win32file.h"

#include <algorithm>
#include <windows.h>

namespace orbelune::readfile_platform {

FileError openForReading(const QString &path, qintptr &file)
{
    file = -1;
    // "nul.txt" would open a device: reading the console could wait for ever.
    if (isWin32DevicePath(path))
        return FileError { FileFault::NotRegularFile };
    const std::wstring native = win32FilePath(path);
    // A folder cannot be opened as a file, and would only say that access is denied.
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return win32Error(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileError { FileFault::IsADirectory };
    // Another program may go on writing the file while it is read, as one that keeps a log
    // does; a program that holds it without sharing gets its own cause.
    const HANDLE handle
        = CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return win32Error(GetLastError());
    file = reinterpret_cast<qintptr>(handle);
    return {};
}

FileError lookAtOpened(qintptr file, qint64 &size)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(file);
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return FileError { FileFault::NotRegularFile };
    LARGE_INTEGER bytes {};
    if (!GetFileSizeEx(handle, &bytes))
        return win32Error(GetLastError());
    size = bytes.QuadPart;
    return {};
}

FileError readSome(qintptr file, char *buffer, qint64 room, qint64 &read)
{
    DWORD n = 0;
    const BOOL done = ReadFile(reinterpret_cast<HANDLE>(file), buffer,
                               DWORD(std::min<qint64>(room, 1 << 30)), &n, nullptr);
    read = n;
    return done ? FileError {} : win32Error(GetLastError());
}

void closeFile(qintptr file)
{
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

} // namespace orbelune::readfile_platform
