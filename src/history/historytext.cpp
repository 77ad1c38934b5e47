#include "history/historytext.h"

#include "fileio/codepage936.h"
#include "history/messagequote.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>
#include <vector>

namespace orbelune {

namespace {

// A file that starts with a byte-order mark is in that Unicode encoding.
struct UnicodeEncoding
{
    const char *name; // as the user knows it
    const char *mark;
    QStringConverter::Encoding encoding;
};

constexpr UnicodeEncoding unicodeEncodings[] = {
    { "UTF-8", "\xEF\xBB\xBF", QStringConverter::Utf8 },
    { "UTF-16", "\xFF\xFE", QStringConverter::Utf16LE },
    { "UTF-16", "\xFE\xFF", QStringConverter::Utf16BE },
};

// The text of bytes that are UTF-8 throughout, or nothing.
std::optional<QString> strictDecodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes)
        return std::nullopt;
    return text;
}

// Reads a line's characters in one encoding.
struct CharReader
{
    bool utf8;
    std::vector<qint8> gbkKnown = std::vector<qint8>(256 + 126 * 256, -1);

    // The length in bytes of the character at at, 0 for a byte that does not begin one.
    qsizetype length(const QByteArray &line, qsizetype at)
    {
        const auto byte = [&line](qsizetype i) { return uchar(line.at(i)); };
        const uchar first = byte(at);
        if (first < 0x80)
            return 1;
        const qsizetype left = line.size() - at;
        if (!utf8) {
            // A GBK character counts only where it encodes back to the same bytes; what each
            // pair does is asked of the codec once.
            const qsizetype size = first >= 0x81 && first <= 0xFE && left >= 2 ? 2 : 1;
            qint8 &known = gbkKnown[size == 1 ? first : 256 + (first - 0x81) * 256 + byte(at + 1)];
            if (known < 0) {
                const std::optional<QString> text
                    = strictDecodeGbk(QByteArrayView(line).sliced(at, size));
                known = text && text->size() == 1;
            }
            return known ? size : 0;
        }
        const qsizetype size = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC2 ? 2 : 0;
        if (size == 0 || size > left || first > 0xF4)
            return 0;
        for (qsizetype i = 1; i < size; ++i) {
            if ((byte(at + i) & 0xC0) != 0x80)
                return 0;
        }
        const uchar second = byte(at + 1);
        // No overlong form, no surrogate, nothing beyond U+10FFFF.
        if ((first == 0xE0 && second < 0xA0) || (first == 0xED && second >= 0xA0)
            || (first == 0xF0 && second < 0x90) || (first == 0xF4 && second >= 0x90))
            return 0;
        return size;
    }

    // True when all of line reads in this encoding, found at once for a whole line.
    bool isWholeLine(const QByteArray &line) const
    {
        return (utf8 ? strictDecodeUtf8(line) : strictDecodeGbk(line)).has_value();
    }

    QString decode(const QByteArray &unit)
    {
        return utf8 ? QString::fromUtf8(unit) : decodeGbk(unit);
    }
};

// The first byte that does not decode in one encoding: its offset in the file, and its place
// as a refusal names it (counted in characters, such a byte as one, and shown as \xHH).
struct BadByte
{
    qsizetype offset = 0;
    Failure place;
};

std::optional<BadByte> firstBadByte(const QByteArray &bytes, bool utf8)
{
    CharReader reader { utf8 };
    // A CR byte is never part of a GBK or UTF-8 character, so every line can be read on its
    // own; the LF of a CR LF belongs to the line ending, not to the next line.
    qsizetype line = 1;
    for (qsizetype start = 0; start <= bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\r', start);
        if (end < 0)
            end = bytes.size();
        qsizetype from = start;
        if (line > 1 && from < end && bytes.at(from) == '\n')
            ++from;
        const QByteArray piece = bytes.sliced(from, end - from);
        start = end + 1;
        if (reader.isWholeLine(piece))
            continue;

        qsizetype firstBad = -1;
        BadByte bad;
        Failure &place = bad.place;
        qsizetype run = 0; // start of the characters not yet shown, decoded in one go
        for (qsizetype at = 0; at < piece.size();) {
            const qsizetype size = reader.length(piece, at);
            ++place.lineLength;
            if (size > 0) {
                at += size;
                continue;
            }
            // Past what a message can quote after the first such byte, only the count goes on.
            const bool shown
                = firstBad < 0 || place.shownLine.size() < place.shownAt + maxQuotedChars;
            if (shown)
                place.shownLine += reader.decode(piece.sliced(run, at - run));
            if (firstBad < 0) {
                firstBad = at;
                place.column = place.lineLength;
                place.shownAt = place.shownLine.size();
            }
            if (shown)
                place.shownLine += QStringLiteral("\\x")
                    + QString::number(uchar(piece.at(at)), 16).rightJustified(2, u'0').toUpper();
            run = ++at;
        }
        if (place.shownLine.size() < place.shownAt + maxQuotedChars)
            place.shownLine += reader.decode(piece.sliced(run));
        if (firstBad >= 0) {
            bad.offset = from + firstBad;
            place.line = line;
            place.byte = uchar(piece.at(firstBad));
            return bad;
        }
    }
    return std::nullopt;
}

Result<QStringList> refusal(TextFault fault, Failure place = {})
{
    place.step = FailureStep::Decode;
    place.text = fault;
    return Result<QStringList> { {}, std::move(place) };
}

