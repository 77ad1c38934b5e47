#pragma once

#include "fileio/failure.h"

#include <QString>
#include <QStringView>

namespace orbelune {

// What the core reports of a failure, in the user's words: every sentence that tells why a file
// could not be read, imported or saved is here.

// How a message quotes a piece of a file (see quoteOf()): the piece isolated (U+2068 … U+2069),
// so that the direction marks of a row stay inside it, "…" where text was left out, and the
// length of a text not quoted whole, "（共 N 个字符）".
QString quotedForMessage(QStringView text, qsizetype focus = 0, qsizetype length = -1);

// A character as a message names it: a visible one as itself and its code, "“🎱”（U+1F3B1）";
// one a quote would hide by its code and a name, "U+FEFF（字节顺序标记）".
QString characterForMessage(char32_t c);

// The characters of text that a quote would hide, each once, as characterForMessage() names
// them, joined by "、"; empty text where there are none.
QString hiddenCharacters(QStringView text);

// The text of the message box for a rejected row: four fixed lines and the row, joined by
// CR LF, with no break after the row. The row is quoted as stored when it fits in the box,
// otherwise shortened by quotedForMessage(); characters it would hide are named below it.
QString rowFormatMessage(QStringView row);

// The cause of a failed file operation. The system's own text would be English inside a
// Chinese message, and Qt's errorString() loses the cause ("Unknown error") where a write comes
// up short. The system's code is named only for FileFault::Other, where nothing better is known.
QString causeText(const Failure &failure);

// Why a history file was not imported: it could not be read, or its bytes are no history text.
QString importFailureText(const Failure &failure);

// Why a save failed, and a file it made and could not remove.
QString saveFailureText(const Failure &failure);

// What became of the file a save was to write, for the message's last line: existed says
// whether there was a file at all.
QString leftBySaveText(const Failure &failure, bool existed);

} // namespace orbelune
