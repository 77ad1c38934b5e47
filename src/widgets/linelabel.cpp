#include "widgets/linelabel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orbelune {

// Above the baseline, the ideographic em box takes this much of the em.
constexpr qreal emAscent = 0.88;

LineLabel::LineLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

int LineLabel::baseline() const
{
    const int em = QFontInfo(font()).pixelSize();
    const QRect ink = fontMetrics().tightBoundingRect(text());
    return std::max(int(std::floor(emAscent * em)), -ink.top());
}

QSize LineLabel::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int em = QFontInfo(font()).pixelSize();
    const QRect ink = metrics.tightBoundingRect(text());
    const int width = std::max(metrics.horizontalAdvance(text()), ink.right() + 1);
    return QSize(width, std::max(em, baseline() + ink.bottom() + 1));
}

QSize LineLabel::minimumSizeHint() const
{
    return sizeHint();
}

void LineLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(QPoint(0, baseline()), text());
}

} // namespace orbelune
