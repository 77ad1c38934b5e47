#include "fileio/savefile.h"

#include "fileio/oserror.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include "fileio/win32file.h"

#include <QRandomGenerator>

#include <algorithm>
#include <windows.h>
#endif

namespace orbelune {

namespace {

SaveOutcome failure(const QString &error, bool oldContentLost = false)
{
    return SaveOutcome { error, oldContentLost };
}

QString folderMissing(const QString &folder)
{
    return QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(folder));
}

// The file a path names once every link on the way has been followed; a link to nothing
// names the file it would create. Empty for a loop of links.
QString finalTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40; ++depth) {
        if (!info.isSymLink())
            return info.absoluteFilePath();
        info.setFile(info.symLinkTarget());
    }
    return QString();
}

#ifdef Q_OS_UNIX

QString reason(const char *what, int code)
{
    return QStringLiteral("%1（%2）。").arg(QString::fromUtf8(what), systemErrorText(code));
}

// Writes all of bytes from offset 0 on, going on after a short write and a signal. Returns 0
// or the errno of the write that failed; written counts the bytes that reached the file.
int writeAll(int fd, const QByteArray &bytes, qint64 &written)
{
    written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + written, size_t(bytes.size() - written),
                                   off_t(written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        written += n;
    }
    return 0;
}

int closeChecked(int fd)
{
    // After a close interrupted by a signal the descriptor is gone on Linux: never retry.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

// The temporary file beside target, created new with the default permissions. The name
// is target's with a random ending, or, where that would be too long a name, a short one.
int createTemporary(const QByteArray &target, QByteArray &temporary)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1);
    const long nameMax = ::pathconf(folder.isEmpty() ? "." : folder.constData(), _PC_NAME_MAX);
    const bool longName = nameMax > 0 && name.size() + 7 > nameMax;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray ending
            = QByteArray::number(QRandomGenerator::global()->bounded(quint32(2176782336u)), 36)
                  .rightJustified(6, '0'); // 36^6 endings
        temporary = folder + (longName ? QByteArray(".orbelune-") : name + '.') + ending;
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes the file over in place, for a folder in which no file may be created. The old
// content is overwritten from the start: if that fails half-way, it is gone, and the outcome
// says so. Where the new content is longer, room for it is reserved first, so that a full
// disk is found before anything is overwritten.
SaveOutcome writeInPlace(const QByteArray &target, const struct stat &old, const QByteArray &bytes)
{
    // Not blocking: whatever took the file's place since it was looked at (a pipe) must not
    // hang the program, and is refused below.
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return failure(reason("无法改写文件", errno));
    struct stat now
    {
    };
    if (::fstat(fd, &now) != 0 || !S_ISREG(now.st_mode) || now.st_ino != old.st_ino
        || now.st_dev != old.st_dev) {
        ::close(fd);
        return failure(QStringLiteral("这不是普通文件。"));
    }

#ifdef Q_OS_LINUX
    if (bytes.size() > now.st_size && ::fallocate(fd, 0, 0, off_t(bytes.size())) != 0) {
        const int code = errno;
        if (code == ENOSPC || code == EFBIG
#ifdef EDQUOT
            || code == EDQUOT
#endif
        ) {
            // Space reserved beyond the old end is given back; the content is untouched.
            if (::ftruncate(fd, now.st_size) != 0) {
                // Nothing was written: the old content is still all there.
            }
            ::close(fd);
            return failure(reason("写入文件时出错", code));
        }
        // A file system that cannot reserve space is written all the same.
    }
#endif

    qint64 written = 0;
    int code = writeAll(fd, bytes, written);
    bool lost = written > 0;
    if (code == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0)
        code = errno;
    if (code == 0 && ::fsync(fd) != 0) {
        code = errno;
        lost = true;
    }
    const int closed = closeChecked(fd);
    if (code == 0)
        code = closed;
    if (code != 0)
        return failure(reason("写入文件时出错", code), lost);
    return SaveOutcome {};
}

