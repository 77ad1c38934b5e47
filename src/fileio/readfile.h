#pragma once

#include "fileio/failure.h"

#include <QByteArray>
#include <QString>

namespace orbelune {

// Reads the file at path whole, at most limit + 1 bytes. It is opened without blocking and only
// then looked at, so that nothing takes its place between (a pipe would block the read, a device
// never end it). Refuses anything but a regular file on a disk, a file over limit bytes (count
// names it) and one changed while read, at FailureStep::OpenToRead or, once open, Read.
Result<QByteArray> readWholeFile(const QString &path, qint64 limit);

} // namespace orbelune
