// Reading a file for import through the POSIX calls.

#include "fileio/readfile_p.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbelune::readfile_platform {

FileError openForReading(const QString &path, qintptr &file)
{
    file
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    return file < 0 ? errnoError(errno) : FileError {};
}

FileError lookAtOpened(qintptr file, qint64 &size)
{
    struct stat info = {};
    if (::fstat(int(file), &info) != 0)
        return errnoError(errno);
    if (S_ISDIR(info.st_mode))
        return FileError { FileFault::IsADirectory };
    if (!S_ISREG(info.st_mode))
        return FileError { FileFault::NotRegularFile };
    size = info.st_size;
    return {};
}

FileError readSome(qintptr file, char *buffer, qint64 room, qint64 &read)
{
    for (;;) {
        const ssize_t n = ::read(int(file), buffer, size_t(room));
        if (n >= 0) {
            read = n;
            return {};
        }
        if (errno != EINTR) {
            read = 0;
            return errnoError(errno);
        }
    }
}

void closeFile(qintptr file)
{
    ::close(int(file));
}

} // namespace orbelune::readfile_platform
