// Saving a file through the calls of Linux. Once the kernel has opened the file's folder, every
// call works relative to that descriptor, with names as the kernel's bytes.

#include "fileio/savefile_p.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace orbelune::savefile_platform {

namespace {

int fd(const NativeFile &file)
{
    return int(file.handle());
}

Failure refused(int code)
{
    return failure(code == ENOTDIR ? FailureStep::Look : FailureStep::Create, errnoError(code));
}

const Failure changed { FileFault::Changed };

QByteArray procPath(const NativeFile &file)
{
    return "/proc/self/fd/" + QByteArray::number(file.handle());
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// False where the file's name in folder (or, with no name, folder itself) is no longer the file
// held: renamed, removed or replaced meanwhile.
bool stillNamed(const NativeFile &file, const NativeFile &folder, const QByteArray &name)
{
    struct stat held = {};
    struct stat named = {};
    return ::fstat(fd(file), &held) == 0
        && ::fstatat(fd(folder), name.constData(), &named,
                     name.isEmpty() ? AT_EMPTY_PATH : AT_SYMLINK_NOFOLLOW)
        == 0
        && sameFile(held, named);
}

// Opens the folder of an open file and finds its name there: where /proc/self/fd says the kernel
// found it, or without /proc (a bare chroot, a sandbox) where realpath() reads the links back.
// Either is a name looked up again, so the folder counts only where it holds that very file.
Failure openFolderOf(const NativeFile &file, const QByteArray &named, Target &target)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(procPath(file).constData(), buffer, sizeof buffer);
    QByteArray where;
    if (length > 0 && length < ssize_t(sizeof buffer))
        where = QByteArray(buffer, length);
    else if (::realpath(named.constData(), buffer))
        where = buffer;
    else
        return errnoError(errno);
    const qsizetype slash = where.lastIndexOf('/');
    target.name = where.mid(slash + 1);
    target.folderHandle.reset(
        ::open(slash > 0 ? where.left(slash).constData() : "/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    target.path = QFile::decodeName(where);
    // And the user's name must still lead to it, not to what took its place meanwhile.
    const NativeFile again(::open(named.constData(), O_PATH | O_CLOEXEC));
    return stillNamed(file, target.folderHandle, target.name)
            && stillNamed(file, again, QByteArray())
        ? Failure {}
        : changed;
}

// A folder where no file may be renamed or removed (chattr +a): a new file would stay beside.
bool keepsEveryName(const NativeFile &folder)
{
    const NativeFile dir(::openat(fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int flags = 0;
    return dir.isOpen() && ::ioctl(fd(dir), FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_APPEND_FL);
}

// Looks at the file the kernel opened for a name (what, where, writable?), and holds it.
Failure lookAtOpened(NativeFile &file, const QByteArray &named, Target &target)
{
    struct stat old = {};
    if (::fstat(fd(file), &old) != 0)
        return refused(errno);
    if (S_ISDIR(old.st_mode))
        return failure(FailureStep::Look, FileFault::IsADirectory);
    // A pipe would hang the save, a device take the result, and neither may become a file.
    if (!S_ISREG(old.st_mode))
        return failure(FailureStep::Look, FileFault::NotRegularFile);
    if (const Failure error = openFolderOf(file, named, target); error.failed())
        return failure(FailureStep::Open, error);
    if (::faccessat(fd(target.folderHandle), target.name.constData(), W_OK,
                    AT_EACCESS | AT_SYMLINK_NOFOLLOW)
        != 0)
        return failure(FailureStep::Open, errnoError(errno));
    target.fileHandle = std::move(file);
    target.exists = true;
    target.inPlace = old.st_nlink > 1 || keepsEveryName(target.folderHandle);
    return Failure {};
}

// Creates the file at name in folder, to be written in place: through a link to nothing, so that
// the kernel decides where it leads and whether it may be followed; or in an append-only folder,
// which would keep a temporary file for good.
Failure createAt(int folder, const QByteArray &name, int flags, const QByteArray &named,
                 Target &target)
{
    NativeFile made(::openat(folder, name.constData(),
                             O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | flags, 0666));
    if (!made.isOpen())
        return refused(errno);
    Failure looked = lookAtOpened(made, named, target);
    target.inPlace = true;
    target.created = true;
    return looked;
}

// One look at path; FileFault::Changed where the file moved while it was looked at.
Failure lookOnce(const QByteArray &native, Target &target)
{
    // The kernel follows the links on the way, under its rules.
    if (NativeFile file(::open(native.constData(), O_PATH | O_CLOEXEC)); file.isOpen())
        return lookAtOpened(file, native, target);
    if (errno != ENOENT)
        return refused(errno);

    struct stat link = {};
    if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return createAt(AT_FDCWD, native, O_NONBLOCK, native, target);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folderName = native.left(std::max<qsizetype>(1, slash));
    target.folderHandle.reset(::open(folderName.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!target.folderHandle.isOpen())
        return errno == ENOENT ? failure(FailureStep::Look, FileFault::NotFound,
                                         OldContent::Untouched, QFile::decodeName(folderName))
                               : refused(errno);
    target.name = native.mid(slash + 1);
    target.path = QFile::decodeName(native);
    // Unnamed until whole (/proc to link it by), a new file needs no rename, which an
    // append-only folder would refuse.
    if (keepsEveryName(target.folderHandle) && ::access("/proc/self/fd", X_OK) != 0)
        return createAt(fd(target.folderHandle), target.name, O_EXCL, native, target);
    return Failure {};
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

// A free name beside the target: its own with a random ending, or a short one where too long.
QByteArray nameBeside(const Target &target)
{
    const long nameMax = ::fpathconf(fd(target.folderHandle), _PC_NAME_MAX);
    const QByteArray ending
        = QByteArray::number(QRandomGenerator::global()->bounded(quint32(2176782336u)), 36)
              .rightJustified(6, '0'); // 36^6 endings
    return (nameMax > 0 && target.name.size() + 7 > nameMax ? QByteArray(".orbelune-")
                                                            : target.name + '.')
        + ending;
}

// Gives the temporary file a free name in the target's folder by call (create, or link).
template <typename Call>
Failure nameTemporary(const Target &target, Temporary &temporary, Call call)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.nativeName = nameBeside(target);
        if (call(temporary.nativeName)) {
            temporary.name
                = QFileInfo(target.path).path() + u'/' + QFile::decodeName(temporary.nativeName);
            return {};
        }
        if (errno != EEXIST)
            return errnoError(errno);
    }
    return errnoError(EEXIST);
}

} // namespace

Failure lookAt(const QString &path, Target &target)
{
    const QByteArray native = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    // A file renamed or replaced while it was looked at (an editor's save) is looked at again.
    Failure looked = changed;
    for (int attempt = 0; attempt < 3 && looked.fault == FileFault::Changed; ++attempt) {
        target = {};
        looked = lookOnce(native, target);
    }
    return looked;
}

// The new file has no name until it is whole (O_TMPFILE), where the file system and /proc
// allow; elsewhere it is created under a name of its own, with the default permissions.
Failure createTemporary(const Target &target, Temporary &temporary)
{
    temporary.file.reset(
        ::openat(fd(target.folderHandle), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (temporary.file.isOpen()) {
        if (::access(procPath(temporary.file).constData(), F_OK) == 0)
            return {};
        temporary.file.close(); // no /proc to name it by
    }
    return nameTemporary(target, temporary, [&](const QByteArray &name) {
        temporary.file.reset(::openat(fd(target.folderHandle), name.constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        return temporary.file.isOpen();
    });
}

Failure carryOver(const NativeFile &file, const Target &target)
{
    const int fd = int(file.handle());
    // Owner and group first: changing them clears the set-user and set-group bits. A file the
    // saver may not give to its owner or group stays theirs, written in place.
    struct stat old = {};
    if (::fstat(int(target.fileHandle.handle()), &old) != 0
        || ::fchown(fd, old.st_uid, old.st_gid) != 0 || ::fchmod(fd, old.st_mode & 07777) != 0)
        return errnoError(errno);
    // Each extended attribute as the old file has it, the access ACL among them; what the new
    // file got of its own (an ACL from the folder's default) and the old one lacks goes. The old
    // file is read through what holds it, by /proc; without /proc it is written in place.
    const QByteArray oldPath = procPath(target.fileHandle);
    const char *const path = oldPath.constData();
    if (::access(path, F_OK) != 0)
        return errnoError(errno);
    const std::optional<QByteArray> oldList
        = sized([&](char *list, size_t size) { return ::listxattr(path, list, size); });
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
        const std::optional<QByteArray> wanted
            = sized([&](char *value, size_t size) { return ::getxattr(path, key, value, size); });
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

Failure reserve(const NativeFile &file, qint64 size)
{
    return ::fallocate(fd(file), 0, 0, off_t(size)) == 0 ? Failure {} : errnoError(errno);
}

Failure flush(const NativeFile &file)
{
    return ::fsync(fd(file)) == 0 ? Failure {} : errnoError(errno);
}

void flushFolder(const Target &target)
{
    const NativeFile dir(
        ::openat(fd(target.folderHandle), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(fd(dir));
}

Failure openInPlace(const Target &target, NativeFile &file, bool &readable, qint64 &size)
{
    // Not blocking: whatever took its place since the look (a pipe) must not hang the program.
    const int folder = fd(target.folderHandle);
    const char *name = target.name.constData();
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    file.reset(::openat(folder, name, O_RDWR | flags));
    readable = file.isOpen();
    if (!file.isOpen() && errno == EACCES)
        file.reset(::openat(folder, name, O_WRONLY | flags));
    struct stat now = {};
    struct stat held = {};
    if (!file.isOpen() && errno == ELOOP) // a link took its name
        return changed;
    if (!file.isOpen() || ::fstat(fd(file), &now) != 0)
        return errnoError(errno);
    if (!S_ISREG(now.st_mode))
        return Failure { FileFault::NotRegularFile };
    // The file held since the look is asked again: opened to be written, a file of a lower
    // layer of an overlay is copied up and is then that copy, a file of another inode.
    if (::fstat(fd(target.fileHandle), &held) != 0 || !sameFile(now, held))
        return changed;
    size = now.st_size;
    return {};
}

Failure replace(Temporary &temporary, const Target &target, QString &oldNowAt)
{
    oldNowAt.clear();
    const int folder = fd(target.folderHandle);
    if (temporary.nativeName.isEmpty()) {
        const QByteArray from = procPath(temporary.file);
        const auto linkTo = [&](const QByteArray &name) {
            return ::linkat(AT_FDCWD, from.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW)
                == 0;
        };
        // A new file takes its name at once, and only if nothing took it meanwhile.
        if (!target.exists)
            return linkTo(target.name) ? temporary.file.close() : errnoError(errno);
        if (const Failure error = nameTemporary(target, temporary, linkTo); error.failed())
            return error;
    }
    if (const Failure error = temporary.file.close(); error.failed())
        return error;
    return ::renameat(folder, temporary.nativeName.constData(), folder, target.name.constData())
            == 0
        ? Failure {}
        : errnoError(errno);
}

bool discard(Temporary &temporary, const Target &target)
{
    temporary.file.close();
    // Unnamed, it is gone with its descriptor.
    return temporary.nativeName.isEmpty()
        || ::unlinkat(fd(target.folderHandle), temporary.nativeName.constData(), 0) == 0;
}

bool removeCreated(const Target &target)
{
    return ::unlinkat(fd(target.folderHandle), target.name.constData(), 0) == 0;
}

} // namespace orbelune::savefile_platform
