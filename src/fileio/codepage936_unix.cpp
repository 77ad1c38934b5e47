// Code page 936 through iconv, which glibc carries. Every call opens its own descriptor: iconv
// keeps state in it, and the core keeps none of its own.

#include "fileio/codepage936.h"

#include <iconv.h>

namespace orbelune::gbk_platform {

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *utf16 = "UTF-16LE";
#else
constexpr const char *utf16 = "UTF-16BE";
#endif
constexpr const char *chinese = "CP936";

// Nothing on an invalid or incomplete sequence, nor on one that iconv itself calls irreversible.
std::optional<QByteArray> convert(const char *to, const char *from, QByteArrayView in,
                                  qsizetype room)
{
    const iconv_t descriptor = iconv_open(to, from);
    if (descriptor == iconv_t(-1))
        qFatal("This system has no converter for code page 936 (GBK).");
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

} // namespace

std::optional<QString> toUnicode(QByteArrayView bytes)
{
    // One byte gives at most one UTF-16 unit.
    const std::optional<QByteArray> wide = convert(utf16, chinese, bytes, 2 * bytes.size());
    if (!wide)
        return std::nullopt;
    return QString(reinterpret_cast<const QChar *>(wide->constData()), wide->size() / 2);
}

std::optional<QByteArray> fromUnicode(QStringView text)
{
    // One UTF-16 unit gives at most two bytes.
    const QByteArrayView wide(reinterpret_cast<const char *>(text.utf16()), 2 * text.size());
    return convert(chinese, utf16, wide, 2 * text.size());
}

} // namespace orbelune::gbk_platform
