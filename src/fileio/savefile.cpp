#include "fileio/savefile.h"

#include "fileio/savefile_p.h"

#include <QDir>

#include <algorithm>

namespace orbelune {

using namespace savefile_platform;

namespace {

// An open file, closed when it goes.
class OpenFile
{
public:
    OpenFile() = default;
    ~OpenFile() { close(); }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;

    qintptr &handle() { return m_file; }
    // Closes it now: the error of the close, which may be the first word of a failed write.
    FileError close()
    {
        if (m_file == -1)
            return {};
        const FileError error = closeFile(m_file);
        m_file = -1;
        return error;
    }

private:
    qintptr m_file = -1;
};

bool isNoRoom(FileFault fault)
{
    return fault == FileFault::NoSpace || fault == FileFault::Quota || fault == FileFault::TooLarge;
}

// True where the system refuses a new file in the old one's place, while the old file itself
// may be written (the look saw to that): a folder that lets nobody create a file, a shared
// folder whose sticky bit keeps another user's file from being replaced, a file that is a
// mount point of its own, and, for the new file, a disk that has no room for one more.
bool refusesReplacement(FileFault fault, bool creating)
{
    return fault == FileFault::PermissionDenied || fault == FileFault::Busy
        || (creating && (fault == FileFault::NoSpace || fault == FileFault::Quota));
}

// An old file larger than this is no result the program wrote, and keeping all of it in memory
// to write it back would cost more than the save.
constexpr qint64 maxKeptContent = 64 * 1024 * 1024;

// Writes the file over in place, where it may not be replaced. Its old content is read first
// and, should writing fail once it has begun, written back and the file cut to its old size;
// only when that fails too is the old content lost. Where the new content is longer, room for
// it is reserved first, so that a full disk is found before anything is overwritten.
SaveOutcome writeInPlace(const Target &target, const QByteArray &bytes, const FileSync &sync)
{
    OpenFile file;
    bool readable = false;
    qint64 oldSize = 0;
    if (const FileError error = openInPlace(target, file.handle(), readable, oldSize);
        error.failed())
        return failure(
            error.fault == FileFault::NotRegularFile ? SaveStep::Look : SaveStep::Rewrite, error);
    // A file the user may write but not read cannot be kept.
    QByteArray old;
    const bool keep = readable && oldSize <= maxKeptContent;
    if (keep) {
        if (const FileError error = readAt(file.handle(), 0, oldSize, old); error.failed())
            return failure(SaveStep::Rewrite, error);
    }

    if (bytes.size() > oldSize) {
        if (const FileError error = reserve(file.handle(), bytes.size());
            error.failed() && isNoRoom(error.fault)) {
            // The room taken beyond the old end, if any, is given back; the content is
            // untouched.
            setSize(file.handle(), oldSize);
            return failure(SaveStep::Write, error);
        }
        // A file system that cannot reserve room is written all the same.
    }

    qint64 written = 0;
    FileError error = writeAt(file.handle(), 0, bytes, written);
    const bool cut = !error.failed() && bytes.size() < oldSize;
    if (!error.failed())
        error = setSize(file.handle(), bytes.size());
    if (!error.failed())
        error = sync.syncFile(file.handle());
    if (!error.failed())
        return SaveOutcome {}; // the data is on the disk: the close has nothing more to say
    if (written == 0 && !cut) {
        // Nothing overwritten: the room reserved beyond the old end, if any, is given back.
        setSize(file.handle(), oldSize);
        return failure(SaveStep::Write, error);
    }

    // What was overwritten goes back (all of it where the end was cut off), and the file
    // takes its old size again.
    qint64 rewritten = 0;
    const bool putBack = keep
        && !writeAt(file.handle(), 0,
                    QByteArrayView(old).first(cut ? oldSize : std::min(oldSize, written)),
                    rewritten)
                .failed()
        && !setSize(file.handle(), oldSize).failed() && !sync.syncFile(file.handle()).failed();
    return failure(SaveStep::Write, error, putBack ? OldContent::PutBack : OldContent::Lost);
}

} // namespace

QString SaveOutcome::errorText() const
{
    const auto because = [this](const char *what) {
        return QStringLiteral("%1（%2）。").arg(QString::fromUtf8(what), error.text());
    };
    switch (step) {
    case SaveStep::Look:
        if (error.fault == FileFault::IsADirectory)
            return QStringLiteral("这是一个文件夹，不是文件。");
        if (error.fault == FileFault::NotRegularFile)
            return QStringLiteral("这不是普通文件。");
        if (error.fault == FileFault::NotFound)
            return QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(place));
        return because("无法创建文件");
    case SaveStep::Create:
        return because("无法创建文件");
    case SaveStep::Open:
        return because("不能改写这个文件");
    case SaveStep::Write:
        return because("写入文件时出错");
    case SaveStep::Replace:
        return because("无法用新文件替换原有的文件")
            + (place.isEmpty() ? QString()
                               : QStringLiteral("原有的文件现在名为“%1”。")
                                     .arg(QDir::toNativeSeparators(place)));
    case SaveStep::Rewrite:
        return because("无法改写文件");
    }
    return because("无法创建文件");
}

const FileSync &systemFileSync()
{
    static const FileSync sync;
    return sync;
}

SaveOutcome writeWholeFile(const QString &path, const QByteArray &bytes, const FileSync &sync)
{
    Target target;
    if (SaveOutcome refused = lookAt(path, target); !refused.ok())
        return refused;

    OpenFile file;
    QString temporary;
    if (const FileError error = createTemporary(target, file.handle(), temporary); error.failed()) {
        if (target.exists && refusesReplacement(error.fault, true))
            return writeInPlace(target, bytes, sync);
        return failure(SaveStep::Create, error);
    }
    const auto discard = [&](SaveStep step, const FileError &error) {
        file.close();
        removeFile(temporary);
        return failure(step, error);
    };

    if (target.exists) {
        if (const FileError error = takeOwnerAndMode(file.handle(), target); error.failed())
            return discard(SaveStep::Create, error);
    }
    qint64 written = 0;
    if (const FileError error = writeAt(file.handle(), 0, bytes, written); error.failed())
        return discard(SaveStep::Write, error);
    // The data reaches the disk here; a full disk or a failing one may only say so now.
    if (const FileError error = sync.syncFile(file.handle()); error.failed())
        return discard(SaveStep::Write, error);
    if (const FileError error = file.close(); error.failed())
        return discard(SaveStep::Write, error);

    QString oldNowAt;
    if (const FileError error = replace(temporary, target, oldNowAt); error.failed()) {
        removeFile(temporary);
        if (target.exists && oldNowAt.isEmpty() && refusesReplacement(error.fault, false))
            return writeInPlace(target, bytes, sync);
        SaveOutcome outcome = failure(target.exists ? SaveStep::Replace : SaveStep::Create, error);
        outcome.place = oldNowAt;
        return outcome;
    }
    // The new name on the disk too.
    sync.syncFolder(target.folder);
    return SaveOutcome {};
}

} // namespace orbelune
