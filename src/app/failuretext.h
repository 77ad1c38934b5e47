#pragma once

#include "fileio/failure.h"

#include <QString>
#include <QStringView>

namespace orbelune {

// Every sentence that tells the user why a file could not be read, imported or saved.

// A piece of a file as a message quotes it (see quoteOf()): isolated (U+2068 … U+2069) so that
// a row's direction marks stay inside, "…" where text was left out, and the length of a text
// not quoted whole, "（共 N 个字符）".
QString quotedForMessage(QStringView text, qsizetype focus = 0, qsizetype length = -1);

// A character as a message names it: a visible one as itself and its code, "“🎱”（U+1F3B1）";
// one a quote would hide by its code and a name, "U+FEFF（字节顺序标记）".
QString characterForMessage(char32_t c);

// The characters of text that a quote would hide, each once, as characterForMessage() names
// them, joined by "、"; empty text where there are none.
QString hiddenCharacters(QStringView text);

// The message for a rejected row: four fixed lines and the row quoted by quotedForMessage(),
// joined by CR LF, with no break after the row; characters the quote would hide named below.
QString rowFormatMessage(QStringView row);

// The cause of a failed file operation: the system's text would be English inside a Chinese
// message, Qt's errorString() says "Unknown error" for a short write. The system's code is
// named only for FileFault::Other, where nothing better is known.
QString causeText(const Failure &failure);

// Why a history file was not imported: it could not be read, or its bytes are no history text.
QString importFailureText(const Failure &failure);

// Why a save failed, and a file it made and could not remove.
QString saveFailureText(const Failure &failure);

// What became of the file a save was to write (existed: whether there was one), the last line.
QString leftBySaveText(const Failure &failure, bool existed);

} // namespace orbelune
