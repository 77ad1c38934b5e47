#include "widgets/svgpicture.h"

#include "widgets/accessibility.h"
#include "widgets/clickable.h"

#include <QApplication>
#include <QCache>
#include <QHash>
#include <QIconEngine>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

namespace orbelune {

namespace {

// The drawings kept for laying again, in KiB; the two balls take 30.
constexpr int drawingCacheKiB = 512;

// Draws the vector source into rect as the pictures and icons of the program all do.
void renderInto(QPainter *painter, QSvgRenderer *renderer, const QRectF &rect)
{
    painter->setRenderHint(QPainter::Antialiasing);
    renderer->render(painter, rect);
}

// Qt's SVG icon engine, less its cost at start-up: it loads a plugin, packs the file and reads
// it again for every size, and a second QIcon of the same file draws every size again. This
// one draws from the shared parse, the same pixels at the same sizes, and keeps each size.
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
                                .arg(m_resource)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(int(mode));
        QPixmap pixmap;
        if (QPixmapCache::find(key, &pixmap))
            return pixmap;
        const QSize actual = actualSize(size, mode, state);
        if (actual.isEmpty())
            return pixmap;
        QImage image(actual, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderInto(&painter, sharedSvgRenderer(m_resource), QRectF(QPointF(0, 0), actual));
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

// How many pictures show each source: only a source shown more than once has its drawing kept.
QHash<QString, int> &pictureCounts()
{
    static QHash<QString, int> counts;
    return counts;
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
    : QWidget(parent)
    , m_resource(resource)
    , m_renderer(sharedSvgRenderer(resource))
{
    installAccessibleControls();
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    resize(m_renderer->defaultSize());
    ++pictureCounts()[m_resource];
}

SvgPicture::~SvgPicture()
{
    --pictureCounts()[m_resource];
}

void SvgPicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect pixels = unscaledPlace(painter, event->region());
    if (pixels.isEmpty()) {
        renderInto(&painter, m_renderer, QRectF(rect()));
        return;
    }
    // A picture is translucent, and its pixels depend on what lies beneath it: a drawing is
    // kept with the pixels it was drawn over, and only laid again over the same pixels.
    static QCache<QString, QImage> drawings(drawingCacheKiB);
    const QImage *target = static_cast<const QImage *>(painter.paintEngine()->paintDevice());
    const QImage beneath = target->copy(pixels);
    const QString key = QStringLiteral("%1 %2x%3 %4")
                            .arg(m_resource)
                            .arg(width())
                            .arg(height())
                            .arg(qHash(QByteArrayView(beneath.constBits(), beneath.sizeInBytes())));
    if (const QImage *drawing = drawings.object(key)) {
        painter.resetTransform();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, *drawing);
        return;
    }
    renderInto(&painter, m_renderer, QRectF(rect()));
    painter.end();
    auto *drawing = new QImage(target->copy(pixels));
    drawings.insert(key, drawing, int(drawing->sizeInBytes() / 1024) + 1);
}

QRect SvgPicture::unscaledPlace(QPainter &painter, const QRegion &exposed) const
{
    // Kept drawings are laid only where they give, to the last bit, what drawing the source
    // would: on an image the painter neither scales nor turns, at a whole pixel, and when the
    // whole picture is drawn (after a partial update the rest of it is not yet beneath).
    // Scaled, the raster engine's gradients and edges depend on where in the image they are
    // drawn, by a level or two of a colour, so there every picture is drawn from its source.
    if (pictureCounts().value(m_resource) < 2)
        return {};
    const QPaintDevice *device = painter.paintEngine()->paintDevice();
    const QTransform transform = painter.deviceTransform();
    if (!device || device->devType() != QInternal::Image
        || transform.type() != QTransform::TxTranslate || !(QRegion(rect()) - exposed).isEmpty())
        return {};
    const QPointF origin = transform.map(QPointF(0, 0));
    const QRect pixels(origin.toPoint(), size());
    if (QPointF(pixels.topLeft()) != origin
        || !static_cast<const QImage *>(device)->rect().contains(pixels))
        return {};
    return pixels;
}

void ClickPicture::mouseReleaseEvent(QMouseEvent *event)
{
    if (isClickRelease(this, event))
        emit clicked();
    else
        SvgPicture::mouseReleaseEvent(event);
}

} // namespace orbelune
