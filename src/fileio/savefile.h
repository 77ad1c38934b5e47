#pragma once

#include "fileio/failure.h"

#include <QByteArray>
#include <QString>

namespace orbelune {

// Replaces the file at path with bytes, or creates it. The bytes go to a new file beside it that
// takes its place once everything is written and on the disk, so a failure leaves the old file
// as it was. Four rules hold:
// - The system resolves the path: the file it opens is the one saved, so its rules for links
//   (fs.protected_symlinks) and its permissions hold, and a refusal is told as its cause.
// - What was opened is held, not named again. On Linux the opened file's folder is opened (where
//   /proc/self/fd says the kernel found it, or without /proc where realpath() reads the links
//   back) and kept only when it holds that very file, by device and inode. Every later call is
//   relative to it (openat, linkat, renameat, unlinkat, fstatat) with the name as the kernel's
//   bytes, never decoded, and a folder renamed meanwhile takes the save with it. The new file
//   has no name until it is whole where the file system allows (O_TMPFILE); a file written in
//   place is opened again in that folder and must still be the file looked at.
// - What the file carries stays with it: the new file takes the old one's permissions, ACL,
//   extended attributes, owner and group. Where it cannot take them all (another user's file, a
//   group the saver is not in), or the file may be written but not replaced (hard links, a
//   folder that lets no file be created, renamed or removed, another user's file in a shared
//   folder, a file mounted on its own, a disk without room for one more file), it is written
//   over in place, after room for the new content is reserved where the file system can.
// - The dialogs never read: the file is read and written here only, once the user chose it.
// Refuses, leaving it alone, anything but a regular file: a folder, a pipe, a device, a socket,
// or a link to one. A failure names its step (Look, Create, Open, Write, Replace, Rewrite) and
// what became of the old content; Windows may name where it left the old file (place), and a
// file the save made and could not remove is named (leftover).
Failure writeWholeFile(const QString &path, const QByteArray &bytes);

} // namespace orbelune
