#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orbelune {

// Code page 936, the Chinese ANSI code page of Windows (GBK), in which history and result
// files are written. The conversion itself is left to a converter the platform keeps up:
// Windows' own, elsewhere Qt's ICU converter or iconv. All of them must read and write the
// same bytes, so the rules of what is refused are applied here, once, around each of them.
class CodePage936
{
public:
    virtual ~CodePage936() = default;

    // The text that bytes hold, or nothing when any byte sequence does not decode, when the
    // text does not encode back to exactly these bytes, or when it holds a private-use
    // character (the user-defined areas, which converters map differently, or not at all).
    std::optional<QString> decode(QByteArrayView bytes) const;

    // The bytes of text, or nothing when a character has no code page 936 form, maps there
    // one way only (the bytes would read back as another character), or is private-use.
    std::optional<QByteArray> encode(QStringView text) const;

protected:
    // The converter's own strict conversions: nothing on any sequence it cannot convert.
    virtual std::optional<QString> toUnicode(QByteArrayView bytes) const = 0;
    virtual std::optional<QByteArray> fromUnicode(QStringView text) const = 0;
};

// The converter the program uses: Windows' own on Windows; elsewhere Qt's ICU converter where
// Qt has one, otherwise iconv.
const CodePage936 &codePage936();

// Each converter on its own, so that tests can compare them; null where this build, or its
// Qt, lacks that converter.
const CodePage936 *windowsCodePage936();
const CodePage936 *icuCodePage936();
const CodePage936 *iconvCodePage936();

// Decodes the bytes of a text file in code page 936 (see CodePage936::decode() for what it
// refuses). Bytes that do not decode become U+FFFD, each on its own; an incomplete character at
// the very end is dropped. Without a converter given, the system's is used, and only for bytes
// that are not all ASCII.
QString decodeGbk(const QByteArray &bytes);
QString decodeGbk(const QByteArray &bytes, const CodePage936 &gbk);

// Encodes text in GBK. A character that GBK cannot hold becomes "?"; use fitsGbk() first
// where that would lose data.
QByteArray encodeGbk(QStringView text, const CodePage936 &gbk = codePage936());

// True when text survives encoding in GBK and decoding again unchanged, the same on every
// platform.
bool fitsGbk(QStringView text, const CodePage936 &gbk = codePage936());

} // namespace orbelune
