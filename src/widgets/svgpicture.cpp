#include "widgets/svgpicture.h"

#include "widgets/accessibility.h"
#include "widgets/clickable.h"

#include <QPainter>
#include <QSvgRenderer>

namespace orbelune {

SvgPicture::SvgPicture(const QString &resource, QWidget *parent)
    : QWidget(parent)
    , m_resource(resource)
    , m_renderer(new QSvgRenderer(resource, this))
{
    installAccessibleControls();
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    resize(m_renderer->defaultSize());
}

void SvgPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&painter, QRectF(rect()));
}

void ClickPicture::mouseReleaseEvent(QMouseEvent *event)
{
    if (isClickRelease(this, event))
        emit clicked();
    else
        SvgPicture::mouseReleaseEvent(event);
}

} // namespace orbelune
