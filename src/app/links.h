#pragma once

#include <QUrl>

#include <functional>

namespace orbelune {

// The only two web addresses the program knows. The maker's home page is the project's
// home page (orbelune/appinfo.h).
QUrl makerHomePage();
QUrl lotteryWebsite();

// Hands an address to the desktop's default browser. A link that cannot be opened (no
// browser, no handler) fails silently: the user simply sees no browser appear.
void openWebAddress(const QUrl &address);

// Tests replace the real opener; an empty opener restores it.
using UrlOpener = std::function<bool(const QUrl &)>;
void setUrlOpener(UrlOpener opener);

} // namespace orbelune
