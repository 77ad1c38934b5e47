#include "widgets/svgpicture.h"

#include "widgets/accessibility.h"
#include "widgets/clickable.h"

#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QIconEngine>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QResource>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstring>

namespace orbelune {

namespace {

// Qt's SVG icon engine loads a plugin and reads the file again for every size and every QIcon
// of it; this one draws the same pixels from the shared parse, and keeps each size.
class SvgIconEngine : public QIconEngine
{
public:
    explicit SvgIconEngine(QString resource)
        : m_resource(std::move(resource))
    {
    }

    QIconEngine *clone() const override { return new SvgIconEngine(m_resource); }
    QString key() const override { return QStringLiteral("orbelune-svg"); }
    bool isNull() override { return !sharedSvgRenderer(m_resource)->isValid(); }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        QSize actual = sharedSvgRenderer(m_resource)->defaultSize();
        if (!actual.isNull())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        const QString key = QStringLiteral("orbelune-icon %1 %2x%3 %4")
                                .arg(m_resource, QString::number(size.width()),
                                     QString::number(size.height()), QString::number(int(mode)));
        QPixmap pixmap;
        if (QPixmapCache::find(key, &pixmap))
            return pixmap;
        const QSize actual = actualSize(size, mode, state);
        if (actual.isEmpty())
            return pixmap;
        QImage image(actual, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        sharedSvgRenderer(m_resource)->render(&painter, QRectF(QPointF(0, 0), actual));
        painter.end();
        pixmap = QPixmap::fromImage(std::move(image));
        // A disabled or selected icon looks as the style makes it, as Qt's own icons do.
        if (mode != QIcon::Normal && qobject_cast<QApplication *>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            const QPixmap styled
                = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
            if (!styled.isNull())
                pixmap = styled;
        }
        QPixmapCache::insert(key, pixmap);
        return pixmap;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        QSize size = rect.size();
        if (painter->device())
            size *= painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(size, mode, state));
    }

private:
    QString m_resource;
};

// The drawing made at build time (tools/draw-pictures), or a null image; shared by the pictures
// of one source, read where it lies in the program's file.
QImage drawingMadeAtBuild(const QString &resource)
{
    static QHash<QString, QImage> drawings;
    const auto known = drawings.constFind(resource);
    if (known != drawings.cend())
        return *known;
    QImage &drawing = drawings[resource];
    const QResource file(
        QStringLiteral(":/drawn/%1.drawn").arg(QFileInfo(resource).completeBaseName()));
    if (!file.isValid() || file.compressionAlgorithm() != QResource::NoCompression
        || file.size() < 8)
        return drawing;
    const uchar *bytes = file.data();
    const int width = int(qFromLittleEndian<quint32>(bytes));
    const int height = int(qFromLittleEndian<quint32>(bytes + 4));
    if (width <= 0 || height <= 0 || file.size() != 8 + qint64(width) * height * 4)
        return drawing;
    const uchar *pixels = bytes + 8;
    if (quintptr(pixels) % alignof(QRgb) == 0) {
        drawing = QImage(pixels, width, height, width * 4, QImage::Format_RGB32);
    } else {
        drawing = QImage(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            std::memcpy(drawing.scanLine(y), pixels + qsizetype(y) * width * 4,
                        std::size_t(width) * 4);
    }
    return drawing;
}

} // namespace

QSvgRenderer *sharedSvgRenderer(const QString &resource)
{
    static QHash<QString, QPointer<QSvgRenderer>> renderers;
    QPointer<QSvgRenderer> &renderer = renderers[resource];
    if (!renderer)
        renderer = new QSvgRenderer(resource, QCoreApplication::instance());
    return renderer;
}

QIcon svgIcon(const QString &resource)
{
    return QIcon(new SvgIconEngine(resource));
}

SvgPicture::SvgPicture(const QString &resource, QWidget *parent)
    : SvgPicture(resource, QSize(), parent)
{
}

SvgPicture::SvgPicture(const QString &resource, QSize size, QWidget *parent)
    : QWidget(parent)
    , m_resource(resource)
    , m_drawing(drawingMadeAtBuild(resource))
{
    installAccessibleControls();
    setAttribute(Qt::WA_TranslucentBackground);
    if (!size.isValid())
        size = m_drawing.isNull() ? sharedSvgRenderer(m_resource)->defaultSize() : m_drawing.size();
    resize(size);
}

void SvgPicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (layDrawing(painter, event->region()))
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    sharedSvgRenderer(m_resource)->render(&painter, QRectF(rect()));
}

bool SvgPicture::layDrawing(QPainter &painter, const QRegion &exposed) const
{
    // The drawing is the source over white at scale 1: laid only where the whole picture goes
    // on an image, unscaled, at a whole pixel, over white, where the raster engine gives the
    // same pixels on both formats of a window's image. Scaled, it does not (gradients and edges
    // differ by a level or two from place to place), so there the source is drawn.
    if (m_drawing.isNull() || m_drawing.size() != size() || !(QRegion(rect()) - exposed).isEmpty())
        return false;
    const QPaintDevice *device = painter.paintEngine()->paintDevice();
    const QTransform transform = painter.deviceTransform();
    if (!device || device->devType() != QInternal::Image
        || transform.type() > QTransform::TxTranslate)
        return false;
    const auto *target = static_cast<const QImage *>(device);
    const QPointF origin = transform.map(QPointF(0, 0));
    const QRect place(origin.toPoint(), size());
    if (QPointF(place.topLeft()) != origin || !target->rect().contains(place)
        || (target->format() != QImage::Format_RGB32
            && target->format() != QImage::Format_ARGB32_Premultiplied))
        return false;
    for (int y = place.top(); y <= place.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(target->constScanLine(y));
        for (int x = place.left(); x <= place.right(); ++x) {
            if (line[x] != 0xffffffffu)
                return false;
        }
    }
    // The painter only moves, by whole pixels: the drawing lands pixel for pixel.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_drawing);
    return true;
}

void ClickPicture::mouseReleaseEvent(QMouseEvent *event)
{
    if (isClickRelease(this, event))
        emit clicked();
    else
        SvgPicture::mouseReleaseEvent(event);
}

} // namespace orbelune
