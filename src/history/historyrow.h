#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace orbelune {

// What the validation sweep makes of one history row.
enum class RowVerdict {
    Blank, // nothing but blanks: skipped
    Passes,
    Malformed, // a red value of 34 or more, or a blue of 17 or more: reported, sweep goes on
    Error, // a field or part missing, or a value too large: reported, sweep ends here
};

// Checks one row: split at ",", the sixth field split at " "; the five first fields are all
// read before any is compared, then the first two parts of the sixth. Values come from
// readFieldValue(); a missing field or part, or a value too large, is an Error.
RowVerdict checkHistoryRow(QStringView row);

// The same verdict for the common shape "dd,dd,dd,dd,dd,dd dd" (ASCII digits) by a quick path;
// empty for any other row. checkHistoryRow() tries this first.
std::optional<RowVerdict> checkTwoDigitRow(QStringView row);

// The general path alone, for any row.
RowVerdict checkHistoryRowGeneral(QStringView row);

} // namespace orbelune
