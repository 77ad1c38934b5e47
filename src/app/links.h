#pragma once

#include <QUrl>

#include <functional>

namespace orbelune {

// The only two web addresses the program knows; the maker's is the project's home page.
QUrl makerHomePage();
QUrl lotteryWebsite();

// Hands an address to the desktop's browser; with none, the user just sees no browser appear.
void openWebAddress(const QUrl &address);

// Tests replace the real opener; an empty opener restores it.
using UrlOpener = std::function<bool(const QUrl &)>;
void setUrlOpener(UrlOpener opener);

} // namespace orbelune
