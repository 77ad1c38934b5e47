#include "history/resultfile.h"

#include "fileio/codepage936.h"

namespace orbelune {

namespace {

const QLatin1String lineEnd("\r\n");

QString headingLine(const QStringList &captions)
{
    return resultHeading() + ballText(captions);
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
    qsizetype size = text.size();
    for (const QString &row : rows)
        size += row.size() + 2;
    text.reserve(size);
    for (const QString &row : rows)
        text += row + lineEnd;
    return text;
}

ResultFileBytes encodeResultFile(const QStringList &captions, const QStringList &rows)
{
    const QString text = resultFileText(captions, rows);
    if (std::optional<QByteArray> bytes = strictEncodeGbk(text))
        return ResultFileBytes { *std::move(bytes), 0 };

    // Only a list read from a Unicode file can get here; find the line to name.
    if (!fitsGbk(headingLine(captions)))
        return ResultFileBytes { {}, 1 };
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!fitsGbk(rows.at(i)))
            return ResultFileBytes { {}, i + 2 };
    }
    return ResultFileBytes { {}, 1 };
}

} // namespace orbelune
