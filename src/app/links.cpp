#include "app/links.h"

#include "app/testhook.h"
#include "orbelune/appinfo.h"

#include <QDesktopServices>

namespace orbelune {

namespace {

TestHook<bool(const QUrl &)> hook;

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
    hook.call(QDesktopServices::openUrl, address);
}

void setUrlOpener(UrlOpener newOpener)
{
    hook = std::move(newOpener);
}

} // namespace orbelune
