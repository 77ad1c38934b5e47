// Windows lets a test take no call of the system from below: the save flushes through a pointer
// that the watch turns to its own function while it lives.

#include "syscallwatch.h"

#include "fileio/savefile_p.h"

#include <utility>

#include <windows.h>

namespace orbelune::testing {

namespace {

SystemCallWatch *active = nullptr;
bool (*realFlush)(qintptr) = nullptr;

bool watchedFlush(qintptr file)
{
    active->flushes << QStringLiteral("file ") + (active->held ? active->held() : QString());
    if (active->before)
        active->before("fsync");
    if (active->failingFlushes > 0) {
        --active->failingFlushes;
        SetLastError(ERROR_IO_DEVICE);
        return false;
    }
    return realFlush(file);
}

} // namespace

SystemCallWatch::SystemCallWatch()
{
    active = this;
    realFlush = std::exchange(savefile_platform::flushFileBuffers, watchedFlush);
}

SystemCallWatch::~SystemCallWatch()
{
    savefile_platform::flushFileBuffers = realFlush;
    active = nullptr;
}

} // namespace orbelune::testing
