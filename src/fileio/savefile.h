#pragma once

#include "fileio/oserror.h"

#include <QByteArray>
#include <QString>

namespace orbelune {

// What a save was doing when it failed, which with the cause makes its message.
enum class SaveStep {
    Look, // at what the path names: a folder, no regular file, a missing folder
    Create, // the new file
    Open, // the old file, to see that it may be written
    Write, // the new content, and putting it on the disk
    Replace, // the old file by the new one
    Rewrite, // the old file opened to write it over in place
};

// What became of the old content of a file that a failed save was to replace.
enum class OldContent {
    Untouched,
    PutBack, // written over in place, then written back and cut to its old size
    Lost, // written over in place, and it could not be put back
};

// The outcome of a save.
struct SaveOutcome
{
    FileError error; // FileFault::None when the file was written
    SaveStep step = SaveStep::Look;
    OldContent old = OldContent::Untouched;
    // The missing folder, for FileFault::NotFound at SaveStep::Look; where Windows left the
    // old file when a failed replacement could not put it back.
    QString place;
    // A file the failed save made and could not remove.
    QString leftover;

    bool ok() const { return !error.failed(); }
    // What failed and why, in words for the user.
    QString errorText() const;

private:
    QString causeText() const;
};

// The calls that put a save on the disk: the new file's data before it takes the old one's
// place, and the folder's names after. The system's own are the default; a test passes its own
// to see that they are made, and when, or to make one fail.
class FileSync
{
public:
    virtual ~FileSync() = default;
    // Puts the data of an open file (a descriptor, or a HANDLE on Windows) on the disk.
    virtual FileError syncFile(qintptr file) const;
    // Puts a folder's names on the disk, where the system lets a folder be flushed; on Windows
    // the move itself writes through.
    virtual void syncFolder(const QString &folder) const;
};

const FileSync &systemFileSync();

// Replaces the file at path with bytes, or creates it. The bytes go to a temporary file beside
// it that takes its place once everything is written and on the disk, so a failure leaves the
// old file as it was. Three rules hold:
// - The system resolves the path: it is opened, and the file reached is the one saved, so its
//   rules for links (fs.protected_symlinks) and its permissions hold, and a refusal is told as
//   its cause, with nothing written.
// - What the file carries stays with it: the new file takes the old one's permissions, ACL and
//   extended attributes, owner and group where the process may set them. Where it cannot take
//   them all, or the file may be written but not replaced (hard links, a folder that lets no
//   file be created, renamed or removed, another user's file in a shared folder, a file mounted
//   on its own, a disk without room for one more file), it is written over in place, after room
//   for the new content has been reserved where the file system can.
// - The dialogs never read: the file is read and written here only, once the user chose it.
// Refuses, leaving it alone, anything that is not a regular file: a folder, a pipe, a
// device, a socket, or a link to one.
SaveOutcome writeWholeFile(const QString &path, const QByteArray &bytes,
                           const FileSync &sync = systemFileSync());

} // namespace orbelune
