#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orbelune {

// Code page 936 (GBK), in which history and result files are written, converted by the system
// (Windows' own, iconv elsewhere) with the rules of what is refused applied here, once around
// it, so that every platform reads and writes the same bytes.

// The text that bytes hold, or nothing where a sequence does not decode, the text does not encode
// back to these bytes, or it holds a private-use character (converters map those differently).
std::optional<QString> strictDecodeGbk(QByteArrayView bytes);

// The bytes of text, or nothing when a character has no code page 936 form, maps there one way
// only (the bytes would read back as another character), or is private-use.
std::optional<QByteArray> strictEncodeGbk(QStringView text);

// Decodes bytes, each byte that does not decode as U+FFFD; a character cut off at the end goes.
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
