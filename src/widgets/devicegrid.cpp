#include "widgets/devicegrid.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <cmath>

namespace orbelune {

namespace {

// The device pixels of a rectangle, rounded edge by edge as Qt rounds a widget's area.
QRect toGrid(const QRectF &onDevice)
{
    return QRect(QPoint(qRound(onDevice.left()), qRound(onDevice.top())),
                 QPoint(qRound(onDevice.right()) - 1, qRound(onDevice.bottom()) - 1));
}

// How many device pixels wide a line of one logical pixel is drawn.
int lineWidth(qreal scale)
{
    return std::max(1, int(std::floor(scale + 1e-6)));
}

// Lets the painter work in device pixels until it is restored.
void paintInDevicePixels(QPainter *painter)
{
    painter->save();
    painter->setWorldTransform(painter->deviceTransform().inverted() * painter->worldTransform());
    painter->setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

void drawGridFrame(QPainter *painter, const QRect &rect, const QColor &color)
{
    const QTransform toDevice = painter->deviceTransform();
    if (rect.isEmpty())
        return;
    if (toDevice.type() > QTransform::TxScale) {
        // Rotated or sheared: there is no grid to keep to.
        painter->save();
        painter->setPen(color);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }

    const QRect grid = toGrid(toDevice.mapRect(QRectF(rect)));
    const int line = lineWidth(toDevice.m11());
    if (grid.width() < 2 * line || grid.height() < 2 * line)
        return;
    const int inner = grid.height() - 2 * line;
    paintInDevicePixels(painter);
    painter->fillRect(QRect(grid.left(), grid.top(), grid.width(), line), color);
    painter->fillRect(QRect(grid.left(), grid.bottom() + 1 - line, grid.width(), line), color);
    painter->fillRect(QRect(grid.left(), grid.top() + line, line, inner), color);
    painter->fillRect(QRect(grid.right() + 1 - line, grid.top() + line, line, inner), color);
    painter->restore();
}

void paintOnDeviceGrid(QPainter *painter, const QRect &rect,
                       const std::function<void(QPainter *, const QRect &)> &paint)
{
    const QTransform toDevice = painter->deviceTransform();
    const QRectF exact = toDevice.mapRect(QRectF(rect));
    const QRect grid = toGrid(exact);
    int scale = lineWidth(toDevice.m11());
    if (toDevice.type() > QTransform::TxScale || grid.isEmpty()
        || (QRectF(grid) == exact && qFuzzyCompare(toDevice.m11(), qreal(scale)))) {
        // Already on the grid, or no grid to keep to.
        paint(painter, rect);
        return;
    }

    // Painted apart at the whole scale below the real one, then set on the grid pixel for pixel.
    if (grid.width() % scale != 0 || grid.height() % scale != 0)
        scale = 1;
    QImage image(grid.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    {
        QPainter apart(&image);
        apart.setFont(painter->font());
        paint(&apart, QRect(0, 0, grid.width() / scale, grid.height() / scale));
    }
    image.setDevicePixelRatio(1);
    paintInDevicePixels(painter);
    painter->drawImage(grid.topLeft(), image);
    painter->restore();
}

} // namespace orbelune
