#include "fileio/readfile.h"

#include "fileio/readfile_p.h"

#include <QScopeGuard>

#include <algorithm>

namespace orbelune {

using namespace readfile_platform;

QString FileRead::errorText() const
{
    switch (error.fault) {
    case FileFault::NotFound:
        if (!whileReading)
            return QStringLiteral("文件不存在。");
        break;
    case FileFault::IsADirectory:
        return QStringLiteral("这是一个文件夹，不是文件。");
    case FileFault::NotRegularFile:
        return QStringLiteral("这不是普通文件。");
    case FileFault::TooLarge:
        if (!whileReading)
            return QStringLiteral("文件太大：往期数据文件最多 %1 字节（%2 MiB）。")
                .arg(limit)
                .arg(limit / (1024 * 1024));
        break;
    default:
        break;
    }
    return (whileReading ? QStringLiteral("读取文件时出错（%1）。")
                         : QStringLiteral("无法打开文件（%1）。"))
        .arg(error.text());
}

FileRead readWholeFile(const QString &path, qint64 limit)
{
    FileRead read;
    read.limit = limit;
    qintptr file = -1;
    if (read.error = openForReading(path, file); read.error.failed())
        return read;
    const auto close = qScopeGuard([file] { closeFile(file); });
    qint64 size = 0;
    if (read.error = lookAtOpened(file, size); read.error.failed())
        return read;
    if (size > limit) {
        read.error = FileError { FileFault::TooLarge };
        return read;
    }
    // One byte more than allowed is read, so that a file that grew since it was measured is
    // still caught, and no more than that.
    QByteArray &bytes = read.bytes;
    while (bytes.size() <= limit) {
        const qsizetype before = bytes.size();
        bytes.resize(std::min<qsizetype>(limit + 1, before + 64 * 1024));
        qint64 n = 0;
        const FileError error = readSome(file, bytes.data() + before, bytes.size() - before, n);
        bytes.resize(before + n);
        if (error.failed()) {
            read.error = error;
            read.whileReading = true;
            break;
        }
        if (n == 0)
            break;
    }
    if (!read.error.failed() && bytes.size() > limit)
        read.error = FileError { FileFault::TooLarge };
    if (read.error.failed())
        bytes.clear();
    return read;
}

} // namespace orbelune
