#include "fileio/codepage936.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <climits>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

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

#ifdef Q_OS_WIN

constexpr UINT chineseCodePage = 936;

class WindowsCodePage936 final : public CodePage936
{
protected:
    std::optional<QString> toUnicode(QByteArrayView bytes) const override
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

    std::optional<QByteArray> fromUnicode(QStringView text) const override
    {
        if (text.size() > INT_MAX)
            return std::nullopt;
        const int size = int(text.size());
        const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
        // No best fit (which would write "a" for "ä"), and a character written as the
        // default "?" is one that has no form here.
        BOOL usedDefault = FALSE;
        const int length = WideCharToMultiByte(chineseCodePage, WC_NO_BEST_FIT_CHARS, wide, size,
                                               nullptr, 0, nullptr, &usedDefault);
        if (length <= 0 || usedDefault)
            return std::nullopt;
        QByteArray bytes(length, Qt::Uninitialized);
        if (WideCharToMultiByte(chineseCodePage, WC_NO_BEST_FIT_CHARS, wide, size, bytes.data(),
                                length, nullptr, &usedDefault)
                != length
            || usedDefault)
            return std::nullopt;
        return bytes;
    }
};

#else

// Qt's ICU converter, where Qt was built with ICU ("GBK" is ICU's windows-936).
class IcuCodePage936 final : public CodePage936
{
protected:
    std::optional<QString> toUnicode(QByteArrayView bytes) const override
    {
        QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return std::nullopt;
        return text;
    }

    std::optional<QByteArray> fromUnicode(QStringView text) const override
    {
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError())
            return std::nullopt;
        return bytes;
    }
};

// iconv, for a Qt built without ICU. Every call opens its own descriptor: iconv keeps state
// in it, and the core keeps none of its own.
class IconvCodePage936 final : public CodePage936
{
public:
    static bool available()
    {
        const iconv_t descriptor = iconv_open(utf16, chinese);
        if (descriptor == iconv_t(-1))
            return false;
        iconv_close(descriptor);
        return true;
    }

protected:
    std::optional<QString> toUnicode(QByteArrayView bytes) const override
    {
        // One byte gives at most one UTF-16 unit.
        const std::optional<QByteArray> wide = convert(utf16, chinese, bytes, 2 * bytes.size());
        if (!wide)
            return std::nullopt;
        return QString(reinterpret_cast<const QChar *>(wide->constData()), wide->size() / 2);
    }

    std::optional<QByteArray> fromUnicode(QStringView text) const override
    {
        // One UTF-16 unit gives at most two bytes.
        const QByteArrayView wide(reinterpret_cast<const char *>(text.utf16()), 2 * text.size());
        return convert(chinese, utf16, wide, 2 * text.size());
    }

private:
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    static constexpr const char *utf16 = "UTF-16LE";
#else
    static constexpr const char *utf16 = "UTF-16BE";
#endif
    static constexpr const char *chinese = "CP936";

    // Nothing on an invalid or incomplete sequence, and nothing on a conversion that iconv
    // itself calls irreversible.
    static std::optional<QByteArray> convert(const char *to, const char *from, QByteArrayView in,
                                             qsizetype room)
    {
        const iconv_t descriptor = iconv_open(to, from);
        if (descriptor == iconv_t(-1))
            return std::nullopt;
        QByteArray out(room, Qt::Uninitialized);
        char *input = const_cast<char *>(in.data());
        size_t inputLeft = size_t(in.size());
        char *output = out.data();
        size_t outputLeft = size_t(out.size());
        size_t result = iconv(descriptor, &input, &inputLeft, &output, &outputLeft);
        if (result == 0)
            result = iconv(descriptor, nullptr, nullptr, &output, &outputLeft);
        iconv_close(descriptor);
        if (result != 0 || inputLeft != 0)
            return std::nullopt;
        out.truncate(out.size() - qsizetype(outputLeft));
        return out;
    }
};

#endif

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

const CodePage936 *windowsCodePage936()
{
#ifdef Q_OS_WIN
    static const WindowsCodePage936 converter;
    return &converter;
#else
    return nullptr;
#endif
}

const CodePage936 *icuCodePage936()
{
#ifdef Q_OS_WIN
    // Qt for Windows may have ICU too, but the program never needs it there.
    return nullptr;
#else
    static const IcuCodePage936 converter;
    static const bool available = QStringDecoder("GBK").isValid();
    return available ? &converter : nullptr;
#endif
}

const CodePage936 *iconvCodePage936()
{
#ifdef Q_OS_WIN
    return nullptr;
#else
    static const IconvCodePage936 converter;
    static const bool available = IconvCodePage936::available();
    return available ? &converter : nullptr;
#endif
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

} // namespace orbelune
