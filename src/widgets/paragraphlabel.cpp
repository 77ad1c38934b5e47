#include "widgets/paragraphlabel.h"

#include <QPainter>
#include <QTextLayout>

namespace orbelune {

ParagraphLabel::ParagraphLabel(const QString &text, int linePitch, QWidget *parent)
    : QLabel(text, parent)
    , m_linePitch(linePitch)
{
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ParagraphLabel::paintEvent(QPaintEvent *)
{
    QTextLayout layout;
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.setFont(font());
    layout.setText(text());

    // Each line centres the ideographic em box (0.88 of the size above the baseline, 0.12
    // below) in its slot of one pitch.
    const qreal size = QFontInfo(font()).pixelSize();
    const qreal baseline = (m_linePitch - size) / 2 + 0.88 * size;
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        line.setPosition(QPointF(0, lines * m_linePitch + baseline - line.ascent()));
        ++lines;
    }
    layout.endLayout();

    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, QPointF(0, 0));
}

} // namespace orbelune
