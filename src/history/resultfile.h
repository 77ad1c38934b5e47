#pragma once

#include "fileio/codepage936.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orbelune {

// The text that opens the result file, followed directly by the ball text.
QString resultHeading();

// The ball text of seven captions, as they are (missing ones empty): c0,c1,c2,c3,c4,c5 c6.
QString ballText(const QStringList &captions);

// The result file as text: the heading and the ball text, then every row as given, each line
// ended by CR LF.
QString resultFileText(const QStringList &captions, const QStringList &rows);

// The result file in GBK. When a line holds a character that GBK cannot hold, bytes is
// empty, unencodableLine is that line's number in the file (1 is the heading line, 2 the
// first row) and unencodableChar the first such character in it; otherwise both are 0.
struct ResultFileBytes
{
    QByteArray bytes;
    qsizetype unencodableLine = 0;
    char32_t unencodableChar = 0;
};
ResultFileBytes encodeResultFile(const QStringList &captions, const QStringList &rows);

} // namespace orbelune
