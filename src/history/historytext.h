#pragma once

#include "fileio/codepage936.h"

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

// Why the bytes of a file are no history text.
enum class HistoryTextFault {
    None,
    HoldsNul,
    Utf16WithoutMark, // every other byte NUL
    NotGbkOrUtf8, // no mark, and a byte that neither encoding reads
    NotItsUnicode, // a byte-order mark, and a sequence that is not that encoding
    TooManyRows,
};

// The outcome of decoding a history file: the rows on success, otherwise why not, in words
// for the user, and no rows.
struct HistoryFileText
{
    QStringList rows;
    HistoryTextFault fault = HistoryTextFault::None;
    // Where the first sequence that does not decode is, 1-based, the column in characters;
    // 0 where no such place is named.
    qsizetype line = 0;
    qsizetype column = 0;
    QString error; // empty on success
    bool ok() const { return fault == HistoryTextFault::None; }
};

// Decodes the whole content of a history file and splits it into rows. A UTF-8, UTF-16 LE
// or UTF-16 BE byte-order mark selects that encoding and is removed; any other file is GBK,
// or UTF-8 when its bytes are not GBK but are UTF-8 throughout.
// Refuses, with a reason, text holding NUL characters (naming UTF-16 without a mark as such),
// bytes that do not decode (GBK bytes are accepted only when they encode back to themselves; a
// marked file's invalid sequence, a lone surrogate too, is named by its line and column) and
// more than maxHistoryRows rows.
HistoryFileText decodeHistoryFile(const QByteArray &bytes);

} // namespace orbelune
