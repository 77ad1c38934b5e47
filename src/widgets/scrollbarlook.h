#pragma once

#include <QStyle>

class QPainter;
class QStyleOptionSlider;

namespace orbelune {

// The scroll bar the program draws itself, so that it is the same with every Qt release:
// Fusion's grey groove, a light slider and two arrow buttons, all in whole device pixels.
// Fusion has changed its scroll bar from one Qt release to the next (anti-aliased arrows,
// framed buttons, the slider a pixel further down), and may fade it in and out on some
// desktops; this one always shows.

// How thick the scroll bar is, and how short its slider may get, in logical pixels.
constexpr int scrollBarExtent = 14;
constexpr int scrollBarSliderMin = 26;

// Where `part` (a button, the groove, a page or the slider) lies in the scroll bar `option`
// describes; an empty rectangle for any other part.
QRect scrollBarPart(const QStyleOptionSlider &option, QStyle::SubControl part);

void drawScrollBar(const QStyleOptionSlider &option, QPainter *painter);

} // namespace orbelune
