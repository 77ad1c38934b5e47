#pragma once

// What each platform does for writeWholeFile() (savefile_linux.cpp, savefile_win.cpp); the
// rules that put it together are savefile.cpp's.

#include "fileio/nativefile.h"
#include "fileio/oserror.h"
#include "fileio/savefile.h"

namespace orbelune::savefile_platform {

// A save that failed at step; old says what became of the old content.
inline Failure failure(FailureStep step, Failure cause, OldContent old = OldContent::Untouched,
                       const QString &place = {})
{
    cause.step = step;
    cause.old = old;
    cause.place = place;
    return cause;
}

// The file a save writes.
struct Target
{
    QString path; // as the system reached it, every link on the way followed
    // Linux: the folder that holds it and the file itself where it exists, held open (O_PATH),
    // and its name in the folder as the kernel's bytes. Every call after the look goes through
    // these, never through a path again.
    NativeFile folderHandle;
    QByteArray name;
    NativeFile fileHandle;
    bool exists = false;
    // Windows: which file it is (volume and file index), to know it again when it is written in
    // place. Linux asks the file held.
    quint64 device = 0;
    quint64 index = 0;
    // Written in place: it has more names than one (hard links, which a replacement would
    // split), or its folder lets no file be renamed or removed.
    bool inPlace = false;
    // Created empty by the look, through a link to nothing or in such a folder: a failed save
    // removes it again.
    bool created = false;
};

// The new file beside the target. On Linux it has no name until it is whole where the file
// system allows (O_TMPFILE); name is its path while it has one, nativeName (Linux) its bytes in
// the target's folder.
struct Temporary
{
    NativeFile file;
    QString name;
    QByteArray nativeName;
};

// Finds the file that path names, as the system resolves it, refusing what may not be saved
// over: a folder, anything but a regular file, a file the user may not write, a missing folder.
Failure lookAt(const QString &path, Target &target);

// Creates the new file beside the target, open for writing.
Failure createTemporary(const Target &target, Temporary &temporary);

// Gives the new file what the old one carries besides its content where the replacement does
// not (owner and group, permissions, the ACL and other extended attributes). A failure means
// that the new file cannot carry it all, and the old one is written in place instead.
Failure carryOver(const NativeFile &file, const Target &target);

// Reserves the room for size bytes where the file system can, so that a full disk is found
// before anything is written; the file may then be size bytes long.
Failure reserve(const NativeFile &file, qint64 size);

// Puts the data of an open file on the disk; flushFolder() the folder's names, where the system
// lets a folder be flushed (on Windows the move itself writes through).
Failure flush(const NativeFile &file);
void flushFolder(const Target &target);

// Opens the target to write it over in place, and to read it where the user may: not blocking,
// and refusing whatever took the target's place since it was looked at.
Failure openInPlace(const Target &target, NativeFile &file, bool &readable, qint64 &size);

// Closes the temporary file and puts it in the target's place, or at its name where there was
// no file. oldNowAt is where the old file was left when a failure could not put it back.
Failure replace(Temporary &temporary, const Target &target, QString &oldNowAt);

// Closes the temporary file and removes it; removeCreated() removes the file the look created.
// Both are false where the file still has its name.
bool discard(Temporary &temporary, const Target &target);
bool removeCreated(const Target &target);

#ifdef Q_OS_WIN
// FlushFileBuffers, called through this pointer: Windows lets a test take no call of the system
// from below, as POSIX lets one take fsync(), so a test turns the pointer to watch the flushes.
extern bool (*flushFileBuffers)(qintptr file);
#endif

} // namespace orbelune::savefile_platform
