#pragma once

#include <QString>
#include <QStringView>

namespace orbelune {

// A quoted text is kept whole up to this many characters and line breaks: every realistic
// history row, comments included, is far shorter, and a message box holding that much still
// fits on a 1024 × 768 screen.
inline constexpr qsizetype maxQuotedChars = 200;
inline constexpr qsizetype maxQuotedLineBreaks = 8;

// How a message quotes a piece of a file, which may be as long as the whole file. Text that
// fits (see above) comes back as it is. Longer text comes back as its beginning,
// "…" and its length, "（共 N 个字符）"; when focus (a position in text) lies beyond that
// beginning, a stretch around it is shown instead, between two "…". length is the length to
// name, -1 for the characters of text. A surrogate pair is never cut in two. The quote is
// isolated (U+2068 … U+2069), so that the direction marks of a row stay inside it.
QString quotedForMessage(QStringView text, qsizetype focus = 0, qsizetype length = -1);

// A row as a list shows it, on one line: each line break (where a message box would break the
// line) as "↵", and text longer than maxChars cut to its first maxChars units (one fewer
// rather than half a surrogate pair), then "…".
QString oneLineText(QStringView text, qsizetype maxChars);

// A character as a message names it: a visible one as itself and its code, "“🎱”（U+1F3B1）";
// one a quote would hide (a control or format character, a blank other than the space) by its
// code and a name, "U+FEFF（字节顺序标记）".
QString characterForMessage(char32_t c);

// The characters of text that a quote would hide, each once, as characterForMessage() names
// them, joined by "、"; empty text where there are none. Tabs and line breaks are not hidden.
QString hiddenCharacters(QStringView text);

} // namespace orbelune
