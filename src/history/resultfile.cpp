#include "history/resultfile.h"

#include "fileio/codepage936.h"

namespace orbelune {

namespace {

const QLatin1String lineEnd("\r\n");

QString headingLine(const QStringList &captions)
{
    return resultHeading() + ballText(captions);
}

// The first character of line that GBK cannot hold; line holds one. Halving the line keeps a
// row as long as a file to a few dozen conversions.
char32_t firstUnencodable(QStringView line)
{
    qsizetype fits = 0; // line.first(fits) fits, line.first(fails) does not
    qsizetype fails = line.size();
    for (;;) {
        qsizetype middle = fits + (fails - fits) / 2;
        if (middle > 0 && middle < line.size() && line[middle].isLowSurrogate()
            && line[middle - 1].isHighSurrogate())
            ++middle;
        if (middle <= fits || middle >= fails)
            break;
        (fitsGbk(line.first(middle)) ? fits : fails) = middle;
    }
    if (fails - fits == 2)
        return QChar::surrogateToUcs4(line[fits], line[fits + 1]);
    return line[fits].unicode();
}

} // namespace

QString resultHeading()
{
    return QStringLiteral("Orbelune运算获得中奖机率最大的一组球号是：");
}

QString ballText(const QStringList &captions)
{
    QString text;
    for (qsizetype p = 0; p < 7; ++p) {
        if (p > 0)
            text += p < 6 ? u',' : u' ';
        text += captions.value(p);
    }
    return text;
}

QString resultFileText(const QStringList &captions, const QStringList &rows)
{
    QString text = headingLine(captions) + lineEnd;
    if (!rows.isEmpty())
        text += rows.join(lineEnd) + lineEnd;
    return text;
}

ResultFileBytes encodeResultFile(const QStringList &captions, const QStringList &rows)
{
    const QString text = resultFileText(captions, rows);
    if (std::optional<QByteArray> bytes = strictEncodeGbk(text))
        return ResultFileBytes { *std::move(bytes), 0 };

    // Only a list read from a Unicode file can get here; find the line and character to name.
    if (const QString heading = headingLine(captions); !fitsGbk(heading))
        return ResultFileBytes { {}, 1, firstUnencodable(heading) };
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!fitsGbk(rows.at(i)))
            return ResultFileBytes { {}, i + 2, firstUnencodable(rows.at(i)) };
    }
    return ResultFileBytes { {}, 1 };
}

} // namespace orbelune
