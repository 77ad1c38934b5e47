#pragma once

#include <QString>

namespace orbelune {

// Why a file operation failed. The errno values of POSIX and the error codes of Windows both
// come down to these, so that one cause reads the same on every system.
enum class FileFault {
    None,
    NoSpace,
    Quota,
    ReadOnlyFileSystem,
    WriteProtected,
    NameTooLong,
    InvalidName,
    ColonInName, // Windows: a colon is a drive's or names a stream, never part of a file's name
    PermissionDenied,
    ReadOnlyFile,
    Io,
    TooLarge,
    NotFound,
    NotADirectory,
    IsADirectory,
    NotRegularFile, // a pipe, a device, a socket: nothing the program reads or replaces
    LinkLoop,
    Busy,
    HeldByOtherProgram,
    TooManyOpenFiles,
    NoMemory,
    TryAgain,
    NotSupported,
    NoDevice,
    DeviceNotReady,
    NetworkGone,
    AlreadyExists,
    Changed, // renamed, removed, replaced or rewritten by another program while in use
    Other,
};

// What was being done when something failed.
enum class FailureStep {
    Unplaced, // a call of the system, not yet placed in a step
    // An import: opening the file, reading it, reading its bytes as history text.
    OpenToRead,
    Read,
    Decode,
    // A save.
    Look, // at what the path names: a folder, no regular file, a missing folder
    Create, // the new file
    Open, // the old file, to see that it may be written
    Write, // the new content, and putting it on the disk
    Replace, // the old file by the new one
    Rewrite, // the old file opened to write it over in place
};

// Why the bytes of a file are no history text.
enum class TextFault {
    None,
    HoldsNul,
    Utf16WithoutMark, // every other byte NUL
    NotGbkOrUtf8, // no mark, and a byte that neither encoding reads
    NotItsUnicode, // a byte-order mark, and a sequence that is not that encoding
    TooManyRows,
};

// What became of the old content of a file that a failed save was to replace.
enum class OldContent {
    Untouched,
    PutBack, // written over in place, then written back and cut to its old size
    Lost, // written over in place, and it could not be put back
};

// What failed, where and why, for the window to say in words (src/app/failuretext.cpp). A call
// of the system gives the cause alone; a read, a save and the decoding of a history file place it.
struct Failure
{
    Failure() = default;
    Failure(FileFault cause, long long systemCode = 0)
        : fault(cause)
        , code(systemCode)
    {
    }

    FileFault fault = FileFault::None;
    long long code = 0; // errno or GetLastError(); named only for FileFault::Other
    FailureStep step = FailureStep::Unplaced;
    TextFault text = TextFault::None;
    OldContent old = OldContent::Untouched;
    // The missing folder of a save, or where Windows left the old file when a failed
    // replacement could not put it back; and a file the failed save made and could not remove.
    QString place;
    QString leftover;
    // A number the cause names: the bytes an import may hold, the rows a file has.
    qint64 count = 0;
    // In a text: the first place that does not decode (line and column, 1-based), its byte, the
    // line as shown (such bytes as \xNN, the place at shownAt, lineLength characters long); the
    // name of the encoding a byte-order mark chose.
    qsizetype line = 0;
    qsizetype column = 0;
    unsigned byte = 0;
    QString shownLine;
    qsizetype shownAt = 0;
    qsizetype lineLength = 0;
    QString encoding;

    bool failed() const { return fault != FileFault::None || text != TextFault::None; }
};

// A value, or why it could not be had.
template <typename T> struct Result
{
    T value {};
    Failure failure;

    bool ok() const { return !failure.failed(); }
};

} // namespace orbelune
