// Draws pictures from their vector sources at scale 1 on white, at build time, so that the
// program can lay the drawing where it shows a picture at scale 1 on white instead of reading
// and drawing the source while it starts:
//   orbelune-draw-pictures <output folder> <picture.svg>...
// writes <output folder>/<picture>.drawn for each: the width and the height as two 32-bit
// little-endian numbers, then the pixels, row by row, each a 32-bit 0xffRRGGBB in the machine's
// order (QImage::Format_RGB32). The drawing is made as the program draws a picture in a
// window, so it gives the same pixels to the last bit; the program's tests hold it to that.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: %s <output folder> <picture.svg>...\n", argv[0]);
        return 2;
    }
    const QDir output(args.at(1));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (const QString &source : args.mid(2)) {
        QSvgRenderer renderer(source);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(source));
            return 1;
        }
        // Drawn with room around it, as in a window, where a picture is a part of a larger
        // image: drawn on an image of its own size, shapes that reach its edge came out a
        // level of colour away from the same shapes drawn in a window.
        constexpr int room = 16;
        const QSize size = renderer.defaultSize();
        QImage canvas(size + QSize(2 * room, 2 * room), QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            painter.translate(room, room);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        const QImage drawing = canvas.copy(QRect(QPoint(room, room), size));

        QByteArray bytes(8, '\0');
        qToLittleEndian<quint32>(quint32(size.width()), bytes.data());
        qToLittleEndian<quint32>(quint32(size.height()), bytes.data() + 4);
        for (int y = 0; y < drawing.height(); ++y)
            bytes.append(reinterpret_cast<const char *>(drawing.constScanLine(y)),
                         qsizetype(size.width()) * 4);
        const QString file
            = output.filePath(QFileInfo(source).completeBaseName() + QLatin1String(".drawn"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
