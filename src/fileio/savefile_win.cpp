// Saving a file through the Win32 calls.

#include "fileio/savefile_p.h"

#include "fileio/win32file.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

namespace orbelune::savefile_platform {

namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Which file an open one is; links counts its names.
bool identify(const NativeFile &file, quint64 &volume, quint64 &index, DWORD *links = nullptr)
{
    BY_HANDLE_FILE_INFORMATION information {};
    if (!GetFileInformationByHandle(HANDLE(file.handle()), &information))
        return false;
    volume = information.dwVolumeSerialNumber;
    index = (quint64(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    if (links)
        *links = information.nNumberOfLinks;
    return true;
}

// The path Windows keeps for the file or folder at path once it is open, every link and
// junction on the way followed; false, with the error in code, where it cannot be opened.
bool openedPath(const QString &path, QString &opened, DWORD &code)
{
    const NativeFile file(
        win32Open(path, FILE_READ_ATTRIBUTES, shareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    if (!file.isOpen()) {
        code = GetLastError();
        return false;
    }
    std::wstring name(MAX_PATH, L'\0');
    DWORD length
        = GetFinalPathNameByHandleW(HANDLE(file.handle()), name.data(), DWORD(name.size()), 0);
    if (length >= name.size()) {
        name.resize(length);
        length
            = GetFinalPathNameByHandleW(HANDLE(file.handle()), name.data(), DWORD(name.size()), 0);
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
Failure checkName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    // Whatever folder it stands in, "CON" or "nul.txt" is a device: writing the result there
    // would send it to the device and leave no file.
    if (isWin32DevicePath(path))
        return failure(FailureStep::Look, FileFault::NotRegularFile);
    // Too long a name is a failure to create the file, whatever error the temporary file's
    // own name would give: NTFS and FAT take at most 255 UTF-16 units a name.
    if (name.size() > 255)
        return failure(FailureStep::Create, FileFault::NameTooLong);
    // A colon belongs only to a drive ("D:\"): elsewhere it names a stream, hiding the result in
    // another file, and "a:b.txt" is b.txt in the current folder of a drive A: maybe missing.
    if (hasColonInName(path))
        return failure(FailureStep::Create, FileFault::ColonInName);
    return Failure {};
}

// The file a path names, as Windows resolves it (the folder's final path, then the file's). A
// link or junction to nothing is created through, by Windows under its own rules (created).
Failure finalTarget(const QString &path, QString &target, bool &created)
{
    // The name as given first: made absolute, "a:b.txt" would pass for "A:/b.txt".
    if (Failure refusedName = checkName(path); refusedName.failed())
        return refusedName;
    const QFileInfo info(QFileInfo(path).absoluteFilePath());
    QString folder;
    DWORD code = 0;
    if (!openedPath(info.absolutePath(), folder, code)) {
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return failure(FailureStep::Look, FileFault::NotFound, OldContent::Untouched,
                           info.absolutePath());
        return failure(FailureStep::Create, win32Error(code));
    }
    if (!(GetFileAttributesW(win32FilePath(folder).c_str()) & FILE_ATTRIBUTE_DIRECTORY))
        return failure(FailureStep::Look, FileFault::NotADirectory);
    const QString full = folder + (folder.endsWith(u'/') ? "" : "/") + info.fileName();
    if (openedPath(full, target, code))
        return Failure {};
    if (code == ERROR_CANT_RESOLVE_FILENAME)
        return failure(FailureStep::Create, FileFault::LinkLoop);
    target = full;
    const DWORD attributes = GetFileAttributesW(win32FilePath(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Failure {};
    created = NativeFile(win32Open(full, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS)).isOpen();
    if (!created || !openedPath(full, target, code))
        return failure(FailureStep::Create, win32Error(created ? code : GetLastError()));
    return Failure {};
}

// A free name beside target: its own with a random ending, or a short one where too long, in
// UTF-8 bytes: a share served from Linux (Samba, Wine's own drives) holds 255 bytes a name.
QString nameBeside(const QString &target)
{
    const QFileInfo info(target);
    const QString ending
        = QString::number(QRandomGenerator::global()->bounded(quint32(2176782336u)), 36)
              .rightJustified(6, u'0'); // 36^6 endings
    const QString name = info.fileName();
    return info.absolutePath() + u'/'
        + (name.toUtf8().size() + 7 > 255 ? QStringLiteral("orbelune-%1.tmp").arg(ending)
                                          : name + u'.' + ending);
}

// ReplaceFileW's own errors say which of its steps failed, not why: the why is found by
// asking for what it asks of the old file, deleting it, while others keep what they hold.
DWORD replaceCause(const QString &target, DWORD code)
{
    if (code != ERROR_UNABLE_TO_REMOVE_REPLACED && code != ERROR_UNABLE_TO_MOVE_REPLACEMENT
        && code != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        return code;
    const NativeFile file(win32Open(target, DELETE, shareAll, OPEN_EXISTING));
    return file.isOpen() ? code : GetLastError();
}

} // namespace

Failure lookAt(const QString &path, Target &target)
{
    QString targetPath;
    bool created = false;
    if (Failure found = finalTarget(path, targetPath, created); found.failed())
        return found;
    if (Failure refusedName = checkName(targetPath); refusedName.failed())
        return refusedName;
    const QFileInfo info(targetPath);

    const DWORD attributes = GetFileAttributesW(win32FilePath(targetPath).c_str());
    target.path = info.absoluteFilePath();
    target.exists = attributes != INVALID_FILE_ATTRIBUTES;
    target.created = created;
    if (!target.exists) {
        const DWORD code = GetLastError();
        if (code == ERROR_PATH_NOT_FOUND)
            return failure(FailureStep::Look, FileFault::NotFound, OldContent::Untouched,
                           info.absolutePath());
        if (code != ERROR_FILE_NOT_FOUND)
            return failure(FailureStep::Create, win32Error(code));
        return Failure {};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return failure(FailureStep::Look, FileFault::IsADirectory);
    // The user set it read-only on purpose; only the user clears that.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return failure(FailureStep::Open, FileFault::ReadOnlyFile);
    // Opened to write and closed unwritten: a file another program holds, one the user may not
    // write and anything but a file on a disk are found before a byte is written.
    const NativeFile probe(win32Open(targetPath, GENERIC_WRITE, shareAll, OPEN_EXISTING));
    if (!probe.isOpen())
        return failure(FailureStep::Open, lastWin32Error());
    if (GetFileType(HANDLE(probe.handle())) != FILE_TYPE_DISK)
        return failure(FailureStep::Look, FileFault::NotRegularFile);
    DWORD links = 0;
    if (!identify(probe, target.device, target.index, &links))
        return failure(FailureStep::Open, lastWin32Error());
    // A replacement would split hard links; a file just made through a link keeps the link.
    target.inPlace = links > 1 || created;
    return Failure {};
}

Failure createTemporary(const Target &target, Temporary &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.name = nameBeside(target.path);
        temporary.file.reset(win32Open(temporary.name, GENERIC_WRITE, 0, CREATE_NEW));
        if (temporary.file.isOpen())
            return {};
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            return win32Error(code);
    }
    return win32Error(ERROR_FILE_EXISTS);
}

// ReplaceFileW gives the new file the old one's attributes, DACL, named streams, creation time.
Failure carryOver(const NativeFile &, const Target &)
{
    return {};
}

// Windows takes the room when the file's end is set.
Failure reserve(const NativeFile &file, qint64 size)
{
    return file.setSize(size);
}

Failure openInPlace(const Target &target, NativeFile &file, bool &readable, qint64 &size)
{
    // Others may read along; nobody else writes while the content is overwritten.
    file.reset(
        win32Open(target.path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
    readable = file.isOpen();
    if (!readable && GetLastError() == ERROR_ACCESS_DENIED)
        file.reset(win32Open(target.path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
    if (!file.isOpen())
        return lastWin32Error();
    quint64 volume = 0;
    quint64 index = 0;
    if (GetFileType(HANDLE(file.handle())) != FILE_TYPE_DISK || !identify(file, volume, index)
        || volume != target.device || index != target.index)
        return Failure { FileFault::NotRegularFile };
    LARGE_INTEGER bytes {};
    if (!GetFileSizeEx(HANDLE(file.handle()), &bytes))
        return lastWin32Error();
    size = bytes.QuadPart;
    return {};
}

bool (*flushFileBuffers)(qintptr file)
    = [](qintptr file) { return FlushFileBuffers(HANDLE(file)) != FALSE; };

Failure flush(const NativeFile &file)
{
    return flushFileBuffers(file.handle()) ? Failure {} : lastWin32Error();
}

// A folder's names reach the disk with the write-through move and NTFS's own journal.
void flushFolder(const Target &) { }

Failure replace(Temporary &temporary, const Target &target, QString &oldNowAt)
{
    oldNowAt.clear();
    if (const Failure error = temporary.file.close(); error.failed())
        return error;
    const std::wstring from = win32FilePath(temporary.name);
    const std::wstring to = win32FilePath(target.path);
    if (!target.exists)
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) ? Failure {}
                                                                             : lastWin32Error();

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
        return win32Error(replaceCause(target.path, code));
    }
    // The save is done; a backup that cannot be deleted leaves the old content beside it.
    DeleteFileW(backup.c_str());
    return {};
}

bool discard(Temporary &temporary, const Target &)
{
    temporary.file.close();
    return DeleteFileW(win32FilePath(temporary.name).c_str())
        || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool removeCreated(const Target &target)
{
    return DeleteFileW(win32FilePath(target.path).c_str())
        || GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace orbelune::savefile_platform
