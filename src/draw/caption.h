#pragma once

#include <QtGlobal>

class QString;

namespace orbelune {

// The two-digit text a ball shows: numbers below 10 get a leading "0" ("01" … "09"),
// the rest are written as they are ("10" … "33").
QString ballCaption(qint16 number);

} // namespace orbelune
