#pragma once

#include <QPalette>

class QColor;
class QFont;
class QPushButton;
class QRect;
class QString;
class QWidget;

namespace orbelune {

// Gives the program its one look whatever style or palette the desktop hands it
// (QT_STYLE_OVERRIDE, qt6ct, KDE, GNOME, a dark mode): Fusion with frames on whole device
// pixels, the classic light palette in every colour group and for tool tips, the program's
// font. Called before any window is built; calling it again puts the look back.
void installProgramLook();

// The program's light colours: white list boxes, black text, a light grey-white button face
// and menu bar, a blue selection, pale yellow tool tips.
QPalette programPalette();

// A Song (serif) face, the usual face of Chinese desktops, falling back to whatever CJK face the
// system has so that Chinese never shows as boxes. In pixels, as the layout is.
QFont songFont(int pixelSize, bool bold = false);

constexpr int defaultFontPx = 12; // 9 pt
constexpr int greetingFontPx = 16; // 12 pt
constexpr int ballFontPx = 32; // 24 pt

// Gives one colour role of a widget's palette a colour, leaving the rest as inherited.
void setPaletteColor(QWidget *widget, QPalette::ColorRole role, const QColor &color);

// Paints a widget white, the background of both windows and their group boxes.
void makeWhite(QWidget *widget);

// The push button both windows have: a white face, the window's default button (Enter).
QPushButton *makeDefaultButton(const QString &text, const char *name, const QRect &geometry,
                               QWidget *parent);

} // namespace orbelune
