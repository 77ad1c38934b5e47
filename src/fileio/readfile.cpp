#include "fileio/readfile.h"

#include "fileio/nativefile.h"

#include <algorithm>

namespace orbelune {

Result<QByteArray> readWholeFile(const QString &path, qint64 limit)
{
    Result<QByteArray> read;
    Failure &failure = read.failure;
    NativeFile file;
    qint64 size = 0;
    failure = file.openForReading(path, size);
    if (!failure.failed() && size > limit)
        failure = Failure { FileFault::TooLarge };
    if (failure.failed()) {
        failure.step = FailureStep::OpenToRead;
        failure.count = limit;
        return read;
    }
    // One byte more than allowed is read, to catch a file that grew since it was measured.
    QByteArray &bytes = read.value;
    const QByteArray version = file.version();
    for (bool more = true; more;) {
        const qsizetype before = bytes.size();
        const qsizetype room = std::min<qsizetype>(limit + 1 - before, 64 * 1024);
        bytes.resize(before + room);
        qint64 n = 0;
        failure = file.readAt(before, bytes.data() + before, room, n);
        bytes.resize(before + n);
        more = !failure.failed() && n == room && bytes.size() <= limit;
    }
    // A file cut short, grown or written over while read would give a list neither old nor new.
    if (!failure.failed() && (bytes.size() != size || file.version() != version))
        failure = Failure { bytes.size() > limit ? FileFault::TooLarge : FileFault::Changed };
    if (failure.failed()) {
        failure.step = FailureStep::Read;
        failure.count = limit;
        bytes.clear();
    }
    return read;
}

} // namespace orbelune
