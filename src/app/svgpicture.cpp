#include "app/svgpicture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace orbelune {

SvgPicture::SvgPicture(const QString &resource, QWidget *parent)
    : QWidget(parent)
    , m_resource(resource)
    , m_renderer(new QSvgRenderer(resource, this))
{
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

} // namespace orbelune
