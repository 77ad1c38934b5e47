#include "history/historyrow.h"

#include "history/fieldvalue.h"

#include <algorithm>
#include <array>

namespace orbelune {

namespace {

constexpr double redLimit = 34.0;
constexpr double blueLimit = 17.0;

} // namespace

std::optional<RowVerdict> checkTwoDigitRow(QStringView row)
{
    // Six fields, the last of two parts, every value two digits: nothing missing or too large.
    if (row.size() != 20)
        return std::nullopt;
    std::array<int, 7> values {};
    for (qsizetype i = 0; i < 7; ++i) {
        const char16_t tens = row[3 * i].unicode();
        const char16_t ones = row[3 * i + 1].unicode();
        if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9'
            || (i < 6 && row[3 * i + 2] != (i < 5 ? u',' : u' ')))
            return std::nullopt;
        values[std::size_t(i)] = (tens - u'0') * 10 + (ones - u'0');
    }
    if (std::any_of(values.cbegin(), values.cbegin() + 6, [](int red) { return red >= redLimit; }))
        return RowVerdict::Malformed;
    return values[6] >= blueLimit ? RowVerdict::Malformed : RowVerdict::Passes;
}

RowVerdict checkHistoryRowGeneral(QStringView row)
{
    // Only the plain blank counts here: a row of tabs is not empty and is checked.
    if (std::all_of(row.cbegin(), row.cend(), [](QChar c) { return c == u' '; }))
        return RowVerdict::Blank;

    // Fields after the sixth are never looked at. left() of indexOf()'s -1, for no separator
    // left, is the whole rest.
    std::array<QStringView, 6> fields;
    std::size_t fieldCount = 0;
    for (QStringView rest = row; fieldCount < 6;) {
        const qsizetype comma = rest.indexOf(u',');
        fields[fieldCount++] = rest.left(comma);
        if (comma < 0)
            break;
        rest = rest.sliced(comma + 1);
    }
    if (fieldCount < 5)
        return RowVerdict::Error;

    // All five red values are read before any is compared, so a value too large counts even
    // when an earlier one is already out of range.
    bool redTooHigh = false;
    for (std::size_t i = 0; i < 5; ++i) {
        const std::optional<double> value = readFieldValue(fields[i]);
        if (!value)
            return RowVerdict::Error;
        redTooHigh = redTooHigh || *value >= redLimit;
    }
    if (redTooHigh)
        return RowVerdict::Malformed;
    if (fieldCount < 6)
        return RowVerdict::Error;

    // The sixth field: the sixth red and the blue, split at a blank; later parts are ignored.
    const qsizetype blank = fields[5].indexOf(u' ');
    if (blank < 0)
        return RowVerdict::Error;
    const QStringView blueOnwards = fields[5].sliced(blank + 1);
    const std::optional<double> red = readFieldValue(fields[5].first(blank));
    const std::optional<double> blue = readFieldValue(blueOnwards.left(blueOnwards.indexOf(u' ')));
    if (!red || !blue)
        return RowVerdict::Error;
    return *red >= redLimit || *blue >= blueLimit ? RowVerdict::Malformed : RowVerdict::Passes;
}

RowVerdict checkHistoryRow(QStringView row)
{
    if (const std::optional<RowVerdict> quick = checkTwoDigitRow(row))
        return *quick;
    return checkHistoryRowGeneral(row);
}

} // namespace orbelune
