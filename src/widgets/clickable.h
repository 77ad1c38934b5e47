#pragma once

#include <QMouseEvent>
#include <QWidget>

namespace orbelune {

// The click rule of the program's link texts and link pictures, as a button has it: a click
// counts where the left button was let go over the control.
inline bool isClickRelease(const QWidget *control, const QMouseEvent *event)
{
    return event->button() == Qt::LeftButton
        && control->rect().contains(event->position().toPoint());
}

} // namespace orbelune