SaveOutcome writeThroughTemporary(const QString &path, const QByteArray &bytes)
{
    const QString targetPath = finalTarget(path);
    if (targetPath.isEmpty())
        return failure(reason("无法创建文件", ELOOP));
    const QByteArray target = QFile::encodeName(targetPath);

    struct stat old
    {
    };
    bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT) {
        if (errno == ENOTDIR)
            return failure(folderMissing(QFileInfo(targetPath).absolutePath()));
        return failure(reason("无法创建文件", errno));
    }
    if (exists && S_ISDIR(old.st_mode))
        return failure(QStringLiteral("这是一个文件夹，不是文件。"));
    // A pipe would hang the save and a device would take the result; neither may be replaced
    // by a file either.
    if (exists && !S_ISREG(old.st_mode))
        return failure(QStringLiteral("这不是普通文件。"));

    const QString folder = QFileInfo(targetPath).absolutePath();
    struct stat folderStat
    {
    };
    if (::stat(QFile::encodeName(folder).constData(), &folderStat) != 0
        || !S_ISDIR(folderStat.st_mode))
        return failure(folderMissing(folder));
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return failure(reason("不能改写这个文件", errno));
    if (!exists) {
        // Too long a name is a failure to create the file, not to write it; the temporary
        // file's own name must not hide it.
        const long nameMax = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
        const qsizetype nameLength = target.size() - target.lastIndexOf('/') - 1;
        if (nameMax > 0 && nameLength > nameMax)
            return failure(reason("无法创建文件", ENAMETOOLONG));
    }

    QByteArray temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) {
        const int code = errno;
        if (exists && (code == EACCES || code == EPERM))
            return writeInPlace(target, old, bytes);
        return failure(reason("无法创建文件", code));
    }
    const auto discard = [&temporary](int descriptor) {
        if (descriptor >= 0)
            ::close(descriptor);
        ::unlink(temporary.constData());
    };

    if (exists) {
        // Owner and group first: changing them clears the set-user and set-group bits. Who
        // may not give a file away keeps at least its group where a member of it.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
            // The new file is the saver's own, as any file it creates.
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            const int code = errno;
            discard(fd);
            return failure(reason("无法创建文件", code));
        }
    }

    qint64 written = 0;
    if (const int code = writeAll(fd, bytes, written); code != 0) {
        discard(fd);
        return failure(reason("写入文件时出错", code));
    }
    // The data reaches the disk here; a full disk or a failing one may only say so now.
    if (::fsync(fd) != 0) {
        const int code = errno;
        discard(fd);
        return failure(reason("写入文件时出错", code));
    }
    if (const int code = closeChecked(fd); code != 0) {
        discard(-1);
        return failure(reason("写入文件时出错", code));
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int code = errno;
        discard(-1);
        return failure(reason("无法用新文件替换原有的文件", code));
    }
    // The new name on the disk too, where the system lets a folder be synced.
    if (const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
        dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return SaveOutcome {};
}

#else

QString reason(const char *what, const QString &cause)
{
    return QStringLiteral("%1（%2）。").arg(QString::fromUtf8(what), cause);
}

QString reason(const char *what, DWORD code)
{
    return reason(what, win32ErrorText(code));
}

QString reason(const char *what, FileFault fault)
{
    return reason(what, fileFaultText(fault));
}

// A file handle, closed when it goes.
class Handle
{
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {
    }
    ~Handle() { close(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool isValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }
    // Closes it now: 0, or the error of the close, which may be the first word of a failed
    // write.
    DWORD close()
    {
        if (!isValid())
            return 0;
        const BOOL closed = CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed ? 0 : GetLastError();
    }

private:
    HANDLE m_handle;
};

// Which file a handle has open, to see that the file written in place is the one looked at.
struct FileIdentity
{
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity &) const = default;
};

