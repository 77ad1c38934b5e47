#include "history/savefile.h"

#include "history/oserror.h"

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
#include <QSaveFile>
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

QString reason(const char *what, QFileDevice::FileError error)
{
    QString cause;
    switch (error) {
    case QFileDevice::PermissionsError:
        cause = QStringLiteral("权限被拒绝");
        break;
    case QFileDevice::ResourceError:
        cause = QStringLiteral("磁盘已满或资源不足");
        break;
    case QFileDevice::OpenError:
        cause = QStringLiteral("无法打开");
        break;
    default:
        cause = QStringLiteral("系统错误");
        break;
    }
    return QStringLiteral("%1（%2）。").arg(QString::fromUtf8(what), cause);
}

SaveOutcome writeThroughTemporary(const QString &path, const QByteArray &bytes)
{
    const QString targetPath = finalTarget(path);
    const QFileInfo info(targetPath);
    if (info.isDir())
        return failure(QStringLiteral("这是一个文件夹，不是文件。"));
    if (info.exists() && !info.isFile())
        return failure(QStringLiteral("这不是普通文件。"));
    if (!info.absoluteDir().exists())
        return failure(folderMissing(info.absolutePath()));

    QSaveFile file(targetPath);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failure(reason("无法创建文件", file.error()));
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QFileDevice::FileError error = file.error();
        file.cancelWriting();
        return failure(reason("写入文件时出错", error));
    }
    if (!file.commit())
        return failure(reason("写入文件时出错", file.error()));
    return SaveOutcome {};
}

#endif

} // namespace

SaveOutcome writeWholeFile(const QString &path, const QByteArray &bytes)
{
    return writeThroughTemporary(path, bytes);
}

} // namespace orbelune
