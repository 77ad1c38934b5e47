#include "fileio/oserror.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <utility>

namespace orbelune {

// Each errno value the program tells apart, with its cause; any other is FileFault::Other.
constexpr std::pair<int, FileFault> faults[] = {
    { ENOSPC, FileFault::NoSpace },
#ifdef EDQUOT
    { EDQUOT, FileFault::Quota },
#endif
    { EROFS, FileFault::ReadOnlyFileSystem },
    { ENAMETOOLONG, FileFault::NameTooLong },
    { EACCES, FileFault::PermissionDenied },
    { EPERM, FileFault::PermissionDenied },
    { EIO, FileFault::Io },
    { EFBIG, FileFault::TooLarge },
    { ENOENT, FileFault::NotFound },
    { ENOTDIR, FileFault::NotADirectory },
    { EISDIR, FileFault::IsADirectory },
    { ELOOP, FileFault::LinkLoop },
    { ETXTBSY, FileFault::Busy },
    { EBUSY, FileFault::Busy },
    { EMFILE, FileFault::TooManyOpenFiles },
    { ENFILE, FileFault::TooManyOpenFiles },
    { ENOMEM, FileFault::NoMemory },
    { EAGAIN, FileFault::TryAgain },
    { EOPNOTSUPP, FileFault::NotSupported },
    { EINVAL, FileFault::NotSupported },
    { ENXIO, FileFault::NoDevice },
    { ENODEV, FileFault::NoDevice },
};

Failure errnoError(int code)
{
    if (code == 0)
        return {};
    const auto known = std::find_if(std::begin(faults), std::end(faults),
                                    [code](const auto &entry) { return entry.first == code; });
    return Failure { known == std::end(faults) ? FileFault::Other : known->second, code };
}

} // namespace orbelune
