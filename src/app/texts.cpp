#include "app/texts.h"

#include "app/links.h"

#include <QUrl>

namespace orbelune {

QString dedicationLine()
{
    return QStringLiteral("软件赠予：所有用户%1By:%2")
        .arg(QString(12, QLatin1Char(' ')), brandLatin);
}

QString brandLabel()
{
    return QStringLiteral("%1 %2").arg(brandChinese, brandLatin);
}

QString copyrightLine()
{
    const QString host = makerHomePage().host();
    return QStringLiteral("%1 (C) 2008 %2 %3").arg(brandLatin, brandChinese, host);
}

} // namespace orbelune
