#include "fileio/codepage936.h"

#include <algorithm>

namespace orbelune {

using namespace gbk_platform;

namespace {

// U+E000..U+F8FF. Windows maps the unassigned and user-defined two-byte sequences of code page
// 936 there (and its encoder 0xFF too), iconv maps none of them: such text means something only
// with a font made on the writer's own machine, so it is refused on every system.
bool holdsPrivateUse(QStringView text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF; });
}

} // namespace

std::optional<QString> strictDecodeGbk(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    // A sequence the converter reads one way only would be written back as other bytes.
    std::optional<QString> text = toUnicode(bytes);
    if (!text || holdsPrivateUse(*text) || fromUnicode(*text) != bytes)
        return std::nullopt;
    return text;
}

std::optional<QByteArray> strictEncodeGbk(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    std::optional<QByteArray> bytes = fromUnicode(text);
    if (holdsPrivateUse(text) || !bytes || toUnicode(*bytes) != text)
        return std::nullopt;
    return bytes;
}

QString decodeGbk(const QByteArray &bytes)
{
    // ASCII alone (the shipped history) needs no converter: GBK keeps the bytes below 0x80.
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return uchar(byte) < 0x80; }))
        return QString::fromLatin1(bytes);
    if (std::optional<QString> text = strictDecodeGbk(bytes))
        return *std::move(text);

    // A character of code page 936 is one byte or two.
    const QByteArrayView view(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < view.size();) {
        if (const std::optional<QString> one = strictDecodeGbk(view.sliced(i, 1))) {
            text += *one;
            i += 1;
        } else if (i + 1 == view.size()) {
            break; // the first byte of a character the file ends before
        } else if (const std::optional<QString> two = strictDecodeGbk(view.sliced(i, 2))) {
            text += *two;
            i += 2;
        } else {
            text += QChar::ReplacementCharacter;
            i += 1;
        }
    }
    return text;
}

bool fitsGbk(QStringView text)
{
    return strictEncodeGbk(text).has_value();
}

} // namespace orbelune
