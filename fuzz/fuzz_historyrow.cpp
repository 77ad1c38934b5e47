// The row check against a plain reading of the row rules (split at every comma, the sixth
// field at every blank), and the fast path for "dd,dd,dd,dd,dd,dd dd" against the general one
// wherever the fast path answers.

#include "fuzzcheck.h"
#include "history/fieldvalue.h"
#include "history/historyrow.h"
#include "history/messagequote.h"

#include <QStringList>

#include <algorithm>

using namespace orbelune;

namespace {

RowVerdict referenceVerdict(const QString &row)
{
    bool blank = true;
    for (QChar c : row)
        blank = blank && c == u' ';
    if (blank)
        return RowVerdict::Blank;

    const QStringList fields = row.split(u',');
    if (fields.size() < 5)
        return RowVerdict::Error;
    bool tooHigh = false;
    for (int i = 0; i < 5; ++i) {
        const std::optional<double> value = readFieldValue(fields.at(i));
        if (!value)
            return RowVerdict::Error;
        tooHigh = tooHigh || *value >= 34;
    }
    if (tooHigh)
        return RowVerdict::Malformed;
    if (fields.size() < 6)
        return RowVerdict::Error;

    const QStringList parts = fields.at(5).split(u' ');
    if (parts.size() < 2)
        return RowVerdict::Error;
    const std::optional<double> red = readFieldValue(parts.at(0));
    const std::optional<double> blue = readFieldValue(parts.at(1));
    if (!red || !blue)
        return RowVerdict::Error;
    return *red >= 34 || *blue >= 17 ? RowVerdict::Malformed : RowVerdict::Passes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString row = fuzz::anyText(data, size);

    const RowVerdict verdict = checkHistoryRow(row);
    const RowVerdict general = checkHistoryRowGeneral(row);
    const std::optional<RowVerdict> quick = checkTwoDigitRow(row);
    if (quick)
        FUZZ_CHECK(*quick == general);
    FUZZ_CHECK(verdict == general);
    FUZZ_CHECK(general == referenceVerdict(row));

    // The quote keeps the row as stored when it fits, otherwise its beginning and its length in
    // characters, however long the row; what a quote would hide is found, each once.
    const Quote quote = quoteOf(row);
    const auto breaks = std::count_if(row.cbegin(), row.cend(), [](QChar c) {
        return QStringView(u"\n\v\f\r\u0085\u2028\u2029").contains(c);
    });
    if (row.size() <= maxQuotedChars && breaks <= maxQuotedLineBreaks) {
        FUZZ_CHECK(quote.whole && quote.text == row);
    } else {
        FUZZ_CHECK(!quote.whole && !quote.cutBefore && quote.cutAfter);
        FUZZ_CHECK(quote.length == row.toUcs4().size());
        const QString &head = quote.text;
        FUZZ_CHECK(row.startsWith(head) && head.size() <= maxQuotedChars / 2);
        FUZZ_CHECK(head.isEmpty() || !head.back().isHighSurrogate()
                   || !row.at(head.size()).isLowSurrogate());
    }
    bool more = false;
    const QList<char32_t> hidden = hiddenCharactersIn(row, more);
    const QList<uint> all = row.toUcs4();
    for (const char32_t c : hidden)
        FUZZ_CHECK(isHiddenCharacter(c) && all.contains(uint(c)) && hidden.count(c) == 1);
    return 0;
}
