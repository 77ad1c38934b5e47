#include "history/resultfile.h"

#include "history/historytext.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace orbelune {

namespace {

const QLatin1String lineEnd("\r\n");

QString headingLine(const QStringList &captions)
{
    return resultHeading() + ballText(captions);
}

} // namespace

QString resultHeading()
{
    return QStringLiteral("Orbelune运算获得中奖机率最大的一组球号是：");
}

QString ballText(const QStringList &captions)
{
    QString text;
    for (qsizetype p = 0; p < 7; ++p) {
        if (p > 0)
            text += p < 6 ? u',' : u' ';
        text += captions.value(p);
    }
    return text;
}

QString resultFileText(const QStringList &captions, const QStringList &rows)
{
    QString text = headingLine(captions) + lineEnd;
    qsizetype size = text.size();
    for (const QString &row : rows)
        size += row.size() + 2;
    text.reserve(size);
    for (const QString &row : rows)
        text += row + lineEnd;
    return text;
}

ResultFileBytes encodeResultFile(const QStringList &captions, const QStringList &rows,
                                 const CodePage936 &gbk)
{
    const QString text = resultFileText(captions, rows);
    if (std::optional<QByteArray> bytes = gbk.encode(text))
        return ResultFileBytes { *std::move(bytes), 0 };

    // Only a list read from a Unicode file can get here; find the line to name.
    if (!fitsGbk(headingLine(captions), gbk))
        return ResultFileBytes { {}, 1 };
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!fitsGbk(rows.at(i), gbk))
            return ResultFileBytes { {}, i + 2 };
    }
    return ResultFileBytes { {}, 1 };
}

QString writeWholeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("这是一个文件夹，不是文件。");
    const QDir folder = info.absoluteDir();
    if (!folder.exists())
        return QStringLiteral("文件夹“%1”不存在。")
            .arg(QDir::toNativeSeparators(folder.absolutePath()));

    // Never fall back to writing over the file in place: a failure half-way would leave it
    // truncated.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("无法创建文件（%1）。").arg(file.errorString());
    // Flushed here, where a short write is seen: a file small enough to stay in the write
    // buffer until commit() would otherwise be cut off at the disk's end without an error,
    // since commit() does not check its last flush.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("写入文件时出错（%1）。").arg(reason);
    }
    // The data reaches the disk here; on a full disk this is where it fails, and the
    // temporary file is removed.
    if (!file.commit())
        return QStringLiteral("写入文件时出错（%1）。").arg(file.errorString());
    return QString();
}

} // namespace orbelune
