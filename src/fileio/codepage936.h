#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orbelune {

// Code page 936, the Chinese ANSI code page of Windows (GBK), in which history and result
// files are written. The conversion is the system's: Windows' own there, iconv elsewhere. The
// rules of what is refused are applied here, once, around it, so that every platform reads and
// writes the same bytes.

// The text that bytes hold, or nothing when any byte sequence does not decode, when the text
// does not encode back to exactly these bytes, or when it holds a private-use character (the
// user-defined areas, which converters map differently, or not at all).
std::optional<QString> strictDecodeGbk(QByteArrayView bytes);

// The bytes of text, or nothing when a character has no code page 936 form, maps there one way
// only (the bytes would read back as another character), or is private-use.
std::optional<QByteArray> strictEncodeGbk(QStringView text);

// Decodes the bytes of a text file in code page 936. Bytes that do not decode become U+FFFD,
// each on its own; an incomplete character at the very end is dropped.
QString decodeGbk(const QByteArray &bytes);

// True when text survives encoding in GBK and decoding again unchanged.
bool fitsGbk(QStringView text);

namespace gbk_platform {
// The system's own conversions (codepage936_unix.cpp, codepage936_win.cpp), without the rules
// above: nothing on any sequence it cannot convert.
std::optional<QString> toUnicode(QByteArrayView bytes);
std::optional<QByteArray> fromUnicode(QStringView text);
} // namespace gbk_platform

} // namespace orbelune
