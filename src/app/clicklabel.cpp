#include "app/clicklabel.h"

#include "app/accessibility.h"

#include <QMouseEvent>

namespace orbelune {

// A label announces its text as soon as it has one, and that settles its accessible
// interface: the program's own interfaces must be known by then.
ClickLabel::ClickLabel(QWidget *parent)
    : QLabel(parent)
{
    installAccessibleControls();
}

ClickLabel::ClickLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    installAccessibleControls();
    setText(text);
}

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
