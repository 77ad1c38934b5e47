// Saving a file through the Win32 calls.

#include "fileio/savefile_p.h"

#include "fileio/win32file.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstring>
#include <windows.h>
#include <winioctl.h>

namespace orbelune::savefile_platform {

namespace {

HANDLE handleOf(qintptr file)
{
    return reinterpret_cast<HANDLE>(file);
}

FileError lastError()
{
    return win32Error(GetLastError());
}

// A file handle, closed when it goes.
class Handle
{
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {
    }
    ~Handle()
    {
        if (isValid())
            CloseHandle(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool isValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

bool identify(HANDLE file, quint64 &volume, quint64 &index)
{
    BY_HANDLE_FILE_INFORMATION information {};
    if (!GetFileInformationByHandle(file, &information))
        return false;
    volume = information.dwVolumeSerialNumber;
    index = (quint64(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}

// The path Windows keeps for the file or folder at path once it is open, every link and
// junction on the way followed; false, with the error in code, where it cannot be opened.
bool openedPath(const QString &path, QString &opened, DWORD &code)
{
    const Handle file(CreateFileW(win32FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.isValid()) {
        code = GetLastError();
        return false;
    }
    std::wstring name(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file.get(), name.data(), DWORD(name.size()), 0);
    if (length >= name.size()) {
        name.resize(length);
        length = GetFinalPathNameByHandleW(file.get(), name.data(), DWORD(name.size()), 0);
    }
    if (length == 0 || length >= name.size()) {
        code = GetLastError();
        return false;
    }
    name.resize(length);
    opened = QString::fromStdWString(name);
    if (opened.startsWith(QLatin1String("\\\\?\\UNC\\")))
        opened = QLatin1String("\\\\") + opened.mid(8);
    else if (opened.startsWith(QLatin1String("\\\\?\\")))
        opened = opened.mid(4);
    opened = QDir::fromNativeSeparators(opened);
    return true;
}

// The target a symbolic link or a junction at path holds, as it holds it; empty where path is
// neither.
QString linkTarget(const QString &path)
{
    const Handle link(
        CreateFileW(win32FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // REPARSE_DATA_BUFFER, which MinGW keeps for drivers: the tag, two lengths, then the
    // offset and length of the substitute name, those of the print name, a symbolic link's
    // flags, and the names.
    alignas(ULONG) BYTE data[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
    DWORD size = 0;
    if (!link.isValid()
        || !DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data, sizeof data,
                            &size, nullptr))
        return QString();
    ULONG tag = 0;
    USHORT offset = 0;
    USHORT length = 0;
    ULONG flags = 0;
    std::memcpy(&tag, data, sizeof tag);
    std::memcpy(&offset, data + 8, sizeof offset);
    std::memcpy(&length, data + 10, sizeof length);
    qsizetype names = 16;
    if (tag == IO_REPARSE_TAG_SYMLINK) {
        std::memcpy(&flags, data + 16, sizeof flags);
        names = 20;
    } else if (tag != IO_REPARSE_TAG_MOUNT_POINT) {
        return QString();
    }
    if (names + offset + length > qsizetype(size))
        return QString();
    QString target(length / 2, Qt::Uninitialized);
    std::memcpy(target.data(), data + names + offset, length);
    // An absolute target is in the form of the native calls, "\??\C:\…".
    if (target.startsWith(QLatin1String("\\??\\UNC\\")))
        target = QLatin1String("\\\\") + target.mid(8);
    else if (target.startsWith(QLatin1String("\\??\\")))
        target = target.mid(4);
    return QDir::fromNativeSeparators(target);
}

bool hasColonInName(QStringView path)
{
    for (QStringView prefix : { u"\\\\?\\", u"//?/" }) {
        if (path.startsWith(prefix))
            path = path.mid(prefix.size());
    }
    if (path.size() >= 2 && path[1] == u':' && path[0].isLetter()) {
        const bool fromRoot = path.size() > 2 && (path[2] == u'\\' || path[2] == u'/');
        if (!fromRoot)
            return true;
        path = path.mid(2);
    }
    return path.contains(u':');
}

// Refuses a name that would not give a file on a disk.
SaveOutcome checkName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    // Whatever folder it stands in, "CON" or "nul.txt" is a device: writing the result there
    // would send it to the device and leave no file.
    if (isWin32DevicePath(path))
        return failure(SaveStep::Look, FileError { FileFault::NotRegularFile });
    // Too long a name is a failure to create the file, whatever error the temporary file's
    // own name would give: NTFS and FAT take at most 255 UTF-16 units a name.
    if (name.size() > 255)
        return failure(SaveStep::Create, FileError { FileFault::NameTooLong });
    // A colon belongs only to a drive ("D:\"). Anywhere else it names a stream of another
    // file, where the result would be hidden inside that one; and "a:b.txt", typed as a name,
    // is the file b.txt in the current folder of a drive A: that may not even exist.
    if (hasColonInName(path))
        return failure(SaveStep::Create, FileError { FileFault::ColonInName });
    return SaveOutcome {};
}

// The file a path names, found as Windows finds it: the folder opened and asked for its final
// path, then the file; a link or junction to nothing is followed by its stored target, a
// relative one taken from the real folder the link stands in, to the file Windows would
// create.
SaveOutcome finalTarget(const QString &path, QString &target)
{
    // The name as given first: made absolute, "a:b.txt" would pass for "A:/b.txt".
    if (SaveOutcome refusedName = checkName(path); !refusedName.ok())
        return refusedName;
    QString current = QFileInfo(path).absoluteFilePath();
    // Windows follows at most 63 reparse points for one name.
    for (int links = 0; links <= 63; ++links) {
        if (SaveOutcome refusedName = checkName(current); !refusedName.ok())
            return refusedName;
        const QFileInfo info(current);
        QString folder;
        DWORD code = 0;
        if (!openedPath(info.absolutePath(), folder, code)) {
            if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
                return folderMissing(info.absolutePath());
            return failure(SaveStep::Create, win32Error(code));
        }
        if (!folder.endsWith(u'/'))
            folder += u'/';
        const QString full = folder + info.fileName();
        if (openedPath(full, target, code))
            return SaveOutcome {};
        if (code == ERROR_CANT_RESOLVE_FILENAME)
            return failure(SaveStep::Create, FileError { FileFault::LinkLoop });
        const QString link = linkTarget(full);
        if (link.isEmpty()) {
            target = full;
            return SaveOutcome {};
        }
        current = QDir::cleanPath(QDir::isAbsolutePath(link) ? link : folder + link);
    }
    return failure(SaveStep::Create, FileError { FileFault::LinkLoop });
}

// A name beside target that is not taken: target's own with a random ending, or, where that
// would be too long a name, a short one.
QString nameBeside(const QString &target)
{
    const QFileInfo info(target);
    const QString ending
        = QString::number(QRandomGenerator::global()->bounded(quint32(2176782336u)), 36)
              .rightJustified(6, u'0'); // 36^6 endings
    const QString name = info.fileName();
    return info.absolutePath() + u'/'
        + (name.size() + 7 > 255 ? QStringLiteral("orbelune-%1.tmp").arg(ending)
                                 : name + u'.' + ending);
}

// ReplaceFileW's own errors say which of its steps failed, not why: the why is found by
// asking for what it asks of the old file, deleting it, while others keep what they hold.
DWORD replaceCause(const std::wstring &target, DWORD code)
{
    if (code != ERROR_UNABLE_TO_REMOVE_REPLACED && code != ERROR_UNABLE_TO_MOVE_REPLACEMENT
        && code != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        return code;
    const Handle file(CreateFileW(target.c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.isValid() ? code : GetLastError();
}

} // namespace

SaveOutcome lookAt(const QString &path, Target &target)
{
    QString targetPath;
    if (SaveOutcome found = finalTarget(path, targetPath); !found.ok())
        return found;
    if (SaveOutcome refusedName = checkName(targetPath); !refusedName.ok())
        return refusedName;
    const QFileInfo info(targetPath);

    const std::wstring native = win32FilePath(targetPath);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    target = Target { info.absoluteFilePath(), info.absolutePath(),
                      attributes != INVALID_FILE_ATTRIBUTES };
    if (!target.exists) {
        const DWORD code = GetLastError();
        if (code == ERROR_PATH_NOT_FOUND)
            return folderMissing(target.folder);
        if (code != ERROR_FILE_NOT_FOUND)
            return failure(SaveStep::Create, win32Error(code));
        return SaveOutcome {};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return failure(SaveStep::Look, FileError { FileFault::IsADirectory });
    // The user set it read-only on purpose; only the user clears that.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return failure(SaveStep::Open, FileError { FileFault::ReadOnlyFile });
    // Opened to write and closed unwritten: a file another program holds, one the user may not
    // write and anything but a file on a disk are found before a byte is written.
    const Handle probe(CreateFileW(native.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.isValid())
        return failure(SaveStep::Open, lastError());
    if (GetFileType(probe.get()) != FILE_TYPE_DISK)
        return failure(SaveStep::Look, FileError { FileFault::NotRegularFile });
    if (!identify(probe.get(), target.device, target.index))
        return failure(SaveStep::Open, lastError());
    return SaveOutcome {};
}

FileError createTemporary(const Target &target, qintptr &file, QString &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = nameBeside(target.path);
        const HANDLE handle = CreateFileW(win32FilePath(temporary).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            file = reinterpret_cast<qintptr>(handle);
            return {};
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            return win32Error(code);
    }
    return win32Error(ERROR_FILE_EXISTS);
}

// ReplaceFileW gives the new file the old one's attributes, security and creation time.
FileError takeOwnerAndMode(qintptr, const Target &)
{
    return {};
}

FileError writeAt(qintptr file, qint64 offset, QByteArrayView bytes, qint64 &written)
{
    written = 0;
    LARGE_INTEGER at {};
    at.QuadPart = offset;
    if (!SetFilePointerEx(handleOf(file), at, nullptr, FILE_BEGIN))
        return lastError();
    while (written < bytes.size()) {
        const DWORD chunk = DWORD(std::min<qint64>(bytes.size() - written, 1 << 30));
        DWORD n = 0;
        if (!WriteFile(handleOf(file), bytes.data() + written, chunk, &n, nullptr))
            return lastError();
        if (n == 0)
            return win32Error(ERROR_WRITE_FAULT);
        written += n;
    }
    return {};
}

FileError readAt(qintptr file, qint64 offset, qint64 size, QByteArray &bytes)
{
    bytes.resize(size);
    LARGE_INTEGER at {};
    at.QuadPart = offset;
    if (!SetFilePointerEx(handleOf(file), at, nullptr, FILE_BEGIN))
        return lastError();
    qint64 done = 0;
    while (done < size) {
        DWORD n = 0;
        if (!ReadFile(handleOf(file), bytes.data() + done,
                      DWORD(std::min<qint64>(size - done, 1 << 30)), &n, nullptr))
            return lastError();
        if (n == 0)
            return win32Error(ERROR_HANDLE_EOF); // the file is shorter than it was a moment ago
        done += n;
    }
    return {};
}

FileError setSize(qintptr file, qint64 size)
{
    LARGE_INTEGER at {};
    at.QuadPart = size;
    if (!SetFilePointerEx(handleOf(file), at, nullptr, FILE_BEGIN) || !SetEndOfFile(handleOf(file)))
        return lastError();
    return {};
}

// Windows takes the room when the file's end is set.
FileError reserve(qintptr file, qint64 size)
{
    return setSize(file, size);
}

FileError closeFile(qintptr file)
{
    return CloseHandle(handleOf(file)) ? FileError {} : lastError();
}

FileError openInPlace(const Target &target, qintptr &file, bool &readable, qint64 &size)
{
    // Others may read along; nobody else writes while the content is overwritten.
    const std::wstring native = win32FilePath(target.path);
    HANDLE handle = CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    readable = handle != INVALID_HANDLE_VALUE;
    if (!readable && GetLastError() == ERROR_ACCESS_DENIED)
        handle = CreateFileW(native.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    file = reinterpret_cast<qintptr>(handle);
    quint64 volume = 0;
    quint64 index = 0;
    if (GetFileType(handle) != FILE_TYPE_DISK || !identify(handle, volume, index)
        || volume != target.device || index != target.index)
        return FileError { FileFault::NotRegularFile };
    LARGE_INTEGER bytes {};
    if (!GetFileSizeEx(handle, &bytes))
        return lastError();
    size = bytes.QuadPart;
    return {};
}

FileError replace(const QString &temporary, const Target &target, QString &oldNowAt)
{
    oldNowAt.clear();
    const std::wstring from = win32FilePath(temporary);
    const std::wstring to = win32FilePath(target.path);
    if (!target.exists)
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) ? FileError {}
                                                                             : lastError();

    // The old file first takes the backup name, so that a step failing after that can still
    // bring it back; without one, a failure may leave no file at all.
    std::wstring backup;
    do
        backup = win32FilePath(nameBeside(target.path));
    while (GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (!ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        const DWORD code = GetLastError();
        if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
            && !MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
            // The old file is whole, under the other name; the user must know where.
            oldNowAt = QString::fromStdWString(backup);
        }
        return win32Error(replaceCause(to, code));
    }
    if (!DeleteFileW(backup.c_str())) {
        // The save is done; the old content is left beside it under the backup name.
    }
    return {};
}

void removeFile(const QString &path)
{
    DeleteFileW(win32FilePath(path).c_str());
}

} // namespace orbelune::savefile_platform

namespace orbelune {

FileError FileSync::syncFile(qintptr file) const
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(file)) ? FileError {}
                                                            : win32Error(GetLastError());
}

// A folder's names reach the disk with the write-through move and NTFS's own journal.
void FileSync::syncFolder(const QString &) const { }

} // namespace orbelune
