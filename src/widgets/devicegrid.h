#pragma once

#include <functional>

class QColor;
class QPainter;
class QRect;

namespace orbelune {

// At scales such as 1.25 and 1.75 lines one logical pixel wide fall between device pixels:
// doubled, blurred, or cut away by the widget's clip. These two keep lines on the device grid,
// one device pixel wide below a scale of 2 and two from 2 on.

// Draws the outline of `rect` just inside the edges it has on the screen.
void drawGridFrame(QPainter *painter, const QRect &rect, const QColor &color);

// Runs `paint` (given a painter and the rectangle to fill in its coordinates) for the device
// pixels of `rect` as though the scale were whole, so that its one-pixel lines are one device
// pixel (or two) wide. At whole scales it paints directly.
void paintOnDeviceGrid(QPainter *painter, const QRect &rect,
                       const std::function<void(QPainter *, const QRect &)> &paint);

} // namespace orbelune
