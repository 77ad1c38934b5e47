#pragma once

// What each platform does for writeWholeFile() (savefile_unix.cpp, savefile_win.cpp); the
// rules that put it together are savefile.cpp's. An open file is a descriptor or a HANDLE,
// held as a number that is -1 for none on both.

#include "fileio/savefile.h"

#include <QByteArrayView>
#include <QString>

namespace orbelune::savefile_platform {

// A save that failed at step; old says what became of the old content.
inline SaveOutcome failure(SaveStep step, const FileError &error,
                           OldContent old = OldContent::Untouched)
{
    return SaveOutcome { error, step, old, {} };
}

// A save refused because the folder that would hold the file is not there.
inline SaveOutcome folderMissing(const QString &folder)
{
    return SaveOutcome { FileError { FileFault::NotFound }, SaveStep::Look, OldContent::Untouched,
                         folder };
}

// The file a save writes.
struct Target
{
    QString path; // every link on the way followed
    QString folder; // the folder that holds it
    bool exists = false;
    // Which file it is (device and inode, volume and file index), to see that the file written
    // in place is the one looked at; and, on POSIX, what the new file takes over from it.
    quint64 device = 0;
    quint64 index = 0;
    unsigned owner = 0;
    unsigned group = 0;
    unsigned mode = 0;
};

// Finds the file that path names and looks at it, refusing what may not be saved over: a
// folder, anything but a regular file, a file the user may not write, a missing folder, a
// name the system cannot create. The outcome is ok when the save may go on.
SaveOutcome lookAt(const QString &path, Target &target);

// Creates a new file beside the target, with a name not taken, open for writing.
FileError createTemporary(const Target &target, qintptr &file, QString &temporary);

// Gives the new file the old one's owner, group and permissions where the platform keeps them
// apart from the replacement.
FileError takeOwnerAndMode(qintptr file, const Target &target);

// Writes all of bytes from offset on; written counts the bytes that reached the file.
FileError writeAt(qintptr file, qint64 offset, QByteArrayView bytes, qint64 &written);

// Reads size bytes from offset on.
FileError readAt(qintptr file, qint64 offset, qint64 size, QByteArray &bytes);

// Sets the file's end at size, cutting or growing it.
FileError setSize(qintptr file, qint64 size);

// Reserves the room for size bytes where the file system can, so that a full disk is found
// before anything is written; the file may then be size bytes long.
FileError reserve(qintptr file, qint64 size);

FileError closeFile(qintptr file);

// Opens the target to write it over in place, and to read it where the user may. Not
// blocking, and refusing whatever took the target's place since it was looked at.
FileError openInPlace(const Target &target, qintptr &file, bool &readable, qint64 &size);

// Puts the temporary file in the target's place, or at its name where there was no file.
// oldNowAt is where the old file was left when a failure could not put it back.
FileError replace(const QString &temporary, const Target &target, QString &oldNowAt);

void removeFile(const QString &path);

} // namespace orbelune::savefile_platform
