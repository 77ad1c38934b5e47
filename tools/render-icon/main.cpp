// Renders the application icon from its vector source, at build time, with nothing but Qt:
//   orbelune-render-icon <icon.svg> <output folder> <name> <size>...
//       writes <output folder>/<size>x<size>/apps/<name>.png for each size (the hicolor theme);
//   orbelune-render-icon --ico <icon.svg> <file.ico> <size>...
//       writes one Windows icon file holding an image of each size.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>
#include <optional>

namespace {

QImage render(QSvgRenderer &renderer, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

std::optional<QList<int>> sizesOf(const QStringList &texts, int largest)
{
    QList<int> sizes;
    for (const QString &text : texts) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size <= 0 || size > largest) {
            std::fprintf(stderr, "not a size: %s\n", qPrintable(text));
            return std::nullopt;
        }
        sizes.append(size);
    }
    return sizes;
}

int writePngs(QSvgRenderer &renderer, const QDir &output, const QString &name,
              const QList<int> &sizes)
{
    for (const int size : sizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file
            = output.filePath(folder + QLatin1Char('/') + name + QLatin1String(".png"));
        if (!output.mkpath(folder) || !render(renderer, size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

void appendLe16(QByteArray &bytes, quint16 value)
{
    const quint16 le = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&le), sizeof le);
}

void appendLe32(QByteArray &bytes, quint32 value)
{
    const quint32 le = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&le), sizeof le);
}

// An .ico file is a directory of images. Each image here is stored as a whole PNG file,
// which every Windows since Vista reads at any size; Qt's own ICO writer stores one image
// only.
int writeIco(QSvgRenderer &renderer, const QString &file, const QList<int> &sizes)
{
    QList<QByteArray> pngs;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!render(renderer, size).save(&buffer, "PNG")) {
            std::fprintf(stderr, "cannot encode the %d px image\n", size);
            return 1;
        }
        pngs.append(png);
    }

    constexpr int headerSize = 6;
    constexpr int entrySize = 16;
    QByteArray ico;
    appendLe16(ico, 0); // reserved
    appendLe16(ico, 1); // an icon, not a cursor
    appendLe16(ico, quint16(sizes.size()));
    quint32 offset = headerSize + entrySize * quint32(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        // A width and height of 0 stand for 256.
        const char side = char(sizes.at(i) >= 256 ? 0 : sizes.at(i));
        ico.append(side);
        ico.append(side);
        ico.append('\0'); // no palette
        ico.append('\0'); // reserved
        appendLe16(ico, 1); // colour planes
        appendLe16(ico, 32); // bits per pixel
        appendLe32(ico, quint32(pngs.at(i).size()));
        appendLe32(ico, offset);
        offset += quint32(pngs.at(i).size());
    }
    for (const QByteArray &png : pngs)
        ico.append(png);

    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(ico) != ico.size() || !out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Fonts, should the icon ever carry text, need a GUI application; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments();
    const bool ico = args.size() > 1 && args.at(1) == QLatin1String("--ico");
    if (ico)
        args.removeAt(1);
    if (args.size() < (ico ? 4 : 5)) {
        std::fprintf(stderr,
                     "usage: %s <icon.svg> <output folder> <name> <size>...\n"
                     "       %s --ico <icon.svg> <file.ico> <size>...\n",
                     argv[0], argv[0]);
        return 2;
    }

    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    // An icon directory entry holds at most 256 pixels a side.
    const auto sizes = sizesOf(args.mid(ico ? 3 : 4), ico ? 256 : 4096);
    if (!sizes)
        return 2;
    return ico ? writeIco(renderer, args.at(2), *sizes)
               : writePngs(renderer, QDir(args.at(2)), args.at(3), *sizes);
}
