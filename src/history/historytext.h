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

// Decodes the bytes of a text file in the Chinese ANSI code page (GBK, code page 936; see
// codepage936.h for what it refuses). Bytes that do not decode become U+FFFD, each on its
// own; an incomplete character at the very end is dropped. Without a converter given, the
// system's is used, and only for bytes that are not all ASCII.
QString decodeGbk(const QByteArray &bytes);
QString decodeGbk(const QByteArray &bytes, const CodePage936 &gbk);

// Encodes text in GBK. A character that GBK cannot hold becomes "?"; use fitsGbk() first
// where that would lose data.
QByteArray encodeGbk(QStringView text, const CodePage936 &gbk = codePage936());

// True when text survives encoding in GBK and decoding again unchanged, the same on every
// platform.
bool fitsGbk(QStringView text, const CodePage936 &gbk = codePage936());

// The outcome of reading a history file: the rows on success, otherwise a reason for the
// user, in words, and no rows.
struct HistoryFileText
{
    QStringList rows;
    QString error; // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Decodes the whole content of a history file and splits it into rows. A UTF-8, UTF-16 LE
// or UTF-16 BE byte-order mark selects that encoding and is removed; any other file is GBK,
// or UTF-8 when its bytes are not GBK but are UTF-8 throughout.
// Refuses, with a reason, text holding NUL characters, bytes that do not decode (GBK bytes
// are accepted only when they encode back to themselves) and more than maxHistoryRows rows.
HistoryFileText decodeHistoryFile(const QByteArray &bytes, const CodePage936 &gbk = codePage936());

// Reads the history file at path whole, reading at most maxHistoryFileBytes, and decodes
// it with decodeHistoryFile(). Refuses, with a reason, anything that is not an existing
// regular file, a file that cannot be opened or read, and a file that is too large.
HistoryFileText readHistoryFile(const QString &path);

} // namespace orbelune
