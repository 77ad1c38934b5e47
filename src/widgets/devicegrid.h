#pragma once

#include <functional>

class QColor;
class QPainter;
class QRect;

namespace orbelune {

// Lines one logical pixel wide that the painter places itself land between device pixels at
// scales such as 1.25 and 1.75: they come out doubled or blurred, or not at all where the
// widget's clip, rounded to whole device pixels, cuts them away. These two keep lines on the
// device grid, one device pixel wide below a scale of 2 and two from 2 on.

// Draws the outline of `rect` (in the painter's coordinates) just inside the edges the
// rectangle has on the screen.
void drawGridFrame(QPainter *painter, const QRect &rect, const QColor &color);

// Runs `paint` for the device pixels of `rect` as though the scale were a whole number, so that
// whatever it draws one pixel wide is one device pixel (or two) wide; it is given a painter and
// the rectangle to fill in that painter's coordinates. At whole scales it paints directly.
void paintOnDeviceGrid(QPainter *painter, const QRect &rect,
                       const std::function<void(QPainter *, const QRect &)> &paint);

} // namespace orbelune
