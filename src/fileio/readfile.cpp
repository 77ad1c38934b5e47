#include "fileio/readfile.h"

#include "fileio/nativefile.h"

#include <algorithm>

namespace orbelune {

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
    NativeFile file;
    qint64 size = 0;
    if (read.error = file.openForReading(path, size); read.error.failed())
        return read;
    if (size > limit) {
        read.error = FileError { FileFault::TooLarge };
        return read;
    }
    // One byte more than allowed is read, so that a file that grew since it was measured is
    // still caught, and no more than that.
    QByteArray &bytes = read.bytes;
    const QByteArray version = file.version();
    for (bool more = true; more;) {
        const qsizetype before = bytes.size();
        const qsizetype room = std::min<qsizetype>(limit + 1 - before, 64 * 1024);
        bytes.resize(before + room);
        qint64 n = 0;
        read.error = file.readAt(before, bytes.data() + before, room, n);
        read.whileReading = read.error.failed();
        bytes.resize(before + n);
        more = !read.whileReading && n == room && bytes.size() <= limit;
    }
    if (!read.error.failed() && bytes.size() > limit)
        read.error = FileError { FileFault::TooLarge };
    // A file cut short, grown or written over while it was read would give a list that is
    // neither the old one nor the new one.
    if (!read.error.failed() && (bytes.size() != size || file.version() != version)) {
        read.error = FileError { FileFault::Changed };
        read.whileReading = true;
    }
    if (read.error.failed())
        bytes.clear();
    return read;
}

} // namespace orbelune
