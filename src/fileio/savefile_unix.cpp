// Saving a file through the calls of Linux.

#include "fileio/savefile_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace orbelune::savefile_platform {

namespace {

SaveOutcome refused(int code)
{
    return failure(code == ENOTDIR ? SaveStep::Look : SaveStep::Create, errnoError(code));
}

// Where the kernel found an open file or folder, opened by the name named, every link on the
// way followed; empty, with errno set, where it cannot say.
QString realPath(const NativeFile &file, const QByteArray &named)
{
    char path[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(file.handle());
    const ssize_t length = ::readlink(link.constData(), path, sizeof path);
    if (length > 0 && length < ssize_t(sizeof path))
        return QFile::decodeName(QByteArray(path, length));
    // Without /proc (a bare chroot), the links the kernel has just followed are read back, and
    // must lead to the same file.
    struct stat opened = {};
    struct stat found = opened;
    if (!::realpath(named.constData(), path) || ::fstat(int(file.handle()), &opened) != 0
        || ::stat(path, &found) != 0)
        return QString();
    if (opened.st_dev == found.st_dev && opened.st_ino == found.st_ino)
        return QFile::decodeName(path);
    errno = EAGAIN; // a link changed meanwhile
    return QString();
}

// A folder that lets no file in it be renamed or removed (chattr +a): a new file would stay
// beside the old one.
bool keepsEveryName(const QString &folder)
{
    const NativeFile dir(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int flags = 0;
    return dir.isOpen() && ::ioctl(int(dir.handle()), FS_IOC_GETFLAGS, &flags) == 0
        && (flags & FS_APPEND_FL);
}

// Looks at the file the kernel opened for a name: what it is, where it is, and whether the
// user may write it.
SaveOutcome lookAtOpened(const NativeFile &file, const QByteArray &named, Target &target)
{
    struct stat old = {};
    if (::fstat(int(file.handle()), &old) != 0)
        return refused(errno);
    if (S_ISDIR(old.st_mode))
        return failure(SaveStep::Look, FileError { FileFault::IsADirectory });
    // A pipe would hang the save and a device would take the result; neither may be replaced
    // by a file either.
    if (!S_ISREG(old.st_mode))
        return failure(SaveStep::Look, FileError { FileFault::NotRegularFile });
    const QString path = realPath(file, named);
    if (path.isEmpty())
        return refused(errno);
    if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) != 0)
        return failure(SaveStep::Open, errnoError(errno));
    target = Target { path,
                      QFileInfo(path).path(),
                      true,
                      quint64(old.st_dev),
                      quint64(old.st_ino),
                      unsigned(old.st_uid),
                      unsigned(old.st_gid),
                      unsigned(old.st_mode & 07777),
                      old.st_nlink > 1 };
    target.inPlace = target.inPlace || keepsEveryName(target.folder);
    return SaveOutcome {};
}

// Creates the file at a name for a save that writes it in place: through a link to nothing, so
// that the kernel, not the program, decides where the link leads and whether it may be
// followed; or in a folder that would keep a temporary file for good.
SaveOutcome createAt(const QByteArray &name, int flags, Target &target)
{
    const NativeFile made(
        ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | flags, 0666));
    if (!made.isOpen())
        return refused(errno);
    SaveOutcome looked = lookAtOpened(made, name, target);
    target.inPlace = true;
    target.created = true;
    return looked;
}

// A call that fills a buffer of a size it is asked for first, as the extended attribute calls
// do; nothing, with errno set, where it fails.
template <typename Call> std::optional<QByteArray> sized(Call call)
{
    for (;;) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0)
            return std::nullopt;
        QByteArray bytes(size, Qt::Uninitialized);
        const ssize_t got = call(bytes.data(), size_t(size));
        if (got >= 0)
            return bytes.left(got);
        if (errno != ERANGE) // grown since it was measured: asked again
            return std::nullopt;
    }
}

QList<QByteArray> namesIn(const std::optional<QByteArray> &list)
{
    QList<QByteArray> names = list ? list->split('\0') : QList<QByteArray>();
    names.removeAll(QByteArray());
    return names;
}

} // namespace

