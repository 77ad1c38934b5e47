#pragma once

#include "fileio/codepage936.h"
#include "fileio/failure.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orbelune {

// The history list counts its rows in 16 bits.
inline constexpr qsizetype maxHistoryRows = 32767;

// A history file of 32767 rows of 20 characters takes well under 2 MiB even in UTF-16; a
// bigger file is not a history file, and reading it whole would only cost time and memory.
inline constexpr qint64 maxHistoryFileBytes = 4 * 1024 * 1024;

// Splits the text of a history file into rows. A row ends at CR LF or at a lone CR; a lone
// LF stays inside its row. The last row may lack its terminator, a terminator at the very
// end adds no empty row, and nothing is trimmed.
QStringList splitHistoryLines(QStringView text);

// Decodes the whole content of a history file and splits it into rows. A UTF-8, UTF-16 LE
// or UTF-16 BE byte-order mark selects that encoding and is removed; any other file is GBK,
// or UTF-8 when its bytes are not GBK but are UTF-8 throughout.
// Refuses, at FailureStep::Decode, text holding NUL characters (naming UTF-16 without a mark as
// such), bytes that do not decode (GBK bytes are accepted only when they encode back to
// themselves; the first such byte of a file without a mark is placed and its line shown, a
// marked file's invalid sequence, a lone surrogate too, is placed by its line and column) and
// more than maxHistoryRows rows (the rows counted).
Result<QStringList> decodeHistoryFile(const QByteArray &bytes);

} // namespace orbelune
