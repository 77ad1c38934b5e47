#include "history/historytext.h"

#include <QByteArray>
#include <QStringDecoder>

namespace orbelune {

QStringList splitHistoryLines(QStringView text)
{
    QStringList rows;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != u'\r')
            continue;
        rows.append(text.mid(start, i - start).toString());
        if (i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        rows.append(text.mid(start).toString());
    return rows;
}

QString decodeGbk(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

} // namespace orbelune
