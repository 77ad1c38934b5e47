#pragma once

#include "fileio/oserror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <utility>

namespace orbelune {

// An open file of the file layer, to read an import and to save: a descriptor, or a HANDLE on
// Windows, held as a number that is -1 for none on both, and closed when it goes.
class NativeFile
{
public:
    NativeFile() = default;
    explicit NativeFile(qintptr handle)
        : m_handle(handle)
    {
    }
    ~NativeFile() { close(); }
    NativeFile(NativeFile &&other) noexcept
        : m_handle(std::exchange(other.m_handle, -1))
    {
    }
    NativeFile &operator=(NativeFile &&other) noexcept
    {
        reset(std::exchange(other.m_handle, -1));
        return *this;
    }

    bool isOpen() const { return m_handle != -1; }
    qintptr handle() const { return m_handle; }
    // Takes handle in place of the file held, which is closed.
    void reset(qintptr handle)
    {
        close();
        m_handle = handle;
    }

    // Opens path to read it, without blocking, and takes only a regular file on a disk (not a
    // folder, a pipe, a device, a name Windows keeps for a device); size is its size in bytes.
    Failure openForReading(const QString &path, qint64 &size);

    // Its size and the time of its last change as one value, empty where the system cannot say.
    QByteArray version() const;

    // Reads from offset on, through short reads and signals, until buffer holds size bytes or
    // the file ends; done counts the bytes read.
    Failure readAt(qint64 offset, char *buffer, qint64 size, qint64 &done) const;
    // Writes all of bytes from offset on; written counts the bytes that reached the file.
    Failure writeAt(qint64 offset, QByteArrayView bytes, qint64 &written) const;
    // Sets the file's end at size, cutting or growing it.
    Failure setSize(qint64 size) const;
    // Closes it now: the error of the close, which may be the first word of a failed write.
    Failure close();

private:
    qintptr m_handle = -1;
};

} // namespace orbelune
