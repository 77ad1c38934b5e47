#include "widgets/appstyle.h"

#include <QFont>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace orbelune {

QFont songFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({ QStringLiteral("SimSun"), QStringLiteral("宋体"),
                       QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
                       QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                       QStringLiteral("Source Han Serif SC"), QStringLiteral("Songti SC") });
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setPaletteColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

void makeWhite(QWidget *widget)
{
    setPaletteColor(widget, QPalette::Window, Qt::white);
    widget->setAutoFillBackground(true);
}

} // namespace orbelune
