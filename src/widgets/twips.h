#pragma once

#include <QRect>

namespace orbelune {

// The window layout is kept in twips, the unit its positions were designed in:
// 1440 twips to the inch, so 15 twips make one pixel at 96 dots per inch.
constexpr int twipsPerPixel = 15;

constexpr int tw(int twips)
{
    return (twips + twipsPerPixel / 2) / twipsPerPixel;
}

constexpr QRect twRect(int left, int top, int width, int height)
{
    return QRect(tw(left), tw(top), tw(width), tw(height));
}

} // namespace orbelune
