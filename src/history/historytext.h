#pragma once

#include <QStringList>

class QByteArray;

namespace orbelune {

// Splits the text of a history file into rows. A row ends at CR LF or at a lone CR; a lone
// LF stays inside its row. The last row may lack its terminator, a terminator at the very
// end adds no empty row, and nothing is trimmed.
QStringList splitHistoryLines(QStringView text);

// Decodes the bytes of a text file in the Chinese ANSI code page (GBK, code page 936).
QString decodeGbk(const QByteArray &bytes);

} // namespace orbelune
