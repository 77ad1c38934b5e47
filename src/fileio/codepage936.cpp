#include "fileio/codepage936.h"

#include <algorithm>

namespace orbelune {

namespace {

// U+E000..U+F8FF. Windows and ICU map the unassigned and user-defined two-byte sequences of
// code page 936 there (and Windows' encoder 0xFF too), iconv maps none of them: such text
// means something only with a font made on the writer's own machine, so no converter
// accepts it.
bool holdsPrivateUse(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF)
            return true;
    }
    return false;
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return uchar(byte) < 0x80; });
}

} // namespace

std::optional<QString> CodePage936::decode(QByteArrayView bytes) const
{
    if (bytes.isEmpty())
        return QString();
    std::optional<QString> text = toUnicode(bytes);
    if (!text || holdsPrivateUse(*text))
        return std::nullopt;
    // A sequence some converter reads one way only would be written back as other bytes.
    const std::optional<QByteArray> back = fromUnicode(*text);
    if (!back || *back != bytes)
        return std::nullopt;
    return text;
}

std::optional<QByteArray> CodePage936::encode(QStringView text) const
{
    if (text.isEmpty())
        return QByteArray();
    if (holdsPrivateUse(text))
        return std::nullopt;
    std::optional<QByteArray> bytes = fromUnicode(text);
    if (!bytes)
        return std::nullopt;
    const std::optional<QString> back = toUnicode(*bytes);
    if (!back || *back != text)
        return std::nullopt;
    return bytes;
}

const CodePage936 &codePage936()
{
    static const CodePage936 *const converter = [] {
        for (const CodePage936 *candidate :
             { windowsCodePage936(), icuCodePage936(), iconvCodePage936() }) {
            if (candidate)
                return candidate;
        }
        qFatal("This system has no converter for code page 936 (GBK).");
        return static_cast<const CodePage936 *>(nullptr);
    }();
    return *converter;
}

QString decodeGbk(const QByteArray &bytes)
{
    // GBK keeps the bytes below 0x80 for ASCII, and text of those alone (the shipped history)
    // needs no converter: finding the system's loads tables that cost a megabyte of memory.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    return decodeGbk(bytes, codePage936());
}

QString decodeGbk(const QByteArray &bytes, const CodePage936 &gbk)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (std::optional<QString> text = gbk.decode(bytes))
        return *std::move(text);

    // A character of code page 936 is one byte or two.
    const QByteArrayView view(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < view.size();) {
        if (const std::optional<QString> one = gbk.decode(view.sliced(i, 1))) {
            text += *one;
            i += 1;
        } else if (i + 1 == view.size()) {
            break; // the first byte of a character the file ends before
        } else if (const std::optional<QString> two = gbk.decode(view.sliced(i, 2))) {
            text += *two;
            i += 2;
        } else {
            text += QChar::ReplacementCharacter;
            i += 1;
        }
    }
    return text;
}

QByteArray encodeGbk(QStringView text, const CodePage936 &gbk)
{
    if (std::optional<QByteArray> bytes = gbk.encode(text))
        return *std::move(bytes);

    QByteArray bytes;
    bytes.reserve(2 * text.size());
    for (qsizetype i = 0; i < text.size();) {
        // A surrogate pair is one character.
        const qsizetype length
            = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                               : 1;
        const std::optional<QByteArray> character = gbk.encode(text.sliced(i, length));
        bytes += character ? *character : QByteArray("?");
        i += length;
    }
    return bytes;
}

bool fitsGbk(QStringView text, const CodePage936 &gbk)
{
    return gbk.encode(text).has_value();
}

} // namespace orbelune
