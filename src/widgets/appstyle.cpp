#include "widgets/appstyle.h"

#include "widgets/devicegrid.h"
#include "widgets/scrollbarlook.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStringList>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolTip>
#include <QWidget>

namespace orbelune {

namespace {

// The Song face the windows are laid out for, then the CJK faces that stand in for it, best
// first; only the first of them that this system has is asked for. Given the whole list, Qt
// works out fallbacks for every missing face and every size, some 10 million instructions at
// start-up; given one face that is there, it looks for fallbacks only for a missing character.
QStringList songFamilies()
{
    static const QStringList families = [] {
        const QStringList wanted = QStringLiteral("SimSun|宋体|Noto Serif CJK SC|AR PL UMing CN|"
                                                  "Noto Sans CJK SC|WenQuanYi Zen Hei|"
                                                  "Source Han Serif SC|Songti SC")
                                       .split(u'|');
        const QStringList installed = QFontDatabase::families();
        for (const QString &family : wanted) {
            if (installed.contains(family, Qt::CaseInsensitive))
                return QStringList { family };
        }
        return wanted;
    }();
    return families;
}

// Fusion's blue for an outline the keyboard has reached, never paler than a mid tone.
QColor focusOutline(const QPalette &palette)
{
    QColor highlighted = palette.highlight().color().darker(125);
    if (highlighted.lightness() > 160)
        highlighted.setHsl(highlighted.hue(), highlighted.saturation(), 160);
    return highlighted;
}

bool hasKeyboardFocus(const QStyleOption *option)
{
    return (option->state & QStyle::State_HasFocus)
        && (option->state & QStyle::State_KeyboardFocusChange);
}

// A push button's face in Fusion's manner: a light gradient inside a round-cornered outline,
// blue on the default button and on one the keyboard has reached, grey on the others, paler
// when disabled. Fusion's own comes from a cache made at the screen's scale, whose one-pixel
// lines blur at 1.25 or 1.75; this one is drawn in whole pixels for paintOnDeviceGrid.
void drawButtonPanel(const QStyleOption *option, QPainter *painter, const QRect &rect)
{
    const QPalette &palette = option->palette;
    const bool enabled = option->state & QStyle::State_Enabled;
    const bool down = option->state & (QStyle::State_Sunken | QStyle::State_On);
    const bool hover = enabled && (option->state & QStyle::State_MouseOver);
    const bool keyboardFocus = hasKeyboardFocus(option);
    bool isDefault = false;
    if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option)) {
        if (button->features & QStyleOptionButton::Flat && !down)
            return;
        isDefault = enabled && (button->features & QStyleOptionButton::DefaultButton);
    }

    const QColor highlighted = focusOutline(palette);
    QColor outline = palette.window().color().darker(140);
    if (isDefault || keyboardFocus)
        outline = highlighted;
    else if (!enabled)
        outline = outline.lighter(115);

    QColor face = palette.button().color();
    if (isDefault) {
        const QColor tint = highlighted.lighter(130);
        face = QColor((face.red() * 9 + tint.red()) / 10, (face.green() * 9 + tint.green()) / 10,
                      (face.blue() * 9 + tint.blue()) / 10);
    }
    if (!hover)
        face = face.darker(104);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QRect inside = rect.adjusted(1, 1, -1, -1);
    if (down) {
        painter->fillRect(inside, face.darker(110));
    } else {
        QLinearGradient gradient(inside.topLeft(), inside.bottomLeft());
        gradient.setColorAt(0, face.lighter(124));
        gradient.setColorAt(1, face.lighter(102));
        painter->fillRect(inside, gradient);
    }

    // The outline's sides stop two pixels short of each corner, rounded by half-strength pixels.
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    painter->fillRect(QRect(QPoint(l + 2, t), QPoint(r - 2, t)), outline);
    painter->fillRect(QRect(QPoint(l + 2, b), QPoint(r - 2, b)), outline);
    painter->fillRect(QRect(QPoint(l, t + 2), QPoint(l, b - 2)), outline);
    painter->fillRect(QRect(QPoint(r, t + 2), QPoint(r, b - 2)), outline);
    QColor soft = outline;
    soft.setAlphaF(0.6f);
    for (const QPoint corner :
         { QPoint(l + 1, t), QPoint(l, t + 1), QPoint(l + 1, t + 1), QPoint(r - 1, t),
           QPoint(r, t + 1), QPoint(r - 1, t + 1), QPoint(l + 1, b), QPoint(l, b - 1),
           QPoint(l + 1, b - 1), QPoint(r - 1, b), QPoint(r, b - 1), QPoint(r - 1, b - 1) })
        painter->fillRect(QRect(corner, QSize(1, 1)), soft);

    // The default button's outline is always blue, so a dotted ring marks the keyboard's place.
    if (keyboardFocus) {
        const QRect ring = rect.adjusted(3, 3, -3, -3);
        const QColor dot = palette.buttonText().color();
        for (int x = ring.left(); x <= ring.right(); x += 2) {
            painter->fillRect(QRect(x, ring.top(), 1, 1), dot);
            painter->fillRect(QRect(x, ring.bottom(), 1, 1), dot);
        }
        for (int y = ring.top(); y <= ring.bottom(); y += 2) {
            painter->fillRect(QRect(ring.left(), y, 1, 1), dot);
            painter->fillRect(QRect(ring.right(), y, 1, 1), dot);
        }
    }
    painter->restore();
}

