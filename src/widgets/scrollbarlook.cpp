#include "widgets/scrollbarlook.h"

#include "widgets/devicegrid.h"

#include <QPainter>
#include <QStyleOptionSlider>

#include <algorithm>
#include <iterator>
#include <utility>

namespace orbelune {

namespace {

QColor mix(const QColor &from, const QColor &to, qreal amount)
{
    const auto channel = [amount](int a, int b) { return a + qRound((b - a) * amount); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// The colours of one scroll bar, all opaque, so that each part is painted apart from the rest.
struct Shades
{
    QColor grooveEdge;
    QColor groove;
    QColor line; // the outline, as seen over the groove
    QColor arrow;
    QColor faceLight; // a button or the slider: light on the left, darker on the right
    QColor faceDark;

    Shades(const QStyleOptionSlider &option, QStyle::SubControl part)
    {
        const QPalette &palette = option.palette;
        // The button colour a shade lighter and a little greyer, as Fusion mixes it.
        QColor face = palette.button().color();
        face = face.lighter(100 + std::max(1, (180 - qGray(face.rgb())) / 6));
        face.setHsv(face.hue(), face.saturation() * 3 / 4, face.value());

        grooveEdge = face.darker(107);
        groove = face.darker(105);
        line = mix(grooveEdge, palette.window().color().darker(140), 180.0 / 255);
        arrow = mix(face, palette.windowText().color(), 160.0 / 255);

        const bool active = option.activeSubControls & part;
        if (active && (option.state & QStyle::State_Sunken)) {
            faceLight = faceDark = mix(face, face.lighter(118), 0.4);
        } else if (active && (option.state & QStyle::State_MouseOver)) {
            faceLight = face.lighter(118).darker(102);
            faceDark = face.lighter(102);
        } else {
            faceLight = face.lighter(108);
            faceDark = face;
        }
    }
};

// Fills `rect` column by column, from `left` on its left to `right` on its right.
void fillAcross(QPainter *painter, const QRect &rect, const QColor &left, const QColor &right)
{
    const int columns = rect.width();
    for (int i = 0; i < columns; ++i) {
        const qreal at = columns > 1 ? qreal(i) / (columns - 1) : 0;
        painter->fillRect(QRect(rect.left() + i, rect.top(), 1, rect.height()),
                          mix(left, right, at));
    }
}

// A triangle of whole pixels pointing up (or down), centred in `area`, as wide as eight
// fourteenths of the bar is thick, rounded to an even width so that its point is symmetric.
void drawArrow(QPainter *painter, const QRect &area, int thickness, bool up, const QColor &color)
{
    const int rows = std::max(2, (thickness * 4 + 7) / 14);
    const int left = area.left() + (area.width() - 2 * rows) / 2;
    const int top = area.top() + (area.height() - rows) / 2;
    for (int row = 0; row < rows; ++row) {
        const int inset = up ? rows - 1 - row : row;
        painter->fillRect(QRect(left + inset, top + row, 2 * (rows - inset), 1), color);
    }
}

// Paints one part on the device grid. `paint` draws it as part of a vertical bar; a horizontal
// bar's parts are drawn the same with the axes swapped, so the two cannot look different.
template <typename Paint>
void paintPart(QPainter *painter, const QRect &rect, bool horizontal, Paint paint)
{
    if (rect.isEmpty())
        return;
    paintOnDeviceGrid(painter, rect, [&](QPainter *onGrid, const QRect &onGridRect) {
        onGrid->save();
        onGrid->setRenderHint(QPainter::Antialiasing, false);
        QRect part = onGridRect;
        if (horizontal) {
            onGrid->setTransform(QTransform(0, 1, 1, 0, 0, 0), true);
            part = QRect(part.top(), part.left(), part.height(), part.width());
        }
        paint(onGrid, part);
        onGrid->restore();
    });
}

} // namespace

QRect scrollBarPart(const QStyleOptionSlider &option, QStyle::SubControl part)
{
    const bool horizontal = option.orientation == Qt::Horizontal;
    const QRect bar = option.rect;
    const int length = horizontal ? bar.width() : bar.height();
    const int button = std::min(length / 2, scrollBarExtent);
    const int track = std::max(0, length - 2 * button);

    int sliderLength = track;
    if (option.maximum > option.minimum) {
        const qint64 range = qint64(option.maximum) - option.minimum;
        const qint64 page = std::max(option.pageStep, 0);
        sliderLength = int(page * track / (range + page));
        sliderLength = std::clamp(sliderLength, std::min(scrollBarSliderMin, track), track);
    }
    const int sliderStart = button
        + QStyle::sliderPositionFromValue(option.minimum, option.maximum, option.sliderPosition,
                                          track - sliderLength, option.upsideDown);

    // Each part as its first pixel along the bar and the first past it.
    const int sliderEnd = sliderStart + sliderLength;
    const int trackEnd = length - button;
    const std::pair<QStyle::SubControl, std::pair<int, int>> spans[] = {
        { QStyle::SC_ScrollBarSubLine, { 0, button } },
        { QStyle::SC_ScrollBarAddLine, { trackEnd, length } },
        { QStyle::SC_ScrollBarSubPage, { button, sliderStart } },
        { QStyle::SC_ScrollBarAddPage, { sliderEnd, trackEnd } },
        { QStyle::SC_ScrollBarGroove, { button, trackEnd } },
        { QStyle::SC_ScrollBarSlider, { sliderStart, sliderEnd } },
    };
    const auto span = std::find_if(std::begin(spans), std::end(spans),
                                   [part](const auto &entry) { return entry.first == part; });
    if (span == std::end(spans))
        return {};
    const auto [from, end] = span->second;
    const int size = end - from;
    const QRect along = horizontal ? QRect(bar.left() + from, bar.top(), size, bar.height())
                                   : QRect(bar.left(), bar.top() + from, bar.width(), size);
    return QStyle::visualRect(option.direction, bar, along);
}

void drawScrollBar(const QStyleOptionSlider &option, QPainter *painter)
{
    const bool horizontal = option.orientation == Qt::Horizontal;
    const auto partAt = [&option](QStyle::SubControl part) {
        return (option.subControls & part) ? scrollBarPart(option, part) : QRect();
    };

    // The groove: a grey channel, the outline down one side and a darker edge down the other.
    const Shades groove(option, QStyle::SC_ScrollBarGroove);
    paintPart(painter, partAt(QStyle::SC_ScrollBarGroove), horizontal,
              [&groove](QPainter *p, const QRect &r) {
                  p->fillRect(r, groove.groove);
                  p->fillRect(QRect(r.left(), r.top(), 1, r.height()), groove.line);
                  p->fillRect(QRect(r.right(), r.top(), 1, r.height()), groove.grooveEdge);
              });

    // The slider, its outline one pixel past each end to share its line with a button it touches.
    const QRect slider = partAt(QStyle::SC_ScrollBarSlider);
    if (!slider.isEmpty()) {
        const Shades shades(option, QStyle::SC_ScrollBarSlider);
        const QRect outlined
            = horizontal ? slider.adjusted(-1, 0, 1, 0) : slider.adjusted(0, -1, 0, 1);
        paintPart(painter, outlined & option.rect, horizontal,
                  [&shades](QPainter *p, const QRect &r) {
                      fillAcross(p, r.adjusted(1, 1, 0, -1), shades.faceLight, shades.faceDark);
                      p->fillRect(QRect(r.left(), r.top(), 1, r.height()), shades.line);
                      p->fillRect(QRect(r.left(), r.top(), r.width(), 1), shades.line);
                      p->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), shades.line);
                  });
    }

    // The buttons, an outline towards the groove, an arrow pointing to the end it moves towards.
    const QRect whole = option.rect;
    for (const QStyle::SubControl part :
         { QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine }) {
        const QRect button = partAt(part);
        if (button.isEmpty())
            continue;
        const bool towardsStart = horizontal ? button.center().x() < whole.center().x()
                                             : button.center().y() < whole.center().y();
        const Shades shades(option, part);
        paintPart(painter, button, horizontal, [&](QPainter *p, const QRect &r) {
            fillAcross(p, r.adjusted(1, 0, 0, 0), shades.faceLight, shades.faceDark);
            p->fillRect(QRect(r.left(), r.top(), 1, r.height()), shades.line);
            const int edge = towardsStart ? r.bottom() : r.top();
            p->fillRect(QRect(r.left(), edge, r.width(), 1), shades.line);
            const QRect face = towardsStart ? r.adjusted(1, 0, 0, -1) : r.adjusted(1, 1, 0, 0);
            drawArrow(p, face, r.width(), towardsStart, shades.arrow);
        });
    }
}

} // namespace orbelune
