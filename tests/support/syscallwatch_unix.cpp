// fsync(), pread() and readlink() defined in the test program itself take the place of the C
// library's for every call the program makes, the file layer's among them; they hand on to the
// real ones.

#include "syscallwatch.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbelune::testing {

namespace {

SystemCallWatch *active = nullptr;

template <typename Function> Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool isFolder(int fd, const QString &path)
{
    struct stat flushed = {};
    struct stat folder = {};
    return ::fstat(fd, &flushed) == 0 && S_ISDIR(flushed.st_mode)
        && ::stat(QFile::encodeName(path).constData(), &folder) == 0
        && flushed.st_dev == folder.st_dev && flushed.st_ino == folder.st_ino;
}

} // namespace

SystemCallWatch::SystemCallWatch()
{
    active = this;
}

SystemCallWatch::~SystemCallWatch()
{
    active = nullptr;
}

} // namespace orbelune::testing

using orbelune::testing::active;

extern "C" int fsync(int fd)
{
    static const auto realFsync = orbelune::testing::real<int (*)(int)>("fsync");
    if (!active)
        return realFsync(fd);
    struct stat flushed = {};
    const bool folder = ::fstat(fd, &flushed) == 0 && S_ISDIR(flushed.st_mode);
    const QString held = active->held ? active->held() : QString();
    QString call = folder
        ? (orbelune::testing::isFolder(fd, active->folder) ? QStringLiteral("folder ") + held
                                                           : QStringLiteral("elsewhere"))
        : QStringLiteral("file ") + held;
    if (!folder && active->before)
        active->before("fsync");
    int done = -1;
    if (!folder && active->failingFlushes > 0) {
        --active->failingFlushes;
        errno = EIO;
    } else if ((done = realFsync(fd)) != 0) {
        call += QStringLiteral(" (refused)"); // the real call failed: nothing reached the disk
    }
    active->flushes << call;
    return done;
}

extern "C" ssize_t pread(int fd, void *buffer, size_t size, off_t offset)
{
    static const auto realPread
        = orbelune::testing::real<ssize_t (*)(int, void *, size_t, off_t)>("pread");
    if (active && active->before)
        active->before("pread");
    return realPread(fd, buffer, size, offset);
}

extern "C" ssize_t readlink(const char *path, char *buffer, size_t size) noexcept
{
    static const auto realReadlink
        = orbelune::testing::real<ssize_t (*)(const char *, char *, size_t)>("readlink");
    if (active && active->before)
        active->before("readlink");
    return realReadlink(path, buffer, size);
}

// The same call where the program was built with _FORTIFY_SOURCE (Debian's package builds),
// which checks the buffer's size first.
extern "C" ssize_t __readlink_chk(const char *path, char *buffer, size_t size,
                                  size_t bufferSize) noexcept
{
    if (size > bufferSize)
        std::abort();
    return readlink(path, buffer, size);
}
