// Turns the text of a picture into outlines, so that the program draws its pictures the same on
// every machine, whatever fonts it has, and without looking a font up at start-up:
//   orbelune-outline-text <artwork.svg> <picture.svg>
// Each <text> element becomes a <path> with the same fill, drawn from the first family of its
// font-family list that this machine has (the artwork names Noto Sans CJK SC first). The
// original element stays beside it as a comment, and everything else of the file is copied as
// it stands. Run by hand (make artwork) when the artwork changes; the results are committed.

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

// The text attributes an element passes on to its children.
struct TextStyle
{
    QStringList families;
    qreal size = 16;
    bool bold = false;
    QString anchor = QStringLiteral("start");
};

struct TextElement
{
    qsizetype begin = 0; // offset of "<text" in the file
    qsizetype end = 0; // offset just after "</text>"
    QString replacement;
};

TextStyle inherit(TextStyle style, const QXmlStreamAttributes &attributes)
{
    if (attributes.hasAttribute(QLatin1String("font-family"))) {
        style.families.clear();
        for (const QString &family :
             attributes.value(QLatin1String("font-family")).toString().split(u','))
            style.families.append(family.trimmed());
    }
    if (attributes.hasAttribute(QLatin1String("font-size")))
        style.size = attributes.value(QLatin1String("font-size")).toDouble();
    if (attributes.hasAttribute(QLatin1String("font-weight")))
        style.bold = attributes.value(QLatin1String("font-weight")) == u"bold";
    if (attributes.hasAttribute(QLatin1String("text-anchor")))
        style.anchor = attributes.value(QLatin1String("text-anchor")).toString();
    return style;
}

QString number(qreal value)
{
    // Two decimals are a hundredth of a pixel at scale 1, finer than any screen shows.
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == u"-0" ? QStringLiteral("0") : text;
}

QString pathData(const QPainterPath &path)
{
    QString data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            data += u'M' + number(e.x) + u' ' + number(e.y);
            break;
        case QPainterPath::LineToElement:
            data += u'L' + number(e.x) + u' ' + number(e.y);
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element to = path.elementAt(i + 2);
            data += u'C' + number(e.x) + u' ' + number(e.y) + u' ' + number(c2.x) + u' '
                + number(c2.y) + u' ' + number(to.x) + u' ' + number(to.y);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return data;
}

// The outlines of one text element, at its position, in its style.
QString outline(const TextStyle &style, const QXmlStreamAttributes &attributes, const QString &text,
                const QString &original, QString *error)
{
    QString family;
    for (const QString &candidate : style.families) {
        if (QFontDatabase::hasFamily(candidate)) {
            family = candidate;
            break;
        }
    }
    if (family.isEmpty()) {
        *error = QStringLiteral("none of the families %1 is installed")
                     .arg(style.families.join(QLatin1String(", ")));
        return QString();
    }

    // Drawn large and scaled down, so that the outlines carry no hinting and no rounding of a
    // whole-pixel font size.
    constexpr int drawnPx = 1000;
    QFont font(family);
    font.setPixelSize(drawnPx);
    font.setBold(style.bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    const qreal scale = style.size / drawnPx;

    qreal x = attributes.value(QLatin1String("x")).toDouble();
    const qreal y = attributes.value(QLatin1String("y")).toDouble();
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text) * scale;
    if (style.anchor == u"middle")
        x -= advance / 2;
    else if (style.anchor == u"end")
        x -= advance;

    QPainterPath glyphs;
    glyphs.addText(0, 0, font, text);
    QTransform place;
    place.translate(x, y);
    place.scale(scale, scale);
    const QPainterPath placed = place.map(glyphs);

    QString element = QStringLiteral("<!-- %1 (%2%3) -->\n")
                          .arg(original, family, style.bold ? QStringLiteral(" Bold") : QString());
    QString fill;
    if (attributes.hasAttribute(QLatin1String("fill")))
        fill = QStringLiteral(" fill=\"%1\"").arg(attributes.value(QLatin1String("fill")));
    element += QStringLiteral("<path%1 d=\"%2\"/>").arg(fill, pathData(placed));
    return element;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: %s <artwork.svg> <picture.svg>\n", argv[0]);
        return 2;
    }

    QFile in(args.at(1));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QString source = QString::fromUtf8(in.readAll());

    // Find each <text> element with the style it inherits, and its place in the file.
    QList<TextElement> texts;
    QList<TextStyle> styles { TextStyle() };
    QXmlStreamReader reader(source);
    qsizetype textBegin = 0;
    QXmlStreamAttributes textAttributes;
    QString textContent;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            styles.append(inherit(styles.constLast(), reader.attributes()));
            if (reader.name() == u"text") {
                textBegin = source.lastIndexOf(QLatin1String("<text"), reader.characterOffset());
                textAttributes = reader.attributes();
                textContent.clear();
            }
        } else if (token == QXmlStreamReader::Characters) {
            textContent += reader.text();
        } else if (token == QXmlStreamReader::EndElement) {
            if (reader.name() == u"text") {
                TextElement text;
                text.begin = textBegin;
                text.end = reader.characterOffset();
                QString error;
                text.replacement = outline(styles.constLast(), textAttributes, textContent,
                                           source.mid(text.begin, text.end - text.begin), &error);
                if (!error.isEmpty()) {
                    std::fprintf(stderr, "%s: %s\n", qPrintable(args.at(1)), qPrintable(error));
                    return 1;
                }
                texts.append(text);
            }
            styles.removeLast();
        }
    }
    if (reader.hasError()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(args.at(1)), qPrintable(reader.errorString()));
        return 1;
    }

    // Replace them from the last to the first, so that the offsets stay right; each keeps the
    // indentation of the line it stood on.
    QString result = source;
    for (auto text = texts.crbegin(); text != texts.crend(); ++text) {
        const qsizetype lineStart = result.lastIndexOf(u'\n', text->begin) + 1;
        const QString indent = result.mid(lineStart, text->begin - lineStart);
        QString replacement = text->replacement;
        replacement.replace(u'\n', u'\n' + indent);
        result.replace(text->begin, text->end - text->begin, replacement);
    }

    QFile out(args.at(2));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(result.toUtf8()) < 0
        || !out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
