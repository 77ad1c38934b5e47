#pragma once

#include "fileio/codepage936.h"
#include "fileio/failure.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orbelune {

// The history list counts its rows in 16 bits.
inline constexpr qsizetype maxHistoryRows = 32767;

// 32767 rows of 20 characters take under 2 MiB even in UTF-16: a bigger file is no history file.
inline constexpr qint64 maxHistoryFileBytes = 4 * 1024 * 1024;

// Splits the text of a history file into rows, each ended by CR LF or a lone CR (a lone LF stays
// in its row). The last row may lack its end, an end at the very end adds no empty row, and
// nothing is trimmed.
QStringList splitHistoryLines(QStringView text);

// Decodes a history file into rows: a UTF-8 or UTF-16 byte-order mark selects that encoding and
// goes; any other file is GBK, or UTF-8 where it is no GBK but UTF-8 throughout. Refuses at
// FailureStep::Decode NUL (naming UTF-16 without a mark), the first sequence that does not decode
// (placed, and without a mark its line shown) and more than maxHistoryRows rows (counted).
Result<QStringList> decodeHistoryFile(const QByteArray &bytes);

} // namespace orbelune
