#pragma once

#include "fileio/failure.h"

namespace orbelune {

// The failure an errno value tells; FileFault::None for 0.
Failure errnoError(int code);

#ifdef Q_OS_WIN
// The same from an error code of Windows (GetLastError()).
Failure win32Error(unsigned long code);
#endif

} // namespace orbelune
