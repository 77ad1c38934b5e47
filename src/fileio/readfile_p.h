#pragma once

// What each platform does for readWholeFile() (readfile_unix.cpp, readfile_win.cpp); the
// rules around it are readfile.cpp's. A file is a descriptor or a HANDLE, held as a number
// that is -1 for none on both.

#include "fileio/oserror.h"

#include <QString>

namespace orbelune::readfile_platform {

// Opens path for reading without blocking, refusing what is plainly no file: a missing one,
// a folder, a name Windows keeps for a device.
FileError openForReading(const QString &path, qintptr &file);

// Refuses an open file that is not a regular file on a disk; size is its size in bytes.
FileError lookAtOpened(qintptr file, qint64 &size);

// Reads up to room bytes into buffer; read is 0 at the end of the file.
FileError readSome(qintptr file, char *buffer, qint64 room, qint64 &read);

void closeFile(qintptr file);

} // namespace orbelune::readfile_platform
