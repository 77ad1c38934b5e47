#include "history/messagequote.h"

#include <algorithm>

namespace orbelune {

namespace {

// What a message box's label, and a list box's item, breaks a line at.
bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x85:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
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

// Moves a cut off the middle of a surrogate pair: forwards for the start of a piece,
// backwards for its end.
qsizetype startOfPiece(QStringView text, qsizetype at)
{
    if (at > 0 && at < text.size() && text[at].isLowSurrogate() && text[at - 1].isHighSurrogate())
        ++at;
    return at;
}

qsizetype endOfPiece(QStringView text, qsizetype at)
{
    if (at > 0 && at < text.size() && text[at].isLowSurrogate() && text[at - 1].isHighSurrogate())
        --at;
    return at;
}

// The end of a piece that starts at from: at most maxChars units, and no more than
// maxBreaks line breaks inside it.
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

QString quotedForMessage(QStringView text, qsizetype focus, qsizetype length)
{
    // Counting the breaks stops at the first one too many: a 4 MB row costs no more than a
    // short one.
    if (text.size() <= maxQuotedChars
        && pieceEnd(text, 0, maxQuotedChars, maxQuotedLineBreaks) == text.size())
        return text.toString();

    // The beginning: enough to recognise the row, short enough for a few lines of the box.
    constexpr qsizetype shownChars = maxQuotedChars / 2;
    constexpr qsizetype shownBreaks = maxQuotedLineBreaks / 2;
    const QString ellipsis = QStringLiteral("…");
    QString quoted;
    const qsizetype headEnd = pieceEnd(text, 0, shownChars, shownBreaks);
    if (focus < headEnd - 8 || focus >= text.size()) {
        quoted = text.first(headEnd).toString() + ellipsis;
    } else {
        // The stretch starts a little before the focus, at a line break if one is near.
        qsizetype from = std::max<qsizetype>(0, focus - shownChars / 3);
        for (qsizetype i = focus; i > from; --i) {
            if (isLineBreak(text[i - 1])) {
                from = i;
                break;
            }
        }
        from = startOfPiece(text, from);
        const qsizetype end = pieceEnd(text, from, shownChars, shownBreaks);
        quoted = (from > 0 ? ellipsis : QString()) + text.sliced(from, end - from).toString()
            + (end < text.size() ? ellipsis : QString());
    }
    return quoted
        + QStringLiteral("（共 %1 个字符）").arg(length < 0 ? characterCount(text) : length);
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
