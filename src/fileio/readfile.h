#pragma once

#include "fileio/oserror.h"

#include <QByteArray>
#include <QString>

namespace orbelune {

// A file read whole for an import, or why it could not be.
struct FileRead
{
    QByteArray bytes; // empty unless read
    FileError error; // FileFault::None when the file was read
    bool whileReading = false; // the file was open, and reading it failed
    qint64 limit = 0; // the most bytes it was allowed to hold

    bool ok() const { return !error.failed(); }
    // Why the file was not read, in words for the user.
    QString errorText() const;
};

// Reads the file at path whole. It is opened without blocking and only then looked at, so that
// nothing can take its place in between: a pipe would block the read, a device never end it.
// Refuses anything but a regular file on a disk (a folder, a pipe, a device, a name Windows
// keeps for a device), a file of more than limit bytes, also one that grows past it while it is
// read, one that another program changes while it is read, and a file that cannot be opened or
// read. Reads at most limit + 1 bytes.
FileRead readWholeFile(const QString &path, qint64 limit);

} // namespace orbelune
