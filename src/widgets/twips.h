#pragma once

#include <QRect>

namespace orbelune {

// The windows' positions and sizes are given in twips, 1440 to the inch, which keeps them
// exact to a fifteenth of a pixel at 96 dots per inch; these round them to whole pixels.
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
