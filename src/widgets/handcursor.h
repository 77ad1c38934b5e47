#pragma once

#include <QtGlobal>

class QCursor;

namespace orbelune {

// The program's link pointer: a monochrome 32 × 32 hand with the index finger up, its hot spot
// on the finger tip at (6, 0). On a scaled screen the pointer keeps its size on the screen and
// its hard edges: each pixel of the hand covers a square of device pixels.
QCursor handCursor(qreal devicePixelRatio = 1.0);

} // namespace orbelune
