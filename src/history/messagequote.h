#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace orbelune {

// A quote is whole up to this many characters and line breaks: far more than a history row, and
// a message box holding that much still fits on a 1024 × 768 screen.
inline constexpr qsizetype maxQuotedChars = 200;
inline constexpr qsizetype maxQuotedLineBreaks = 8;

// The piece of a text that a message quotes, where the text may be as long as the whole file.
struct Quote
{
    QString text;
    bool whole = true; // the text is quoted whole, as it is
    // Where text was left out, and the length of the whole to name.
    bool cutBefore = false;
    bool cutAfter = false;
    qsizetype length = 0;
};

// Text that fits is quoted whole; longer text gives its beginning, or where focus lies beyond,
// a stretch around it, never half a surrogate pair. length is the length to name, -1 for text's.
Quote quoteOf(QStringView text, qsizetype focus = 0, qsizetype length = -1);

// A character a quote would hide: a control or format character, a blank but the space, a
// default ignorable, a filler or blank that draws nothing. Tabs and line breaks are not hidden.
bool isHiddenCharacter(char32_t c);

// The first five characters of text that a quote would hide, each once; more says there are others.
QList<char32_t> hiddenCharactersIn(QStringView text, bool &more);

// A row as a list shows it on one line: each line break as "↵", and text longer than maxChars
// cut to its first maxChars units (never half a surrogate pair), then "…".
QString oneLineText(QStringView text, qsizetype maxChars);

} // namespace orbelune
