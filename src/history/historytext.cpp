#include "history/historytext.h"

#include "history/codepage936.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace orbelune {

namespace {

// A file that starts with a byte-order mark is in that Unicode encoding.
struct UnicodeEncoding
{
    const char *name; // as the user knows it
    qsizetype markLength;
    QStringConverter::Encoding encoding;
};

std::optional<UnicodeEncoding> unicodeByMark(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return UnicodeEncoding { "UTF-8", 3, QStringConverter::Utf8 };
    if (bytes.startsWith("\xFF\xFE"))
        return UnicodeEncoding { "UTF-16", 2, QStringConverter::Utf16LE };
    if (bytes.startsWith("\xFE\xFF"))
        return UnicodeEncoding { "UTF-16", 2, QStringConverter::Utf16BE };
    return std::nullopt;
}

// The 1-based line of the first GBK bytes that do not decode, or 0. A CR byte is never part
// of a two-byte GBK character, so every line can be checked on its own.
qsizetype firstUndecodableGbkLine(const QByteArray &bytes, const CodePage936 &gbk)
{
    qsizetype line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\r', start);
        if (end < 0)
            end = bytes.size();
        if (!gbk.decode(QByteArrayView(bytes).sliced(start, end - start)))
            return line;
        ++line;
        start = end + 1;
    }
    return 0;
}

HistoryFileText refusal(const QString &reason)
{
    return HistoryFileText { {}, reason };
}

// Splits decoded text into rows, refusing more rows than the list can hold.
HistoryFileText decodeHistoryText(QString text)
{
    QStringList rows = splitHistoryLines(text);
    if (rows.size() > maxHistoryRows)
        return refusal(QStringLiteral("文件有 %1 行，往期数据列表最多只能容纳 %2 行。")
                           .arg(rows.size())
                           .arg(maxHistoryRows));
    return HistoryFileText { std::move(rows), {} };
}

HistoryFileText nulRefusal()
{
    return refusal(QStringLiteral("文件中含有空字符 (NUL)，不是文本文件。"));
}

// A file with a byte-order mark: the mark is removed, and every row must be what the file
// holds, so that a save writes the same bytes back: a file whose bytes do not survive
// decoding and encoding again is not text in its encoding.
HistoryFileText decodeMarkedFile(const QByteArray &bytes, const UnicodeEncoding &unicode)
{
    // Only the one mark is removed: a second one right after it is part of the first row.
    const QByteArrayView body = QByteArrayView(bytes).sliced(unicode.markLength);
    QStringDecoder decoder(unicode.encoding, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(body);
    if (text.contains(QChar(u'\0')))
        return nulRefusal();
    // (The decoder also swallows an incomplete character at the end silently.)
    if (QByteArray(QStringEncoder(unicode.encoding).encode(text)) != body)
        return refusal(QStringLiteral("文件以 %1 字节顺序标记开头，但内容不是有效的 %1 文本。")
                           .arg(QLatin1String(unicode.name)));
    return decodeHistoryText(std::move(text));
}

} // namespace

QStringList splitHistoryLines(QStringView text)
{
    QStringList rows;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != u'\r')
            continue;
        rows.append(text.mid(start, i - start).toString());
        if (i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        rows.append(text.mid(start).toString());
    return rows;
}

QString decodeGbk(const QByteArray &bytes, const CodePage936 &gbk)
{
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

HistoryFileText decodeHistoryFile(const QByteArray &bytes, const CodePage936 &gbk)
{
    const std::optional<UnicodeEncoding> unicode = unicodeByMark(bytes);
    if (unicode)
        return decodeMarkedFile(bytes, *unicode);

    // A NUL byte is NUL in GBK and in UTF-8 alike, wherever it stands.
    if (bytes.contains('\0'))
        return nulRefusal();

    if (std::optional<QString> text = gbk.decode(bytes))
        return decodeHistoryText(*std::move(text));

    // Many editors now write UTF-8 without a mark. Such a file is almost never valid GBK once
    // it holds Chinese text, so it is read as UTF-8 only where GBK fails and UTF-8 takes every
    // byte; a file that is valid GBK always stays GBK.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError() && QStringEncoder(QStringConverter::Utf8).encode(asUtf8) == bytes)
        return decodeHistoryText(std::move(asUtf8));

    const qsizetype line = firstUndecodableGbkLine(bytes, gbk);
    if (line > 0)
        return refusal(QStringLiteral("第 %1 行含有不能按 GBK 编码读取的字节；"
                                      "这个文件既不是 GBK 也不是 UTF-8 文本。")
                           .arg(line));
    return refusal(QStringLiteral("文件含有不能按 GBK 编码读取的字节；"
                                  "这个文件既不是 GBK 也不是 UTF-8 文本。"));
}

HistoryFileText readHistoryFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refusal(QStringLiteral("文件不存在。"));
    if (info.isDir())
        return refusal(QStringLiteral("这是一个文件夹，不是文件。"));
    // A pipe or a device would block the read, or never end it.
    if (!info.isFile())
        return refusal(QStringLiteral("这不是普通文件。"));

    const auto tooLarge = [] {
        return refusal(QStringLiteral("文件太大：往期数据文件最多 %1 字节（4 MiB）。")
                           .arg(maxHistoryFileBytes));
    };
    if (info.size() > maxHistoryFileBytes)
        return tooLarge();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refusal(QStringLiteral("无法打开文件：%1").arg(file.errorString()));

    // Read one byte more than allowed, so that a file that grew since it was measured is
    // still caught, and no more than that.
    QByteArray bytes;
    while (bytes.size() <= maxHistoryFileBytes) {
        const QByteArray chunk = file.read(maxHistoryFileBytes + 1 - bytes.size());
        if (file.error() != QFileDevice::NoError)
            return refusal(QStringLiteral("读取文件时出错：%1").arg(file.errorString()));
        if (chunk.isEmpty())
            break;
        bytes.append(chunk);
    }
    if (bytes.size() > maxHistoryFileBytes)
        return tooLarge();
    return decodeHistoryFile(bytes);
}

} // namespace orbelune
