// The file layer's open file through the Win32 calls.

#include "fileio/nativefile.h"

#include "fileio/win32file.h"

#include <algorithm>
#include <windows.h>

namespace orbelune {

namespace {

// The position of a transfer: ReadFile and WriteFile take it with the call.
OVERLAPPED at(qint64 offset)
{
    OVERLAPPED position {};
    position.Offset = DWORD(offset);
    position.OffsetHigh = DWORD(quint64(offset) >> 32);
    return position;
}

} // namespace

Failure NativeFile::openForReading(const QString &path, qint64 &size)
{
    close();
    // "nul.txt" would open a device: reading the console could wait for ever.
    if (isWin32DevicePath(path))
        return Failure { FileFault::NotRegularFile };
    // A folder cannot be opened as a file, and would only say that access is denied.
    const DWORD attributes = GetFileAttributesW(win32FilePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastWin32Error();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Failure { FileFault::IsADirectory };
    // Another program may go on writing the file while it is read, as one that keeps a log
    // does; a program that holds it without sharing gets its own cause.
    reset(win32Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                    FILE_FLAG_SEQUENTIAL_SCAN));
    if (!isOpen())
        return lastWin32Error();
    if (GetFileType(HANDLE(m_handle)) != FILE_TYPE_DISK)
        return Failure { FileFault::NotRegularFile };
    LARGE_INTEGER bytes {};
    if (!GetFileSizeEx(HANDLE(m_handle), &bytes))
        return lastWin32Error();
    size = bytes.QuadPart;
    return {};
}

QByteArray NativeFile::version() const
{
    BY_HANDLE_FILE_INFORMATION information {};
    if (!GetFileInformationByHandle(HANDLE(m_handle), &information))
        return QByteArray();
    return QByteArray::number((quint64(information.nFileSizeHigh) << 32) | information.nFileSizeLow)
        + ' '
        + QByteArray::number((quint64(information.ftLastWriteTime.dwHighDateTime) << 32)
                             | information.ftLastWriteTime.dwLowDateTime);
}

Failure NativeFile::readAt(qint64 offset, char *buffer, qint64 size, qint64 &done) const
{
    for (done = 0; done < size;) {
        OVERLAPPED position = at(offset + done);
        DWORD n = 0;
        if (!ReadFile(HANDLE(m_handle), buffer + done,
                      DWORD(std::min<qint64>(size - done, 1 << 30)), &n, &position))
            return GetLastError() == ERROR_HANDLE_EOF ? Failure {} : lastWin32Error();
        if (n == 0)
            break;
        done += n;
    }
    return {};
}

Failure NativeFile::writeAt(qint64 offset, QByteArrayView bytes, qint64 &written) const
{
    for (written = 0; written < bytes.size();) {
        OVERLAPPED position = at(offset + written);
        DWORD n = 0;
        if (!WriteFile(HANDLE(m_handle), bytes.data() + written,
                       DWORD(std::min<qint64>(bytes.size() - written, 1 << 30)), &n, &position))
            return lastWin32Error();
        if (n == 0)
            return win32Error(ERROR_WRITE_FAULT);
        written += n;
    }
    return {};
}

Failure NativeFile::setSize(qint64 size) const
{
    FILE_END_OF_FILE_INFO end {};
    end.EndOfFile.QuadPart = size;
    return SetFileInformationByHandle(HANDLE(m_handle), FileEndOfFileInfo, &end, sizeof end)
        ? Failure {}
        : lastWin32Error();
}

Failure NativeFile::close()
{
    if (!isOpen())
        return {};
    const bool closed = CloseHandle(HANDLE(m_handle));
    m_handle = -1;
    return closed ? Failure {} : lastWin32Error();
}

} // namespace orbelune
