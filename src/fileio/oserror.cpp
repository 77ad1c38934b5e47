#include "fileio/oserror.h"

#include <cerrno>

namespace orbelune {

static FileFault fileFaultFromErrno(int code)
{
    switch (code) {
    case 0:
        return FileFault::None;
    case ENOSPC:
        return FileFault::NoSpace;
#ifdef EDQUOT
    case EDQUOT:
        return FileFault::Quota;
#endif
    case EROFS:
        return FileFault::ReadOnlyFileSystem;
    case ENAMETOOLONG:
        return FileFault::NameTooLong;
    case EACCES:
    case EPERM:
        return FileFault::PermissionDenied;
    case EIO:
        return FileFault::Io;
    case EFBIG:
        return FileFault::TooLarge;
    case ENOENT:
        return FileFault::NotFound;
    case ENOTDIR:
        return FileFault::NotADirectory;
    case EISDIR:
        return FileFault::IsADirectory;
    case ELOOP:
        return FileFault::LinkLoop;
    case ETXTBSY:
    case EBUSY:
        return FileFault::Busy;
    case EMFILE:
    case ENFILE:
        return FileFault::TooManyOpenFiles;
    case ENOMEM:
        return FileFault::NoMemory;
    case EAGAIN:
        return FileFault::TryAgain;
    case EOPNOTSUPP:
    case EINVAL:
        return FileFault::NotSupported;
    case ENXIO:
    case ENODEV:
        return FileFault::NoDevice;
    default:
        return FileFault::Other;
    }
}

Failure errnoError(int code)
{
    return Failure { fileFaultFromErrno(code), code };
}

} // namespace orbelune
