#pragma once

// What the file tests share, the core's and the window's: a disk that fills up, a file read or
// written in one call, and a folder's whole content.

#include <QByteArray>
#include <QMap>
#include <QString>

namespace orbelune::testing {

#ifdef Q_OS_UNIX
// A disk that is full after the given number of bytes: writes past it fail with EFBIG instead
// of killing the process. Limit and signal are restored on leaving the scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isActive() const { return m_active; }

private:
    // The limit in force before, kept as plain numbers so that this header needs no POSIX one.
    quint64 m_oldSoft = 0;
    quint64 m_oldHard = 0;
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
#endif

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

} // namespace orbelune::testing
