#include "draw/caption.h"

#include <QString>

namespace orbelune {

QString ballCaption(qint16 number)
{
    // Negative numbers too get the prefix: a draw never makes one, and the rule stays simple.
    const QString digits = QString::number(number);
    return number >= 10 ? digits : QLatin1Char('0') + digits;
}

} // namespace orbelune
