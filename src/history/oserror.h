#pragma once

#include <QString>

namespace orbelune {

// The cause of a failed file operation, from its errno value, in the words of the program's
// messages. The system's own text would be English inside a Chinese message, and Qt's
// errorString() loses the cause ("Unknown error") where a write comes up short.
QString systemErrorText(int code);

} // namespace orbelune
