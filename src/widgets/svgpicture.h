#pragma once

#include <QWidget>

class QIcon;
class QSvgRenderer;

namespace orbelune {

// A still picture drawn from its vector source at whatever scale the screen has, so that it
// stays sharp; it is exactly the size of its picture and has a transparent background. The
// vector source is read once for all pictures of it, and at scale 1 the drawing of a source
// shown more than once is kept and laid again wherever it stands on the same pixels: the six
// red balls are drawn once.
class SvgPicture : public QWidget
{
    Q_OBJECT

public:
    SvgPicture(const QString &resource, QWidget *parent);
    ~SvgPicture() override;

    QString resource() const { return m_resource; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The picture's place in device pixels on the painter's image, where a kept drawing may be
    // laid; an empty rectangle where it may not.
    QRect unscaledPlace(QPainter &painter, const QRegion &exposed) const;

    QString m_resource;
    QSvgRenderer *m_renderer; // shared, see sharedSvgRenderer()
};

// A picture box that reacts to a click, like the program's link labels.
class ClickPicture : public SvgPicture
{
    Q_OBJECT

public:
    using SvgPicture::SvgPicture;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The parsed vector source of a resource, read once and shared by every picture and icon drawn
// from it; it lives as long as the application object.
QSvgRenderer *sharedSvgRenderer(const QString &resource);

// An icon drawn from a vector resource at each size it is asked for, as sharp as Qt's own SVG
// icons, but from the shared parse and each size drawn once, however many windows carry it.
QIcon svgIcon(const QString &resource);

} // namespace orbelune
