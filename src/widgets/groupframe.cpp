#include "widgets/groupframe.h"

#include "widgets/appstyle.h"
#include "widgets/devicegrid.h"

#include <QPainter>

namespace orbelune {

constexpr int captionLeft = 7; // pixels from the frame's left edge to the caption
constexpr int blankWidth = defaultFontPx / 2;

GroupFrame::GroupFrame(const QString &title, QWidget *parent)
    : QGroupBox(title, parent)
{
    makeWhite(this);
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
}

void GroupFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QString caption = title();
    qsizetype blanks = 0;
    while (blanks < caption.size() && caption.at(blanks) == u' ')
        ++blanks;
    const QString text = caption.mid(blanks);

    const int lineY = metrics.height() / 2;
    const int textX = captionLeft + int(blanks) * blankWidth;
    const int textWidth = metrics.horizontalAdvance(text);

    // A thin grey frame, broken where the caption stands.
    drawGridFrame(&painter, QRect(0, lineY, width(), height() - lineY), QColor(0xA0, 0xA0, 0xA0));
    if (!text.isEmpty()) {
        const QRect textRect(textX - 2, 0, textWidth + 4, metrics.height());
        painter.fillRect(textRect, Qt::white);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textRect, Qt::AlignCenter, text);
    }
}

} // namespace orbelune
