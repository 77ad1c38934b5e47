#include "fileio/savefile.h"

#include "fileio/savefile_p.h"

#include <QDir>

#include <algorithm>

namespace orbelune {

using namespace savefile_platform;

namespace {

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
        || (creating
            && (fault == FileFault::NoSpace || fault == FileFault::Quota
                || fault == FileFault::ReadOnlyFileSystem));
}

// An old file larger than this is no result the program wrote, and keeping all of it in memory
// to write it back would cost more than the save.
constexpr qint64 maxKeptContent = 64 * 1024 * 1024;

// Writes the file over in place, where it may not be replaced. Its old content is read first
// and, should writing fail once it has begun, written back and the file cut to its old size;
// only when that fails too is the old content lost. Where the new content is longer, room for
// it is reserved first, so that a full disk is found before anything is overwritten.
SaveOutcome writeInPlace(const Target &target, const QByteArray &bytes)
{
    NativeFile file;
    bool readable = false;
    qint64 oldSize = 0;
    if (const FileError error = openInPlace(target, file, readable, oldSize); error.failed())
        return failure(
            error.fault == FileFault::NotRegularFile ? SaveStep::Look : SaveStep::Rewrite, error);
    // A file the user may write but not read cannot be kept.
    QByteArray old(readable && oldSize <= maxKeptContent ? oldSize : 0, Qt::Uninitialized);
    const bool keep = old.size() == oldSize;
    qint64 read = 0;
    if (const FileError error = file.readAt(0, old.data(), old.size(), read); error.failed())
        return failure(SaveStep::Rewrite, error);
    if (read < old.size()) // it shrank since it was measured
        return failure(SaveStep::Rewrite, FileError { FileFault::Io });

    if (bytes.size() > oldSize) {
        if (const FileError error = reserve(file, bytes.size());
            error.failed() && isNoRoom(error.fault)) {
            // The room taken beyond the old end, if any, is given back; the content is
            // untouched.
            file.setSize(oldSize);
            return failure(SaveStep::Write, error);
        }
        // A file system that cannot reserve room is written all the same.
    }

    qint64 written = 0;
    FileError error = file.writeAt(0, bytes, written);
    const bool cut = !error.failed() && bytes.size() < oldSize;
    if (!error.failed())
        error = file.setSize(bytes.size());
    if (!error.failed())
        error = flush(file);
    if (!error.failed())
        return SaveOutcome {}; // the data is on the disk: the close has nothing more to say
    if (written == 0 && !cut) {
        // Nothing overwritten: the room reserved beyond the old end, if any, is given back.
        file.setSize(oldSize);
        return failure(SaveStep::Write, error);
    }

    // What was overwritten goes back (all of it where the end was cut off), and the file
    // takes its old size again. Once it holds the old content, a flush that fails too loses
    // nothing more than the first one did: the old content is what the file holds.
    qint64 rewritten = 0;
    const bool putBack = keep
        && !file.writeAt(0, QByteArrayView(old).first(cut ? oldSize : std::min(oldSize, written)),
                         rewritten)
                .failed()
        && !file.setSize(oldSize).failed();
    if (putBack)
        flush(file);
    return failure(SaveStep::Write, error, putBack ? OldContent::PutBack : OldContent::Lost);
}

// The save of a file that lookAt() found.
SaveOutcome replaceWhole(const Target &target, const QByteArray &bytes)
{
    if (target.inPlace)
        return writeInPlace(target, bytes);
    Temporary temporary;
    if (const FileError error = createTemporary(target, temporary); error.failed()) {
        if (target.exists && refusesReplacement(error.fault, true))
            return writeInPlace(target, bytes);
        return failure(SaveStep::Create, error);
    }
    // A temporary file that cannot be removed is named, wherever a save stops.
    const auto discarded = [&](SaveOutcome outcome) {
        if (!discard(temporary, target))
            outcome.leftover = temporary.name;
        return outcome;
    };

    // What the new file cannot carry stays with the old one, written in place.
    if (const FileError error = target.exists ? carryOver(temporary.file, target) : FileError {};
        error.failed()) {
        SaveOutcome outcome = discarded(failure(SaveStep::Create, error));
        return outcome.leftover.isEmpty() ? writeInPlace(target, bytes) : outcome;
    }
    qint64 written = 0;
    if (const FileError error = temporary.file.writeAt(0, bytes, written); error.failed())
        return discarded(failure(SaveStep::Write, error));
    // The data reaches the disk here; a full disk or a failing one may only say so now.
    if (const FileError error = flush(temporary.file); error.failed())
        return discarded(failure(SaveStep::Write, error));

    QString oldNowAt;
    if (const FileError error = replace(temporary, target, oldNowAt); error.failed()) {
        const bool inPlace
            = target.exists && oldNowAt.isEmpty() && refusesReplacement(error.fault, false);
        SaveOutcome outcome = discarded(
            failure(target.exists ? SaveStep::Replace : SaveStep::Create, error, {}, oldNowAt));
        return inPlace && outcome.leftover.isEmpty() ? writeInPlace(target, bytes) : outcome;
    }
    // The new name on the disk too.
    flushFolder(target);
    return SaveOutcome {};
}

} // namespace

QString SaveOutcome::errorText() const
{
    const QString text = causeText();
    return leftover.isEmpty() ? text
                              : text
            + QStringLiteral("文件“%1”无法删除，仍留在文件夹中。")
                  .arg(QDir::toNativeSeparators(leftover));
}

QString SaveOutcome::causeText() const
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

SaveOutcome writeWholeFile(const QString &path, const QByteArray &bytes)
{
    Target target;
    if (SaveOutcome refused = lookAt(path, target); !refused.ok())
        return refused;
    SaveOutcome outcome = replaceWhole(target, bytes);
    // A file the look made (through a link to nothing, or in an append-only folder) goes with a
    // save that failed; where it cannot, it is named.
    if (!outcome.ok() && target.created && !removeCreated(target))
        outcome.leftover = target.path;
    return outcome;
}

} // namespace orbelune
