#pragma once

#include <QWidget>

class QSvgRenderer;

namespace orbelune {

// A still picture drawn from its vector source at whatever scale the screen has, so that it
// stays sharp; it is exactly the size of its picture and has a transparent background.
class SvgPicture : public QWidget
{
    Q_OBJECT

public:
    SvgPicture(const QString &resource, QWidget *parent);

    QString resource() const { return m_resource; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_resource;
    QSvgRenderer *m_renderer;
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

} // namespace orbelune
