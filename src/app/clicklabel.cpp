#include "app/clicklabel.h"

#include <QMouseEvent>

namespace orbelune {

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // Like a button: the click counts where the press was let go over the label.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
        && m_onClick) {
        m_onClick();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace orbelune