bool identify(HANDLE file, FileIdentity &identity)
{
    BY_HANDLE_FILE_INFORMATION information {};
    if (!GetFileInformationByHandle(file, &information))
        return false;
    identity = { information.dwVolumeSerialNumber, information.nFileIndexHigh,
                 information.nFileIndexLow };
    return true;
}

// Writes all of bytes at the file's position. Returns 0 or the error of the write that failed;
// written counts the bytes that reached the file.
DWORD writeAll(HANDLE file, const QByteArray &bytes, qint64 &written)
{
    written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = DWORD(std::min<qint64>(bytes.size() - written, 1 << 30));
        DWORD n = 0;
        if (!WriteFile(file, bytes.constData() + written, chunk, &n, nullptr))
            return GetLastError();
        if (n == 0)
            return ERROR_WRITE_FAULT;
        written += n;
    }
    return 0;
}

// Sets the file's end at size, growing or cutting it, and leaves the position there.
DWORD setFileSize(HANDLE file, qint64 size)
{
    LARGE_INTEGER at {};
    at.QuadPart = size;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !SetEndOfFile(file))
        return GetLastError();
    return 0;
}

// A name beside target that is not taken: target's own with a random ending, or, where that
// would be too long a name, a short one.
QString nameBeside(const QFileInfo &target)
{
    const QString ending
        = QString::number(QRandomGenerator::global()->bounded(quint32(2176782336u)), 36)
              .rightJustified(6, u'0'); // 36^6 endings
    const QString name = target.fileName();
    return target.absolutePath() + u'/'
        + (name.size() + 7 > 255 ? QStringLiteral("orbelune-%1.tmp").arg(ending)
                                 : name + u'.' + ending);
}

