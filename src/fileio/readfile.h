#pragma once

#include "fileio/failure.h"

#include <QByteArray>
#include <QString>

namespace orbelune {

// Reads the file at path whole. It is opened without blocking and only then looked at, so that
// nothing can take its place in between: a pipe would block the read, a device never end it.
// Refuses anything but a regular file on a disk (a folder, a pipe, a device, a name Windows
// keeps for a device), a file of more than limit bytes, also one that grows past it while it is
// read, one that another program changes while it is read, and a file that cannot be opened or
// read. Reads at most limit + 1 bytes.
// A failure is placed at FailureStep::OpenToRead, or at FailureStep::Read once the file was open
// and reading it failed or found it changed; a file over the limit names the limit (count).
Result<QByteArray> readWholeFile(const QString &path, qint64 limit);

} // namespace orbelune
