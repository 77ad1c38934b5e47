// The result file built from arbitrary captions and rows. The input is text (see anyText):
// its pieces between U+001E are the captions, as many as the second byte says (0 to 7,
// missing ones count as empty), then the rows.
// What must hold: the heading line is the heading and the seven captions joined by commas
// and one blank; every row follows exactly as given, each ended by CR LF; the GBK bytes
// decode to that text, or else nothing is written and the line named is the first one that
// GBK cannot hold.

#include "fuzzcheck.h"
#include "history/historyrow.h"
#include "history/historytext.h"
#include "history/resultfile.h"

using namespace orbelune;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const qsizetype captionCount = data[1] % 8;
    QStringList pieces = fuzz::anyText(data, size).split(QChar(u'\x1e'));
    QStringList captions = pieces.mid(0, captionCount);
    const QStringList rows = pieces.mid(captionCount);

    QString balls;
    for (int p = 0; p < 7; ++p)
        balls += (p == 0      ? QString()
                      : p < 6 ? QStringLiteral(",")
                              : QStringLiteral(" "))
            + captions.value(p);
    FUZZ_CHECK(ballText(captions) == balls);

    const QString text = resultFileText(captions, rows);
    const QString heading = resultHeading() + balls + QLatin1String("\r\n");
    FUZZ_CHECK(text.startsWith(heading));
    qsizetype at = heading.size();
    for (const QString &row : rows) {
        FUZZ_CHECK(QStringView(text).mid(at, row.size()) == row);
        at += row.size();
        FUZZ_CHECK(QStringView(text).mid(at, 2) == QLatin1String("\r\n"));
        at += 2;
    }
    FUZZ_CHECK(at == text.size());

    const ResultFileBytes file = encodeResultFile(captions, rows);
    if (file.unencodableLine == 0) {
        FUZZ_CHECK(decodeGbk(file.bytes) == text);
    } else {
        FUZZ_CHECK(file.bytes.isEmpty());
        FUZZ_CHECK(file.unencodableLine >= 1 && file.unencodableLine <= rows.size() + 1);
        QStringList lines = rows;
        lines.prepend(resultHeading() + balls);
        for (qsizetype line = 1; line < file.unencodableLine; ++line)
            FUZZ_CHECK(fitsGbk(lines.at(line - 1)));
        FUZZ_CHECK(!fitsGbk(lines.at(file.unencodableLine - 1)));
    }

    // Seven two-digit captions make a ball text in the history row format.
    bool twoDigits = captions.size() == 7;
    for (const QString &caption : captions) {
        twoDigits = twoDigits && caption.size() == 2 && caption[0].isDigit() && caption[1].isDigit()
            && caption[0].unicode() < 128 && caption[1].unicode() < 128;
    }
    if (twoDigits)
        FUZZ_CHECK(checkTwoDigitRow(balls).has_value());
    return 0;
}
