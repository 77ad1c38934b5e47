#pragma once

#include <QImage>
#include <QWidget>

class QIcon;
class QSvgRenderer;

namespace orbelune {

// A still picture, sharp at any scale, its picture's size, on a transparent background; the
// source is read once for all pictures of it. Those the main window opens with were also drawn
// at build time, at scale 1 on white: shown so, that drawing is laid instead (the very pixels
// the source gives there) and the source is not read at all.
class SvgPicture : public QWidget
{
    Q_OBJECT

public:
    SvgPicture(const QString &resource, QWidget *parent);
    // For a picture hidden when its window opens, of the size the layout gives it: its source
    // is read when it is first shown, not while the window is built.
    SvgPicture(const QString &resource, QSize size, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays the drawing made at build time, where it gives the pixels drawing the source would;
    // returns false, having drawn nothing, where it would not.
    bool layDrawing(QPainter &painter, const QRegion &exposed) const;

    QString m_resource;
    QImage m_drawing; // at scale 1 on white, made at build time; null for most pictures
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

// The parsed source of a resource, shared by every picture and icon of it; lives with the app.
QSvgRenderer *sharedSvgRenderer(const QString &resource);

// An icon drawn from a vector resource, from the shared parse, each size once however many use it.
QIcon svgIcon(const QString &resource);

} // namespace orbelune
