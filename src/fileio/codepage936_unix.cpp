// Code page 936 where Windows' converter is not at hand: Qt's ICU converter, or iconv.

#include "fileio/codepage936.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <iconv.h>

namespace orbelune {

namespace {

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

} // namespace

const CodePage936 *windowsCodePage936()
{
    return nullptr;
}

const CodePage936 *icuCodePage936()
{
    static const IcuCodePage936 converter;
    static const bool available = QStringDecoder("GBK").isValid();
    return available ? &converter : nullptr;
}

const CodePage936 *iconvCodePage936()
{
    static const IconvCodePage936 converter;
    static const bool available = IconvCodePage936::available();
    return available ? &converter : nullptr;
}

} // namespace orbelune
