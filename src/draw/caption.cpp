#include "draw/caption.h"

#include <QString>

namespace orbelune {

QString ballCaption(qint16 number)
{
    // Every number below 10 gets the prefix, negative ones included; a draw never
    // produces those, but the rule is kept simple rather than clever.
    const QString digits = QString::number(number);
    return number >= 10 ? digits : QLatin1Char('0') + digits;
}

} // namespace orbelune
