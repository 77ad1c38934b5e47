#include "app/svgpicture.h"

#include "app/accessibility.h"

#include <QMouseEvent>
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
    // Like a button: the click counts where the press was let go over the picture.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
        && m_onClick) {
        m_onClick();
        return;
    }
    SvgPicture::mouseReleaseEvent(event);
}

} // namespace orbelune
