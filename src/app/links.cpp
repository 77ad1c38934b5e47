#include "app/links.h"

#include "orbelune/appinfo.h"

#include <QDesktopServices>

namespace orbelune {

namespace {

UrlOpener &opener()
{
    static UrlOpener current;
    return current;
}

} // namespace

QUrl makerHomePage()
{
    return QUrl(QString::fromLatin1(appinfo::homePage));
}

QUrl lotteryWebsite()
{
    return QUrl(QStringLiteral("https://www.cwl.gov.cn/"));
}

void openWebAddress(const QUrl &address)
{
    if (opener())
        opener()(address);
    else
        QDesktopServices::openUrl(address);
}

void setUrlOpener(UrlOpener newOpener)
{
    opener() = std::move(newOpener);
}

} // namespace orbelune
