#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace orbelune::testing {

// The file layer's calls of the system, watched from below, at the system's own functions:
// fsync() and pread() on POSIX, taken by this process's own definitions; FlushFileBuffers on
// Windows, where no call can be taken so, through the one pointer the save keeps for it. One
// watch at a time, for as long as it lives; the calls are made as usual where it asks nothing.
class SystemCallWatch
{
public:
    SystemCallWatch();
    ~SystemCallWatch();
    SystemCallWatch(const SystemCallWatch &) = delete;
    SystemCallWatch &operator=(const SystemCallWatch &) = delete;

    // What the saved file holds at a flush, as the test names it ("old", "new", …).
    std::function<QString()> held;
    // The folder whose flushes are recorded as "folder …"; a flush of another is "elsewhere".
    QString folder;
    // The first this many flushes of a file fail with an I/O error, unmade.
    int failingFlushes = 0;
    // Runs before each call that the watch takes, with its name ("fsync" for a file's flush,
    // and on POSIX "pread", "readlink").
    std::function<void(const char *call)> before;

    // Each flush made: "file <held>", "folder <held>" or "elsewhere", and " (refused)" after
    // one that the system refused.
    QStringList flushes;
};

} // namespace orbelune::testing
