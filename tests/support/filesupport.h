#pragma once

// What the file tests share, the core's and the window's: a disk that fills up, a file read or
// written in one call, and a folder's whole content.

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>

namespace orbelune::testing {

// Runs run as on a disk that is full after room bytes (no limit for 0): a write past them fails
// with EFBIG instead of killing the process. False, without running it, where no limit can be
// set (Windows has none).
bool withFileSizeLimit(qint64 room, const std::function<void()> &run);

// A test's time limit: ms, stretched by ORBELUNE_TIME_SCALE where the build is slow by design
// (the sanitizers). The Release build keeps the limits as written.
qint64 timeLimitMs(qint64 ms);

// A file's bytes, or "<unreadable>".
QByteArray contents(const QString &path);

bool writeFile(const QString &path, const QByteArray &bytes);

// Everything under a folder, hidden files too, to see that nothing changed or was left: each
// regular file's bytes, or the kind of anything else ("<dir>", "<fifo>", "<char 1,3>",
// "<socket>", "<link to …>"), never opened, so that a pipe cannot block.
QMap<QString, QByteArray> snapshot(const QString &folder);

// A file's extended attributes, its access ACL among them, as one text; empty on Windows.
QByteArray attributes(const QString &path);
// The bytes this process has read from files so far; 0 where the system does not count them.
qint64 bytesRead();

} // namespace orbelune::testing
