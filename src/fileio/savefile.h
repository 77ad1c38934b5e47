#pragma once

#include <QByteArray>
#include <QString>

namespace orbelune {

// The outcome of a save, for the message that reports it.
struct SaveOutcome
{
    QString error; // empty when the file was written; otherwise what failed and why, in words
    // The file was written over in place and that failed after its old content had been
    // overwritten: the file now holds part of the new content.
    bool oldContentLost = false;
    bool ok() const { return error.isEmpty(); }
};

// Replaces the file at path with bytes, or creates it. The bytes go to a temporary file beside
// it that takes its place once everything is written and on the disk, so a failure leaves the
// old file as it was; the new file keeps the old one's permissions, and its owner and group
// where the process may set them. A link is followed to the file it names. Where the folder
// does not let a file be created but the file itself may be written, it is written over in
// place, after room for the new content has been reserved where the file system can.
// Refuses, leaving it alone, anything that is not a regular file: a folder, a pipe, a
// device, a socket, or a link to one.
SaveOutcome writeWholeFile(const QString &path, const QByteArray &bytes);

} // namespace orbelune
