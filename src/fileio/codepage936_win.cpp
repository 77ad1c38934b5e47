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
    const int size = int(bytes.size());
    const int length = MultiByteToWideChar(chineseCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                           size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    QString text(length, Qt::Uninitialized);
    if (MultiByteToWideChar(chineseCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size,
                            reinterpret_cast<wchar_t *>(text.data()), length)
        != length)
        return std::nullopt;
    return text;
}

std::optional<QByteArray> fromUnicode(QStringView text)
{
    if (text.size() > INT_MAX)
        return std::nullopt;
    const int size = int(text.size());
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    // No best fit (which would write "a" for "ä"), and a character written as the default "?"
    // is one that has no form here.
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(chineseCodePage, WC_NO_BEST_FIT_CHARS, wide, size,
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    QByteArray bytes(length, Qt::Uninitialized);
    if (WideCharToMultiByte(chineseCodePage, WC_NO_BEST_FIT_CHARS, wide, size, bytes.data(), length,
                            nullptr, &usedDefault)
            != length
        || usedDefault)
        return std::nullopt;
    return bytes;
}

} // namespace orbelune::gbk_platform
