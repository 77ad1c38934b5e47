#include "app/links.h"

#include <QDesktopServices>

namespace orbelune {

namespace {

UrlOpener &opener()
{
    static UrlOpener current;
    return current;
}

} // namespace

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