// Refuses a file without a mark that is neither GBK nor UTF-8, placing the byte to mend.
Result<QStringList> undecodable(const QByteArray &bytes)
{
    // Named in the encoding that reads further. A tie goes to UTF-8 where the text before the
    // byte holds multi-byte UTF-8: that is almost never GBK by intent, while GBK bytes often
    // pass for UTF-8 for a character or two.
    const std::optional<BadByte> inGbk = firstBadByte(bytes, false);
    const std::optional<BadByte> inUtf8 = firstBadByte(bytes, true);
    const auto nonAscii = [&bytes](qsizetype end) {
        for (qsizetype i = 0; i < end; ++i) {
            if (uchar(bytes.at(i)) >= 0x80)
                return true;
        }
        return false;
    };
    std::optional<BadByte> bad = inGbk;
    if (inUtf8
        && (!inGbk || inUtf8->offset > inGbk->offset
            || (inUtf8->offset == inGbk->offset && nonAscii(inUtf8->offset))))
        bad = inUtf8;
    return refusal(TextFault::NotGbkOrUtf8, bad ? bad->place : Failure {});
}

// Splits decoded text into rows, refusing more rows than the list can hold.
Result<QStringList> decodeHistoryText(QString text)
{
    QStringList rows = splitHistoryLines(text);
    if (rows.size() > maxHistoryRows) {
        Failure place;
        place.count = rows.size();
        return refusal(TextFault::TooManyRows, place);
    }
    return Result<QStringList> { std::move(rows), {} };
}

// The line and column (in characters) of the first UTF-16 unit that is no character: a lone
// surrogate, or a last byte without its pair; line 0 for none.
Failure firstBadUtf16(QByteArrayView body, bool bigEndian)
{
    const auto unit = [&](qsizetype i) {
        const char16_t first = uchar(body[2 * i]);
        const char16_t second = uchar(body[2 * i + 1]);
        return bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
    };
    const qsizetype units = body.size() / 2;
    Failure place;
    place.line = 1;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t c = unit(i);
        if (c == u'\r') {
            ++place.line;
            place.column = 0;
            if (i + 1 < units && unit(i + 1) == u'\n')
                ++i;
            continue;
        }
        ++place.column;
        if (QChar::isHighSurrogate(c) && i + 1 < units && QChar::isLowSurrogate(unit(i + 1)))
            ++i;
        else if (QChar::isSurrogate(c))
            return place;
    }
    ++place.column; // the last byte, alone
    return body.size() % 2 != 0 ? place : Failure {};
}

// A file with a byte-order mark, the mark removed. Every row must be what the file holds, so that
// a save writes the same bytes back: a sequence that is not the encoding (a surrogate alone,
// which the decoders let through or replace) is refused, placed.
Result<QStringList> decodeMarkedFile(const QByteArray &bytes, const UnicodeEncoding &unicode)
{
    // Only the one mark is removed: a second one right after it is part of the first row.
    const QByteArrayView body = QByteArrayView(bytes).sliced(qstrlen(unicode.mark));
    QStringDecoder decoder(unicode.encoding, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(body);
    if (text.contains(QChar(u'\0')))
        return refusal(TextFault::HoldsNul);
    Failure place;
    if (unicode.encoding != QStringConverter::Utf8)
        place = firstBadUtf16(body, unicode.encoding == QStringConverter::Utf16BE);
    else if (const std::optional<BadByte> bad = firstBadByte(body.toByteArray(), true))
        place = bad->place;
    if (place.line > 0 || QByteArray(QStringEncoder(unicode.encoding).encode(text)) != body) {
        place.encoding = QLatin1String(unicode.name);
        return refusal(TextFault::NotItsUnicode, place);
    }
    return decodeHistoryText(std::move(text));
}

// UTF-16 without a mark, as Windows' editors once wrote it: with ASCII, every other byte NUL.
bool looksLikeUtf16(const QByteArray &bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return false;
    bool evenNul = true;
    bool oddNul = true;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        evenNul = evenNul && bytes[i] == 0;
        oddNul = oddNul && bytes[i + 1] == 0;
    }
    return evenNul != oddNul;
}

} // namespace

QStringList splitHistoryLines(QStringView text)
{
    QStringList rows;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != u'\r')
            continue;
        rows.append(text.mid(start, i - start).toString());
        if (i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        rows.append(text.mid(start).toString());
    return rows;
}

Result<QStringList> decodeHistoryFile(const QByteArray &bytes)
{
    for (const UnicodeEncoding &unicode : unicodeEncodings) {
        if (bytes.startsWith(unicode.mark))
            return decodeMarkedFile(bytes, unicode);
    }

    if (looksLikeUtf16(bytes))
        return refusal(TextFault::Utf16WithoutMark);
    // A NUL byte is NUL in GBK and in UTF-8 alike, wherever it stands.
    if (bytes.contains('\0'))
        return refusal(TextFault::HoldsNul);

    // Many editors write UTF-8 without a mark, which is almost never valid GBK once it holds
    // Chinese: it is read as UTF-8 only where GBK fails; valid GBK always stays GBK.
    std::optional<QString> text = strictDecodeGbk(bytes);
    if (!text)
        text = strictDecodeUtf8(bytes);
    if (text)
        return decodeHistoryText(*std::move(text));

    // Refused whole, even for one such byte among good rows: with U+FFFD in its place the list
    // would not be the user's file, and a save could not write it (GBK has no U+FFFD). The list
    // stays as it was, and the message shows where the byte is and how to mend the file.
    return undecodable(bytes);
}

} // namespace orbelune
