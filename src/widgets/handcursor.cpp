#include "widgets/handcursor.h"

#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace orbelune {

namespace {

// '#' black, '.' white, blank transparent; the rows below the last are blank.
constexpr int handSize = 32;
constexpr std::array<const char *, 23> hand {
    "      ##                        ", //
    "     #..#                       ", //
    "     #..#                       ", //
    "     #..#                       ", //
    "     #..#                       ", //
    "     #..###                     ", //
    "     #..#..#                    ", //
    "     #..#..###                  ", //
    "     #..#..#..#                 ", //
    "     #..#..#..###               ", //
    "     #..#..#..#..#              ", //
    " ##  #..#..#..#..#              ", //
    "#..# #...........#              ", //
    " #...............#              ", //
    "  #..............#              ", //
    "  #..............#              ", //
    "   #.............#              ", //
    "   #............#               ", //
    "    #...........#               ", //
    "    #..........#                ", //
    "     #.........#                ", //
    "     #.........#                ", //
    "     ###########                ", //
};
constexpr int hotX = 6;
constexpr int hotY = 0;

// The hand, each pixel a scale × scale square, set where its character is one of `set`.
QBitmap handBitmap(int scale, const char *set)
{
    const int side = handSize * scale;
    const int bytesPerLine = (side + 7) / 8;
    QByteArray bits(bytesPerLine * side, '\0');
    for (int y = 0; y < int(hand.size()) * scale; ++y) {
        const char *row = hand[std::size_t(y / scale)];
        for (int x = 0; x < side; ++x) {
            if (std::strchr(set, row[x / scale]))
                bits[y * bytesPerLine + x / 8] |= char(1 << (x % 8));
        }
    }
    return QBitmap::fromData(QSize(side, side), reinterpret_cast<const uchar *>(bits.constData()),
                             QImage::Format_MonoLSB);
}

} // namespace

QCursor handCursor(qreal devicePixelRatio)
{
    // X11 takes a cursor's bitmap in device pixels whatever the scale, so there each pixel is a
    // square of device pixels and the hot spot matches; other platforms scale cursors themselves.
    const int scale = QGuiApplication::platformName() == QLatin1String("xcb")
        ? std::max(1, int(std::lround(devicePixelRatio)))
        : 1;
    return QCursor(handBitmap(scale, "#"), handBitmap(scale, "#."), hotX * scale, hotY * scale);
}

} // namespace orbelune
