// Code page 936 through Windows' own converter.

#include "fileio/codepage936.h"

#include <climits>

#include <windows.h>

namespace orbelune::gbk_platform {

namespace {

constexpr UINT chineseCodePage = 936;

} // namespace

std::optional<QString> toUnicode(QByteArrayView bytes)
{
    // The API counts in int; a history file is at most a few MiB.
    if (bytes.size() > INT_MAX)
        return std::nullopt;
    const auto convert = [&](QChar *out, int room) {
        return MultiByteToWideChar(chineseCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                   int(bytes.size()), reinterpret_cast<wchar_t *>(out), room);
    };
    QString text(convert(nullptr, 0), Qt::Uninitialized);
    if (text.isEmpty() || convert(text.data(), int(text.size())) != text.size())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> fromUnicode(QStringView text)
{
    if (text.size() > INT_MAX)
        return std::nullopt;
    // No best fit (which would write "a" for "ä"), and a character written as the default "?"
    // is one that has no form here: both calls must use none.
    BOOL usedDefault = FALSE;
    const auto convert = [&](char *out, int room) {
        return WideCharToMultiByte(chineseCodePage, WC_NO_BEST_FIT_CHARS,
                                   reinterpret_cast<const wchar_t *>(text.utf16()),
                                   int(text.size()), out, room, nullptr, &usedDefault);
    };
    QByteArray bytes(convert(nullptr, 0), Qt::Uninitialized);
    if (bytes.isEmpty() || usedDefault || convert(bytes.data(), int(bytes.size())) != bytes.size()
        || usedDefault)
        return std::nullopt;
    return bytes;
}

} // namespace orbelune::gbk_platform
