#include "widgets/clicklabel.h"

#include "widgets/accessibility.h"
#include "widgets/clickable.h"

namespace orbelune {

// A label announces its text as soon as it has one, and that settles its accessible
// interface: the program's own interfaces must be known by then.
ClickLabel::ClickLabel(const QString &text, QWidget *parent)
    : LineLabel(parent)
{
    installAccessibleControls();
    setText(text);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (isClickRelease(this, event))
        emit clicked();
    else
        LineLabel::mouseReleaseEvent(event);
}

} // namespace orbelune
