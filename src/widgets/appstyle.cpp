#include "widgets/appstyle.h"

#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace orbelune {

namespace {

// The Song face the windows were drawn with, then the CJK faces that stand in for it, best
// first; only the first of them that this system has is asked for. Given the whole list, Qt
// looks up each face that is missing and works out fallback faces for every face and size
// asked for, some 10 million instructions at start-up; given one face that is there, it
// finds the system's fallbacks only when a character is missing from it.
QStringList songFamilies()
{
    static const QStringList families = [] {
        const QStringList wanted { QStringLiteral("SimSun"),
                                   QStringLiteral("宋体"),
                                   QStringLiteral("Noto Serif CJK SC"),
                                   QStringLiteral("AR PL UMing CN"),
                                   QStringLiteral("Noto Sans CJK SC"),
                                   QStringLiteral("WenQuanYi Zen Hei"),
                                   QStringLiteral("Source Han Serif SC"),
                                   QStringLiteral("Songti SC") };
        const QStringList installed = QFontDatabase::families();
        for (const QString &family : wanted) {
            if (installed.contains(family, Qt::CaseInsensitive))
                return QStringList { family };
        }
        return wanted;
    }();
    return families;
}

} // namespace

QFont songFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies(songFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // 宋体 has no bold face: Windows thickens the regular strokes, and Qt does the same when
    // asked for the regular style in bold. The program then reads one CJK face, not two (a
    // second Noto CJK face costs some 3.5 MB of memory and 2 ms at start-up). A family with
    // no style of that name is matched by weight as before, and gets its real bold.
    if (bold)
        font.setStyleName(QStringLiteral("Regular"));
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