SaveOutcome lookAt(const QString &path, Target &target)
{
    const QByteArray native = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    // The kernel follows the links on the way, under its rules.
    if (const NativeFile file(::open(native.constData(), O_PATH | O_CLOEXEC)); file.isOpen())
        return lookAtOpened(file, native, target);
    if (errno != ENOENT)
        return refused(errno);

    struct stat link = {};
    if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return createAt(native, O_NONBLOCK, target);
    const QByteArray folderName = native.left(std::max<qsizetype>(1, native.lastIndexOf('/')));
    const NativeFile folder(::open(folderName.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen() && errno == ENOENT)
        return failure(SaveStep::Look, FileError { FileFault::NotFound }, OldContent::Untouched,
                       QFile::decodeName(folderName));
    const QString real = folder.isOpen() ? realPath(folder, folderName) : QString();
    if (real.isEmpty())
        return refused(errno);
    target = Target { QDir(real).filePath(QFileInfo(path).fileName()), real };
    if (keepsEveryName(target.folder))
        return createAt(QFile::encodeName(target.path), O_EXCL, target);
    return SaveOutcome {};
}

// The temporary file is created new with the default permissions. Its name is the target's
// with a random ending, or, where that would be too long a name, a short one.
FileError createTemporary(const Target &target, NativeFile &file, QString &temporary)
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
        file.reset(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file.isOpen()) {
            temporary = QFile::decodeName(path);
            return {};
        }
        if (errno != EEXIST)
            return errnoError(errno);
    }
    return errnoError(EEXIST);
}

FileError carryOver(const NativeFile &file, const Target &target)
{
    const int fd = int(file.handle());
    // Owner and group first: changing them clears the set-user and set-group bits. Who may not
    // give a file away keeps at least its group where a member of it.
    if (::fchown(fd, uid_t(target.owner), gid_t(target.group)) != 0
        && ::fchown(fd, uid_t(-1), gid_t(target.group)) != 0) {
        // The new file is the saver's own, as any file it creates.
    }
    if (::fchmod(fd, mode_t(target.mode)) != 0)
        return errnoError(errno);
    // Each extended attribute as the old file has it, the access ACL among them; what the new
    // file got of its own (an ACL from the folder's default) and the old one lacks goes.
    const QByteArray old = QFile::encodeName(target.path);
    const std::optional<QByteArray> oldList
        = sized([&](char *list, size_t size) { return ::llistxattr(old.constData(), list, size); });
    if (!oldList && errno != ENOTSUP)
        return errnoError(errno);
    const QList<QByteArray> names = namesIn(oldList);
    for (const QByteArray &name :
         namesIn(sized([fd](char *list, size_t size) { return ::flistxattr(fd, list, size); }))) {
        if (!names.contains(name) && ::fremovexattr(fd, name.constData()) != 0)
            return errnoError(errno);
    }
    for (const QByteArray &name : names) {
        const char *const key = name.constData();
        const std::optional<QByteArray> wanted = sized([&](char *value, size_t size) {
            return ::lgetxattr(old.constData(), key, value, size);
        });
        if (!wanted)
            return errnoError(errno);
        const std::optional<QByteArray> given
            = sized([&](char *value, size_t size) { return ::fgetxattr(fd, key, value, size); });
        // A label the system gave the new file already (security.selinux) is not set again.
        if (given != wanted
            && ::fsetxattr(fd, key, wanted->constData(), size_t(wanted->size()), 0) != 0)
            return errnoError(errno);
    }
    return {};
}

FileError reserve(const NativeFile &file, qint64 size)
{
    return ::fallocate(int(file.handle()), 0, 0, off_t(size)) == 0 ? FileError {}
                                                                   : errnoError(errno);
}

FileError openInPlace(const Target &target, NativeFile &file, bool &readable, qint64 &size)
{
    // Not blocking: whatever took the file's place since it was looked at (a pipe) must not
    // hang the program, and is refused below.
    const QByteArray native = QFile::encodeName(target.path);
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    file.reset(::open(native.constData(), O_RDWR | flags));
    readable = file.isOpen();
    if (!file.isOpen() && errno == EACCES)
        file.reset(::open(native.constData(), O_WRONLY | flags));
    struct stat now = {};
    if (!file.isOpen() || ::fstat(int(file.handle()), &now) != 0)
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

bool removeFile(const QString &path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
}

} // namespace orbelune::savefile_platform

namespace orbelune {

FileError FileSync::syncFile(qintptr file) const
{
    return ::fsync(int(file)) == 0 ? FileError {} : errnoError(errno);
}

void FileSync::syncFolder(const QString &folder) const
{
    const NativeFile dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(int(dir.handle()));
}

} // namespace orbelune
