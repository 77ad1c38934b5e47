#include "fileio/savefile.h"

#include "fileio/savefile_p.h"

#include <algorithm>

namespace orbelune {

using namespace savefile_platform;

namespace {

bool isNoRoom(FileFault fault)
{
    return fault == FileFault::NoSpace || fault == FileFault::Quota || fault == FileFault::TooLarge;
}

// True where the system refuses a new file in the place of an old one that may be written: a
// folder that lets nobody create a file, a shared (sticky) folder and another user's file, a
// file mounted on its own, and, for the new file, a disk without room for one more.
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

// Writes the file over in place. Its old content is read first and, should writing fail once
// begun, written back and the file cut to its old size; only if that fails is it lost. Room for
// longer content is reserved first, so that a full disk is found before anything is overwritten.
Failure writeInPlace(const Target &target, const QByteArray &bytes)
{
    NativeFile file;
    bool readable = false;
    qint64 oldSize = 0;
    if (const Failure error = openInPlace(target, file, readable, oldSize); error.failed())
        return failure(error.fault == FileFault::NotRegularFile ? FailureStep::Look
                                                                : FailureStep::Rewrite,
                       error);
    // A file the user may write but not read cannot be kept.
    QByteArray old(readable && oldSize <= maxKeptContent ? oldSize : 0, Qt::Uninitialized);
    const bool keep = old.size() == oldSize;
    qint64 read = 0;
    if (const Failure error = file.readAt(0, old.data(), old.size(), read); error.failed())
        return failure(FailureStep::Rewrite, error);
    if (read < old.size()) // it shrank since it was measured
        return failure(FailureStep::Rewrite, FileFault::Io);

    if (bytes.size() > oldSize) {
        if (const Failure error = reserve(file, bytes.size());
            error.failed() && isNoRoom(error.fault)) {
            // The room taken beyond the old end, if any, is given back; the content is
            // untouched.
            file.setSize(oldSize);
            return failure(FailureStep::Write, error);
        }
        // A file system that cannot reserve room is written all the same.
    }

    qint64 written = 0;
    Failure error = file.writeAt(0, bytes, written);
    const bool cut = !error.failed() && bytes.size() < oldSize;
    if (!error.failed())
        error = file.setSize(bytes.size());
    if (!error.failed())
        error = flush(file);
    if (!error.failed())
        return Failure {}; // the data is on the disk: the close has nothing more to say
    if (written == 0 && !cut) {
        // Nothing overwritten: the room reserved beyond the old end, if any, is given back.
        file.setSize(oldSize);
        return failure(FailureStep::Write, error);
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
    return failure(FailureStep::Write, error, putBack ? OldContent::PutBack : OldContent::Lost);
}

// The save of a file that lookAt() found.
Failure replaceWhole(const Target &target, const QByteArray &bytes)
{
    if (target.inPlace)
        return writeInPlace(target, bytes);
    Temporary temporary;
    if (const Failure error = createTemporary(target, temporary); error.failed()) {
        if (target.exists && refusesReplacement(error.fault, true))
            return writeInPlace(target, bytes);
        return failure(FailureStep::Create, error);
    }
    // A temporary file that cannot be removed is named, wherever a save stops; once it is gone,
    // the old file may be written in place instead.
    const auto discarded = [&](Failure outcome, bool inPlace = false) {
        if (!discard(temporary, target))
            outcome.leftover = temporary.name;
        else if (inPlace)
            return writeInPlace(target, bytes);
        return outcome;
    };

    // What the new file cannot carry stays with the old one, written in place.
    if (const Failure error = target.exists ? carryOver(temporary.file, target) : Failure {};
        error.failed())
        return discarded(failure(FailureStep::Create, error), true);
    qint64 written = 0;
    if (const Failure error = temporary.file.writeAt(0, bytes, written); error.failed())
        return discarded(failure(FailureStep::Write, error));
    // The data reaches the disk here; a full disk or a failing one may only say so now.
    if (const Failure error = flush(temporary.file); error.failed())
        return discarded(failure(FailureStep::Write, error));

    QString oldNowAt;
    if (const Failure error = replace(temporary, target, oldNowAt); error.failed())
        return discarded(failure(target.exists ? FailureStep::Replace : FailureStep::Create, error,
                                 {}, oldNowAt),
                         target.exists && oldNowAt.isEmpty()
                             && refusesReplacement(error.fault, false));
    // The new name on the disk too.
    flushFolder(target);
    return Failure {};
}

} // namespace

Failure writeWholeFile(const QString &path, const QByteArray &bytes)
{
    Target target;
    if (Failure refused = lookAt(path, target); refused.failed())
        return refused;
    Failure outcome = replaceWhole(target, bytes);
    // A file the look made (through a link to nothing, or in an append-only folder) goes with a
    // save that failed; where it cannot, it is named.
    if (outcome.failed() && target.created && !removeCreated(target))
        outcome.leftover = target.path;
    return outcome;
}

} // namespace orbelune
