#include "history/messagequote.h"

#include <QList>

#include <algorithm>

namespace orbelune {

namespace {

// What a message box's label, and a list box's item, breaks a line at.
bool isLineBreak(QChar c)
{
    return QStringView(u"\n\v\f\r\u0085\u2028\u2029").contains(c);
}

// Unicode's Default_Ignorable_Code_Point beyond the format characters, drawn as nothing: the
// grapheme joiner, variation selectors, Khmer inherent vowels, and the ranges kept for more.
bool isIgnorable(char32_t c)
{
    return c == 0x034F || (c >= 0x17B4 && c <= 0x17B5) || (c >= 0x180B && c <= 0x180F)
        || (c >= 0x2060 && c <= 0x206F) || (c >= 0xFE00 && c <= 0xFE0F)
        || (c >= 0xFFF0 && c <= 0xFFF8) || (c >= 0x1BCA0 && c <= 0x1BCA3)
        || (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0000 && c <= 0xE0FFF);
}

qsizetype characterCount(QStringView text)
{
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate())
            --count;
    }
    return count;
}

// Moves the end of a piece off the middle of a surrogate pair, backwards.
qsizetype endOfPiece(QStringView text, qsizetype at)
{
    const bool inPair
        = at > 0 && at < text.size() && text[at].isLowSurrogate() && text[at - 1].isHighSurrogate();
    return inPair ? at - 1 : at;
}

// The end of a piece from from on: at most maxChars units and maxBreaks line breaks.
qsizetype pieceEnd(QStringView text, qsizetype from, qsizetype maxChars, qsizetype maxBreaks)
{
    const qsizetype limit = std::min(text.size(), from + maxChars);
    qsizetype breaks = 0;
    for (qsizetype i = from; i < limit; ++i) {
        if (isLineBreak(text[i]) && ++breaks > maxBreaks)
            return i;
    }
    return endOfPiece(text, limit);
}

} // namespace

Quote quoteOf(QStringView text, qsizetype focus, qsizetype length)
{
    Quote quote;
    // Counting stops at the first break too many: a 4 MB row costs no more than a short one.
    if (text.size() <= maxQuotedChars
        && pieceEnd(text, 0, maxQuotedChars, maxQuotedLineBreaks) == text.size()) {
        quote.text = text.toString();
        return quote;
    }
    quote.whole = false;
    quote.length = length < 0 ? characterCount(text) : length;

    // The beginning: enough to recognise the row, short enough for a few lines of the box.
    constexpr qsizetype shownChars = maxQuotedChars / 2;
    constexpr qsizetype shownBreaks = maxQuotedLineBreaks / 2;
    const qsizetype headEnd = pieceEnd(text, 0, shownChars, shownBreaks);
    if (focus < headEnd - 8 || focus >= text.size()) {
        quote.text = text.first(headEnd).toString();
        quote.cutAfter = true;
        return quote;
    }
    // The stretch starts a little before the focus, at a line break if one is near.
    qsizetype from = std::max<qsizetype>(0, focus - shownChars / 3);
    for (qsizetype i = focus; i > from; --i) {
        if (isLineBreak(text[i - 1])) {
            from = i;
            break;
        }
    }
    if (endOfPiece(text, from) < from) // off the middle of a surrogate pair, forwards
        ++from;
    const qsizetype end = pieceEnd(text, from, shownChars, shownBreaks);
    quote.text = text.sliced(from, end - from).toString();
    quote.cutBefore = from > 0;
    quote.cutAfter = end < text.size();
    return quote;
}

bool isHiddenCharacter(char32_t c)
{
    if (c == u'\t' || (c <= 0xFFFF && isLineBreak(QChar(char16_t(c)))))
        return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
        return true;
    case QChar::Separator_Space:
        return c != u' ';
    default:
        // The Hangul fillers are letters that draw nothing, the braille blank draws a blank.
        return c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0 || c == 0x2800
            || isIgnorable(c);
    }
}

QList<char32_t> hiddenCharactersIn(QStringView text, bool &more)
{
    // A few are enough to find them with; a row as long as a file may hold hundreds.
    constexpr qsizetype maxNamed = 5;
    QList<char32_t> found;
    more = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (c >= u' ' && c < 0x7F) // the common case, over a row as long as a file
            continue;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (!isHiddenCharacter(c) || found.contains(c))
            continue;
        if (found.size() == maxNamed) {
            more = true;
            break;
        }
        found.append(c);
    }
    return found;
}

QString oneLineText(QStringView text, qsizetype maxChars)
{
    QString line = text.first(endOfPiece(text, std::min(text.size(), maxChars))).toString();
    for (QChar &c : line) {
        if (isLineBreak(c))
            c = QChar(0x21B5);
    }
    if (line.size() < text.size())
        line += QStringLiteral("…");
    return line;
}

} // namespace orbelune