// The temporary file beside target, created new; INVALID_HANDLE_VALUE with the error left
// for GetLastError() when it cannot be.
HANDLE createTemporary(const QFileInfo &target, QString &temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = nameBeside(target);
        const HANDLE file = CreateFileW(win32FilePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            SetLastError(code);
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// Writes the file over in place, for a folder in which no file may be created. The old
// content is overwritten from the start: if that fails half-way, it is gone, and the outcome
// says so. Where the new content is longer, room for it is reserved first, so that a full
// disk is found before anything is overwritten.
SaveOutcome writeInPlace(const std::wstring &target, const FileIdentity &old,
                         const QByteArray &bytes)
{
    // Others may read along; nobody else writes while the content is overwritten.
    Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid())
        return failure(reason("无法改写文件", GetLastError()));
    FileIdentity now;
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !identify(file.get(), now) || now != old)
        return failure(QStringLiteral("这不是普通文件。"));
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(file.get(), &size))
        return failure(reason("无法改写文件", GetLastError()));

    if (bytes.size() > size.QuadPart) {
        if (const DWORD code = setFileSize(file.get(), bytes.size()); code != 0) {
            // Nothing was written: the old content is still all there, and the room taken
            // beyond its end, if any, is given back.
            setFileSize(file.get(), size.QuadPart);
            return failure(reason("写入文件时出错", code));
        }
    }
    DWORD code = 0;
    if (const LARGE_INTEGER start {}; !SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
        code = GetLastError();
    qint64 written = 0;
    if (code == 0)
        code = writeAll(file.get(), bytes, written);
    bool lost = written > 0;
    if (code == 0)
        code = setFileSize(file.get(), bytes.size());
    if (code == 0 && !FlushFileBuffers(file.get())) {
        code = GetLastError();
        lost = true;
    }
    const DWORD closed = file.close();
    if (code == 0)
        code = closed;
    if (code != 0)
        return failure(reason("写入文件时出错", code), lost);
    return SaveOutcome {};
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

SaveOutcome writeThroughTemporary(const QString &path, const QByteArray &bytes)
{
    const QString targetPath = finalTarget(path);
    if (targetPath.isEmpty())
        return failure(reason("无法创建文件", FileFault::LinkLoop));
    const QFileInfo info(targetPath);
    // Whatever folder it stands in, "CON" or "nul.txt" is a device: writing the result there
    // would send it to the device and leave no file.
    if (isWin32DevicePath(targetPath))
        return failure(QStringLiteral("这不是普通文件。"));
    // Too long a name is a failure to create the file, whatever error the temporary file's
    // own name would give: NTFS and FAT take at most 255 UTF-16 units a name.
    if (info.fileName().size() > 255)
        return failure(reason("无法创建文件", FileFault::NameTooLong));
    // A colon names a stream of another file: the result would be hidden inside that one.
    if (info.fileName().contains(u':'))
        return failure(reason("无法创建文件", FileFault::InvalidName));

    const std::wstring target = win32FilePath(targetPath);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        const DWORD code = GetLastError();
        if (code == ERROR_PATH_NOT_FOUND)
            return failure(folderMissing(info.absolutePath()));
        if (code != ERROR_FILE_NOT_FOUND)
            return failure(reason("无法创建文件", code));
    }
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return failure(QStringLiteral("这是一个文件夹，不是文件。"));

    FileIdentity old;
    if (exists) {
        // The user set it read-only on purpose; only the user clears that.
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return failure(reason("不能改写这个文件", FileFault::ReadOnlyFile));
        // Opened to write and closed unwritten: a file another program holds, one the user
        // may not write and anything but a file on a disk are found before a byte is written.
        const Handle probe(CreateFileW(target.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.isValid())
            return failure(reason("不能改写这个文件", GetLastError()));
        if (GetFileType(probe.get()) != FILE_TYPE_DISK)
            return failure(QStringLiteral("这不是普通文件。"));
        if (!identify(probe.get(), old))
            return failure(reason("不能改写这个文件", GetLastError()));
    }

    QString temporaryPath;
    Handle file(createTemporary(info, temporaryPath));
    if (!file.isValid()) {
        const DWORD code = GetLastError();
        if (exists && code == ERROR_ACCESS_DENIED)
            return writeInPlace(target, old, bytes);
        return failure(reason("无法创建文件", code));
    }
    const std::wstring temporary = win32FilePath(temporaryPath);
    const auto discard = [&file, &temporary](DWORD code) {
        file.close();
        DeleteFileW(temporary.c_str());
        return failure(reason("写入文件时出错", code));
    };

    qint64 written = 0;
    if (const DWORD code = writeAll(file.get(), bytes, written); code != 0)
        return discard(code);
    // The data reaches the disk here; a full disk or a failing one may only say so now.
    if (!FlushFileBuffers(file.get()))
        return discard(GetLastError());
    if (const DWORD code = file.close(); code != 0)
        return discard(code);

    if (!exists) {
        if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD code = GetLastError();
            DeleteFileW(temporary.c_str());
            return failure(reason("无法创建文件", code));
        }
        return SaveOutcome {};
    }

    // ReplaceFileW gives the new file the old one's attributes, security and creation time.
    // The old file first takes the backup name, so that a step failing after that can still
    // bring it back; without one, a failure may leave no file at all.
    std::wstring backup;
    do
        backup = win32FilePath(nameBeside(info));
    while (GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (!ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        const DWORD code = GetLastError();
        QString error = reason("无法用新文件替换原有的文件", replaceCause(target, code));
        if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
            && !MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            // The old file is whole, under the other name; the user must know where.
            error += QStringLiteral("原有的文件现在名为“%1”。")
                         .arg(QDir::toNativeSeparators(QString::fromStdWString(backup)));
        }
        DeleteFileW(temporary.c_str());
        return failure(error);
    }
    if (!DeleteFileW(backup.c_str())) {
        // The save is done; the old content is left beside it under the backup name.
    }
    return SaveOutcome {};
}

#endif

} // namespace

SaveOutcome writeWholeFile(const QString &path, const QByteArray &bytes)
{
    return writeThroughTemporary(path, bytes);
}

} // namespace orbelune
