#pragma once

#include <QPalette>

class QColor;
class QFont;
class QPushButton;
class QRect;
class QString;
class QWidget;

namespace orbelune {

// Gives the program the one look it has on every desktop, whatever palette, colour scheme or
// widget style the desktop hands it (QT_STYLE_OVERRIDE, a platform theme such as qt6ct, KDE or
// GNOME, a dark mode): the Fusion style with its frames on whole device pixels, the classic
// light palette in every colour group and for the tool tips, and the program's font. Called
// once the application object exists and before any window is built; calling it again puts
// the look back after someone changed it.
void installProgramLook();

// The program's light colours: white list boxes, black text, a light grey-white button face
// and menu bar, a blue selection, pale yellow tool tips.
QPalette programPalette();

// The program's fonts: a Song (serif) face, the usual face of Chinese desktops, falling back
// to whatever CJK face the system has so that Chinese never shows as boxes.
// Sizes are in pixels because the layout is in pixels: 12 px is 9 pt at 96 dpi.
QFont songFont(int pixelSize, bool bold = false);

// Font sizes of the window, in pixels at 96 dpi.
constexpr int defaultFontPx = 12; // 9 pt
constexpr int greetingFontPx = 16; // 12 pt
constexpr int ballFontPx = 32; // 24 pt

// Gives one colour role of a widget's palette a colour, leaving the rest as inherited.
void setPaletteColor(QWidget *widget, QPalette::ColorRole role, const QColor &color);

// Paints a widget white, the background of both windows and their group boxes.
void makeWhite(QWidget *widget);

// The push button both windows have: a white face, and the window's default button (Enter
// presses it).
QPushButton *makeDefaultButton(const QString &text, const char *name, const QRect &geometry,
                               QWidget *parent);

} // namespace orbelune
