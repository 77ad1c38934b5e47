#pragma once

#include <QStyle>

class QPainter;
class QStyleOptionSlider;

namespace orbelune {

// The scroll bar the program draws itself, the same with every Qt release (Fusion's changed
// from one to the next, and may fade out on some desktops): a grey groove, a light slider and
// two arrow buttons, in whole device pixels, always shown.

// How thick the scroll bar is, and how short its slider may get, in logical pixels.
constexpr int scrollBarExtent = 14;
constexpr int scrollBarSliderMin = 26;

// Where `part` (a button, the groove, a page or the slider) lies in the scroll bar `option`
// describes; an empty rectangle for any other part.
QRect scrollBarPart(const QStyleOptionSlider &option, QStyle::SubControl part);

void drawScrollBar(const QStyleOptionSlider &option, QPainter *painter);

} // namespace orbelune
