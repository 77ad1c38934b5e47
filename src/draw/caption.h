#pragma once

#include <QtGlobal>

class QString;

namespace orbelune {

// The text a ball shows: a leading "0" below 10 ("01" … "09"), the rest as they are ("10" … "33").
QString ballCaption(qint16 number);

} // namespace orbelune
