#pragma once

#include <QStringView>

#include <optional>

namespace orbelune {

// The value of one field of a history row. Blanks, tabs and line feeds are skipped anywhere;
// then a signed decimal number (one period, optional E/e exponent) or an &H/&O integer, read
// up to the first character that does not fit; no number reads as 0. Empty when too large.
std::optional<double> readFieldValue(QStringView text);

} // namespace orbelune
