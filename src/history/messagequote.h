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
// fits (see above) comes back exactly as it is. Longer text comes back as its beginning,
// "…" and its length, "（共 N 个字符）"; when focus (a position in text) lies beyond that
// beginning, a stretch around it is shown instead, between two "…". length is the length to
// name, -1 for the characters of text. A surrogate pair is never cut in two.
QString quotedForMessage(QStringView text, qsizetype focus = 0, qsizetype length = -1);

// A row as a list shows it, on one line: each line break (where a message box would break the
// line) as "↵", and text longer than maxChars cut to its first maxChars units (one fewer
// rather than half a surrogate pair), then "…".
QString oneLineText(QStringView text, qsizetype maxChars);

} // namespace orbelune
