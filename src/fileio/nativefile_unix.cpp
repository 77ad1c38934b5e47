// The file layer's open file through the POSIX calls.

#include "fileio/nativefile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbelune {

Failure NativeFile::openForReading(const QString &path, qint64 &size)
{
    reset(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info = {};
    if (!isOpen() || ::fstat(int(m_handle), &info) != 0)
        return errnoError(errno);
    if (S_ISDIR(info.st_mode))
        return Failure { FileFault::IsADirectory };
    if (!S_ISREG(info.st_mode))
        return Failure { FileFault::NotRegularFile };
    size = info.st_size;
    return {};
}

QByteArray NativeFile::version() const
{
    struct stat info = {};
    if (::fstat(int(m_handle), &info) != 0)
        return QByteArray();
    return QByteArray::number(qint64(info.st_size)) + ' ' + QByteArray::number(info.st_mtim.tv_sec)
        + '.' + QByteArray::number(info.st_mtim.tv_nsec) + ' '
        + QByteArray::number(info.st_ctim.tv_sec) + '.' + QByteArray::number(info.st_ctim.tv_nsec);
}

Failure NativeFile::readAt(qint64 offset, char *buffer, qint64 size, qint64 &done) const
{
    for (done = 0; done < size;) {
        const ssize_t n
            = ::pread(int(m_handle), buffer + done, size_t(size - done), off_t(offset + done));
        if (n == 0)
            break;
        if (n > 0)
            done += n;
        else if (errno != EINTR)
            return errnoError(errno);
    }
    return {};
}

Failure NativeFile::writeAt(qint64 offset, QByteArrayView bytes, qint64 &written) const
{
    for (written = 0; written < bytes.size();) {
        const ssize_t n = ::pwrite(int(m_handle), bytes.data() + written,
                                   size_t(bytes.size() - written), off_t(offset + written));
        if (n == 0)
            return errnoError(EIO);
        if (n > 0)
            written += n;
        else if (errno != EINTR)
            return errnoError(errno);
    }
    return {};
}

Failure NativeFile::setSize(qint64 size) const
{
    return ::ftruncate(int(m_handle), off_t(size)) == 0 ? Failure {} : errnoError(errno);
}

Failure NativeFile::close()
{
    if (!isOpen())
        return {};
    // After a close interrupted by a signal the descriptor is gone on Linux: never retry.
    const bool closed = ::close(int(m_handle)) == 0 || errno == EINTR;
    m_handle = -1;
    return closed ? Failure {} : errnoError(errno);
}

} // namespace orbelune