// Fusion, built into Qt Widgets on every platform, draws every colour from the palette. The
// program's own: frames of list boxes and buttons on whole device pixels at any scale, its own
// scroll bars, and dialog buttons without icons whatever the desktop's theme prefers.
class ProgramStyle : public QProxyStyle
{
public:
    ProgramStyle()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
        setObjectName(QStringLiteral("OrbeluneFusion"));
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_Frame && qobject_cast<const QAbstractScrollArea *>(widget)) {
            // An empty list shows no current item, so the frame shows the keyboard's place.
            const QColor outline = hasKeyboardFocus(option)
                ? focusOutline(option->palette)
                : option->palette.window().color().darker(140).lighter(108);
            drawGridFrame(painter, option->rect, outline);
            return;
        }
        if (element == PE_PanelButtonCommand) {
            paintOnDeviceGrid(painter, option->rect, [option](QPainter *onGrid, const QRect &rect) {
                drawButtonPanel(option, onGrid, rect);
            });
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override
    {
        if (const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
            bar && control == CC_ScrollBar) {
            drawScrollBar(*bar, painter);
            return;
        }
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                         const QWidget *widget) const override
    {
        if (const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
            bar && control == CC_ScrollBar)
            return scrollBarPart(*bar, part);
        return QProxyStyle::subControlRect(control, option, part, widget);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (metric == PM_ScrollBarExtent)
            return scrollBarExtent;
        if (metric == PM_ScrollBarSliderMin)
            return scrollBarSliderMin;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        // A scroll bar that fades away until the pointer comes near hides how long the list is.
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons || hint == SH_ScrollBar_Transient)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QPalette programPalette()
{
    // Qt's own light colours, the ones the windows show on a desktop without a theme.
    struct Role
    {
        QPalette::ColorRole role;
        QRgb normal; // active and inactive
        QRgb disabled;
    };
    static constexpr Role roles[] = {
        { QPalette::WindowText, 0xff000000, 0xffbebebe },
        { QPalette::Button, 0xffefefef, 0xffefefef },
        { QPalette::Light, 0xffffffff, 0xffffffff },
        { QPalette::Midlight, 0xffcacaca, 0xffcacaca },
        { QPalette::Dark, 0xff9f9f9f, 0xffbebebe },
        { QPalette::Mid, 0xffb8b8b8, 0xffb8b8b8 },
        { QPalette::Text, 0xff000000, 0xffbebebe },
        { QPalette::BrightText, 0xffffffff, 0xffffffff },
        { QPalette::ButtonText, 0xff000000, 0xffbebebe },
        { QPalette::Base, 0xffffffff, 0xffefefef },
        { QPalette::Window, 0xffefefef, 0xffefefef },
        { QPalette::Shadow, 0xff767676, 0xffb1b1b1 },
        { QPalette::Highlight, 0xff308cc6, 0xff919191 },
        { QPalette::HighlightedText, 0xffffffff, 0xffffffff },
        { QPalette::Link, 0xff0000ff, 0xff0000ff },
        { QPalette::LinkVisited, 0xffff00ff, 0xffff00ff },
        { QPalette::AlternateBase, 0xfff7f7f7, 0xfff7f7f7 },
        { QPalette::NoRole, 0xff000000, 0xff000000 },
        { QPalette::ToolTipBase, 0xffffffdc, 0xffffffdc },
        { QPalette::ToolTipText, 0xff000000, 0xff000000 },
        { QPalette::PlaceholderText, 0x80000000, 0x80000000 },
    };
    QPalette palette;
    for (const Role &role : roles) {
        palette.setColor(QPalette::Active, role.role, QColor::fromRgba(role.normal));
        palette.setColor(QPalette::Inactive, role.role, QColor::fromRgba(role.normal));
        palette.setColor(QPalette::Disabled, role.role, QColor::fromRgba(role.disabled));
    }
    return palette;
}

namespace {

// Puts the program's palette and font back whenever someone sets the application's own (qt6ct
// sets its font once the event loop runs; a desktop's new colour scheme brings a new palette).
// Setting what is already set does nothing, so this never loops.
void keepPaletteAndFont()
{
    const QPalette palette = programPalette();
    if (QApplication::palette() != palette)
        QApplication::setPalette(palette);
    QToolTip::setPalette(palette);
    const QFont font = songFont(defaultFontPx);
    if (QApplication::font() != font)
        QApplication::setFont(font);
    if (QToolTip::font() != font)
        QToolTip::setFont(font);
}

class LookKeeper : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == qApp
            && (event->type() == QEvent::ApplicationPaletteChange
                || event->type() == QEvent::ApplicationFontChange))
            keepPaletteAndFont();
        return false;
    }
};

} // namespace

void installProgramLook()
{
    // The style first: it hands the application its standard palette, replaced next. Setting
    // the palette and font also drops those a platform theme gave single classes (menus,
    // buttons, labels), but setting the palette already set does nothing: a different one first.
    QApplication::setStyle(new ProgramStyle);
    QApplication::setPalette(QPalette(Qt::black));
    QApplication::setPalette(programPalette());
    QApplication::setFont(songFont(defaultFontPx));
    keepPaletteAndFont();
    static QPointer<LookKeeper> keeper;
    if (!keeper) {
        keeper = new LookKeeper(qApp);
        qApp->installEventFilter(keeper);
    }
    // The icons of Qt's own file dialog come from the style, drawn for a light palette, rather
    // than from a desktop icon theme that may be drawn for a dark one.
    QIcon::setThemeName(QString());
}

QFont songFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies(songFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // 宋体 has no bold face: Windows thickens the regular strokes, as Qt does for the regular
    // style asked in bold. So one CJK face is read, not two (a second Noto CJK face costs 3.5 MB
    // and 2 ms at start-up); a family without that style is matched by weight, its real bold.
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

QPushButton *makeDefaultButton(const QString &text, const char *name, const QRect &geometry,
                               QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    setPaletteColor(button, QPalette::Button, Qt::white);
    button->setDefault(true);
    return button;
}

} // namespace orbelune
