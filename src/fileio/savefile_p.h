#pragma once

// What each platform does for writeWholeFile() (savefile_unix.cpp, savefile_win.cpp); the
// rules that put it together are savefile.cpp's.

#include "fileio/nativefile.h"
#include "fileio/savefile.h"

namespace orbelune::savefile_platform {

// A save that failed at step; old says what became of the old content.
inline SaveOutcome failure(SaveStep step, const FileError &error,
                           OldContent old = OldContent::Untouched, const QString &place = {})
{
    return SaveOutcome { error, step, old, place, {} };
}

// The file a save writes.
struct Target
{
    QString path; // as the system reached it, every link on the way followed
    QString folder; // the folder that holds it
    bool exists = false;
    // Which file it is (device and inode, volume and file index), to see that the file written
    // in place is the one looked at; and, on POSIX, what the new file takes over from it.
    quint64 device = 0;
    quint64 index = 0;
    unsigned owner = 0;
    unsigned group = 0;
    unsigned mode = 0;
    // The file must be written in place: it has more names than one (hard links, which a
    // replacement would split), or its folder lets no file be renamed or removed.
    bool inPlace = false;
    // The file was created empty by the look, through a link to nothing or in such a folder:
    // a failed save removes it again.
    bool created = false;
};

// Finds the file that path names, as the system resolves it, and looks at it, refusing what may
// not be saved over: a folder, anything but a regular file, a file the user may not write, a
// missing folder. The outcome is ok when the save may go on.
SaveOutcome lookAt(const QString &path, Target &target);

// Creates a new file beside the target, with a name not taken, open for writing.
FileError createTemporary(const Target &target, NativeFile &file, QString &temporary);

// Gives the new file what the old one carries besides its content, where the platform keeps it
// apart from the replacement: owner and group where the process may set them, permissions, the
// ACL and the other extended attributes. A failure means that the new file cannot carry it all.
FileError carryOver(const NativeFile &file, const Target &target);

// Reserves the room for size bytes where the file system can, so that a full disk is found
// before anything is written; the file may then be size bytes long.
FileError reserve(const NativeFile &file, qint64 size);

// Opens the target to write it over in place, and to read it where the user may. Not
// blocking, and refusing whatever took the target's place since it was looked at.
FileError openInPlace(const Target &target, NativeFile &file, bool &readable, qint64 &size);

// Puts the temporary file in the target's place, or at its name where there was no file.
// oldNowAt is where the old file was left when a failure could not put it back.
FileError replace(const QString &temporary, const Target &target, QString &oldNowAt);

// False where the file is still there.
bool removeFile(const QString &path);

} // namespace orbelune::savefile_platform
