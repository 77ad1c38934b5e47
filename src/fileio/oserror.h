#pragma once

#include "fileio/failure.h"

namespace orbelune {

// The failure an errno value tells; FileFault::None for 0.
Failure errnoError(int code);

#ifdef Q_OS_WIN
// The same from an error code of Windows; lastWin32Error() from GetLastError().
Failure win32Error(unsigned long code);
Failure lastWin32Error();
#endif

} // namespace orbelune
