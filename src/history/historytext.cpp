#include "history/historytext.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace orbelune {

namespace {

// The encodings a history file may come in: GBK unless a byte-order mark says otherwise.
struct FileEncoding
{
    const char *name; // as the user knows it
    qsizetype markLength;
    QStringDecoder decoder;
    QStringEncoder encoder;
};

FileEncoding detectEncoding(const QByteArray &bytes)
{
    // Only the one mark is removed: a second one right after it is part of the first row.
    constexpr auto keepMark = QStringConverter::Flag::ConvertInitialBom;
    auto unicode = [](const char *name, qsizetype markLength, QStringConverter::Encoding e) {
        return FileEncoding { name, markLength, QStringDecoder(e, keepMark), QStringEncoder(e) };
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return unicode("UTF-8", 3, QStringConverter::Utf8);
    if (bytes.startsWith("\xFF\xFE"))
        return unicode("UTF-16", 2, QStringConverter::Utf16LE);
    if (bytes.startsWith("\xFE\xFF"))
        return unicode("UTF-16", 2, QStringConverter::Utf16BE);
    return FileEncoding { "GBK", 0, QStringDecoder("GBK"), QStringEncoder("GBK") };
}

// The 1-based line of the first GBK bytes that do not decode, or 0. A CR byte is never part
// of a two-byte GBK character, so every line can be checked on its own.
qsizetype firstUndecodableGbkLine(const QByteArray &bytes)
{
    qsizetype line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\r', start);
        if (end < 0)
            end = bytes.size();
        const QByteArray piece = bytes.sliced(start, end - start);
        if (encodeGbk(decodeGbk(piece)) != piece)
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

QString decodeGbk(const QByteArray &bytes)
{
    // GBK keeps the bytes below 0x80 for ASCII, and text of those alone (the shipped history)
    // needs no converter: its tables cost a megabyte of memory the first time they are read.
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return uchar(byte) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

QByteArray encodeGbk(QStringView text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

bool fitsGbk(QStringView text)
{
    // The encoder's own error flag misses characters that GBK maps one way only (U+30FB is
    // written as the middle dot A1A4, which reads back as U+00B7): compare the round trip.
    return decodeGbk(encodeGbk(text)) == text;
}

HistoryFileText decodeHistoryFile(const QByteArray &bytes)
{
    FileEncoding encoding = detectEncoding(bytes);
    const QByteArray body = bytes.sliced(encoding.markLength);
    QString text = encoding.decoder.decode(body);

    if (text.contains(QChar(u'\0')))
        return refusal(QStringLiteral("文件中含有空字符 (NUL)，不是文本文件。"));

    // Every row must be what the file holds, so that a save writes the same bytes back: a
    // file whose bytes do not survive decoding and encoding again is not text in its
    // encoding. (The decoders also swallow an incomplete character at the end silently.)
    if (encoding.encoder.encode(text) != body) {
        // Many editors now write UTF-8 without a mark. Such a file is almost never valid
        // GBK once it holds Chinese text, so it is read as UTF-8 only where GBK fails and
        // UTF-8 takes every byte; a file that is valid GBK always stays GBK.
        if (encoding.markLength == 0) {
            QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
            QString asUtf8 = utf8.decode(body);
            if (!utf8.hasError() && QStringEncoder(QStringConverter::Utf8).encode(asUtf8) == body)
                return decodeHistoryText(std::move(asUtf8));

            const qsizetype line = firstUndecodableGbkLine(body);
            if (line > 0)
                return refusal(QStringLiteral("第 %1 行含有不能按 GBK 编码读取的字节；"
                                              "这个文件既不是 GBK 也不是 UTF-8 文本。")
                                   .arg(line));
            return refusal(QStringLiteral("文件含有不能按 GBK 编码读取的字节；"
                                          "这个文件既不是 GBK 也不是 UTF-8 文本。"));
        }
        return refusal(QStringLiteral("文件以 %1 字节顺序标记开头，但内容不是有效的 %1 文本。")
                           .arg(QLatin1String(encoding.name)));
    }

    return decodeHistoryText(std::move(text));
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
