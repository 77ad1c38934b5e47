// Saving a file through the POSIX calls.

#include "fileio/savefile_p.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbelune::savefile_platform {

namespace {

// The file a path names, found as the kernel finds it: each link's target, when relative,
// is taken from the real folder the link stands in (not from the path as typed, where ".."
// may climb out of a linked folder into another), and a link to nothing names the file the
// kernel would create. folder is the real folder that holds it.
SaveOutcome finalTarget(const QString &path, QString &target, QString &folder)
{
    QByteArray current = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    // The kernel follows at most 40 links for one name.
    for (int links = 0; links <= 40; ++links) {
        const qsizetype slash = current.lastIndexOf('/');
        const QByteArray name = current.mid(slash + 1);
        char *real = ::realpath(slash > 0 ? current.left(slash).constData() : "/", nullptr);
        if (!real) {
            if (errno == ENOENT || errno == ENOTDIR)
                return folderMissing(QFile::decodeName(current.left(slash)));
            return failure(SaveStep::Create, errnoError(errno));
        }
        const QByteArray realFolder(real);
        std::free(real);
        const QByteArray full = (realFolder == "/" ? QByteArray() : realFolder) + '/' + name;
        struct stat info = {};
        if (name.isEmpty() || ::lstat(full.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = QFile::decodeName(full);
            folder = QFile::decodeName(realFolder);
            return SaveOutcome {};
        }
        QByteArray link(qsizetype(info.st_size) + 1, Qt::Uninitialized);
        const ssize_t length = ::readlink(full.constData(), link.data(), size_t(link.size()));
        if (length < 0 || length >= link.size()) // gone, or changed since it was looked at
            return failure(SaveStep::Create, errnoError(length < 0 ? errno : EAGAIN));
        link.truncate(length);
        current = link.startsWith('/') ? link : realFolder + '/' + link;
    }
    return failure(SaveStep::Create, errnoError(ELOOP));
}

} // namespace

SaveOutcome lookAt(const QString &path, Target &target)
{
    QString targetPath;
    QString folder;
    if (SaveOutcome found = finalTarget(path, targetPath, folder); !found.ok())
        return found;
    const QByteArray native = QFile::encodeName(targetPath);

    struct stat old = {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    if (!exists && errno != ENOENT) {
        if (errno == ENOTDIR)
            return folderMissing(folder);
        return failure(SaveStep::Create, errnoError(errno));
    }
    if (exists && S_ISDIR(old.st_mode))
        return failure(SaveStep::Look, FileError { FileFault::IsADirectory });
    // A pipe would hang the save and a device would take the result; neither may be replaced
    // by a file either.
    if (exists && !S_ISREG(old.st_mode))
        return failure(SaveStep::Look, FileError { FileFault::NotRegularFile });

    struct stat folderStat = {};
    if (::stat(QFile::encodeName(folder).constData(), &folderStat) != 0
        || !S_ISDIR(folderStat.st_mode))
        return folderMissing(folder);
    if (exists && ::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
        return failure(SaveStep::Open, errnoError(errno));
    if (!exists) {
        // Too long a name is a failure to create the file, not to write it; the temporary
        // file's own name must not hide it.
        const long nameMax = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
        const qsizetype nameLength = native.size() - native.lastIndexOf('/') - 1;
        if (nameMax > 0 && nameLength > nameMax)
            return failure(SaveStep::Create, errnoError(ENAMETOOLONG));
    }

    target = Target { targetPath,
                      folder,
                      exists,
                      quint64(old.st_dev),
                      quint64(old.st_ino),
                      unsigned(old.st_uid),
                      unsigned(old.st_gid),
                      unsigned(old.st_mode & 07777) };
    return SaveOutcome {};
}

// The temporary file is created new with the default permissions. Its name is the target's
// with a random ending, or, where that would be too long a name, a short one.
FileError createTemporary(const Target &target, qintptr &file, QString &temporary)
{
    const QByteArray folder = QFile::encodeName(target.folder) + '/';
    const QByteArray name = QFile::encodeName(QFileInfo(target.path).fileName());
    const long nameMax = ::pathconf(folder.constData(), _PC_NAME_MAX);
    const bool longName = nameMax > 0 && name.size() + 7 > nameMax;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray ending
            = QByteArray::number(QRandomGenerator::global()->bounded(quint32(2176782336u)), 36)
                  .rightJustified(6, '0'); // 36^6 endings
        const QByteArray path
            = folder + (longName ? QByteArray(".orbelune-") : name + '.') + ending;
        file = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file >= 0) {
            temporary = QFile::decodeName(path);
            return {};
        }
        if (errno != EEXIST)
            return errnoError(errno);
    }
    return errnoError(EEXIST);
}

FileError takeOwnerAndMode(qintptr file, const Target &target)
{
    // Owner and group first: changing them clears the set-user and set-group bits. Who may not
    // give a file away keeps at least its group where a member of it.
    if (::fchown(int(file), uid_t(target.owner), gid_t(target.group)) != 0
        && ::fchown(int(file), uid_t(-1), gid_t(target.group)) != 0) {
        // The new file is the saver's own, as any file it creates.
    }
    return ::fchmod(int(file), mode_t(target.mode)) == 0 ? FileError {} : errnoError(errno);
}

FileError writeAt(qintptr file, qint64 offset, QByteArrayView bytes, qint64 &written)
{
    // Goes on after a short write and a signal.
    written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(int(file), bytes.data() + written,
                                   size_t(bytes.size() - written), off_t(offset + written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoError(errno);
        }
        if (n == 0)
            return errnoError(EIO);
        written += n;
    }
    return {};
}

FileError readAt(qintptr file, qint64 offset, qint64 size, QByteArray &bytes)
{
    bytes.resize(size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n
            = ::pread(int(file), bytes.data() + done, size_t(size - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoError(errno);
        }
        if (n == 0)
            return errnoError(EIO); // the file is shorter than it was a moment ago
        done += n;
    }
    return {};
}

FileError setSize(qintptr file, qint64 size)
{
    return ::ftruncate(int(file), off_t(size)) == 0 ? FileError {} : errnoError(errno);
}

FileError reserve(qintptr file, qint64 size)
{
#ifdef Q_OS_LINUX
    return ::fallocate(int(file), 0, 0, off_t(size)) == 0 ? FileError {} : errnoError(errno);
#else
    Q_UNUSED(file);
    Q_UNUSED(size);
    return FileError { FileFault::NotSupported };
#endif
}

FileError closeFile(qintptr file)
{
    // After a close interrupted by a signal the descriptor is gone on Linux: never retry.
    return ::close(int(file)) == 0 || errno == EINTR ? FileError {} : errnoError(errno);
}

FileError openInPlace(const Target &target, qintptr &file, bool &readable, qint64 &size)
{
    // Not blocking: whatever took the file's place since it was looked at (a pipe) must not
    // hang the program, and is refused below.
    const QByteArray native = QFile::encodeName(target.path);
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    file = ::open(native.constData(), O_RDWR | flags);
    readable = file >= 0;
    if (file < 0 && errno == EACCES)
        file = ::open(native.constData(), O_WRONLY | flags);
    if (file < 0)
        return errnoError(errno);
    struct stat now = {};
    if (::fstat(int(file), &now) != 0)
        return errnoError(errno);
    if (!S_ISREG(now.st_mode) || quint64(now.st_ino) != target.index
        || quint64(now.st_dev) != target.device)
        return FileError { FileFault::NotRegularFile };
    size = now.st_size;
    return {};
}

FileError replace(const QString &temporary, const Target &target, QString &oldNowAt)
{
    oldNowAt.clear();
    return ::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(target.path).constData())
            == 0
        ? FileError {}
        : errnoError(errno);
}

void removeFile(const QString &path)
{
    ::unlink(QFile::encodeName(path).constData());
}

} // namespace orbelune::savefile_platform

namespace orbelune {

FileError FileSync::syncFile(qintptr file) const
{
    return ::fsync(int(file)) == 0 ? FileError {} : errnoError(errno);
}

void FileSync::syncFolder(const QString &folder) const
{
    if (const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
        dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace orbelune
