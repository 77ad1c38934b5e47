#include "fileio/oserror.h"

#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace orbelune {

QString fileFaultText(FileFault fault, long long code)
{
    switch (fault) {
    case FileFault::NoSpace:
        return QStringLiteral("磁盘已满，没有剩余空间");
    case FileFault::Quota:
        return QStringLiteral("超出了磁盘配额");
    case FileFault::ReadOnlyFileSystem:
        return QStringLiteral("文件系统是只读的");
    case FileFault::WriteProtected:
        return QStringLiteral("磁盘有写保护");
    case FileFault::NameTooLong:
        return QStringLiteral("文件名或路径太长");
    case FileFault::InvalidName:
        return QStringLiteral("文件名中有不允许的字符");
    case FileFault::PermissionDenied:
        return QStringLiteral("权限被拒绝");
    case FileFault::ReadOnlyFile:
        return QStringLiteral("文件带有“只读”属性，可以在它的属性中取消");
    case FileFault::Io:
        return QStringLiteral("磁盘读写出错");
    case FileFault::TooLarge:
        return QStringLiteral("文件超出了允许的大小");
    case FileFault::NotFound:
        return QStringLiteral("文件或文件夹不存在");
    case FileFault::NotADirectory:
        return QStringLiteral("路径中有一部分不是文件夹");
    case FileFault::IsADirectory:
        return QStringLiteral("这是一个文件夹");
    case FileFault::LinkLoop:
        return QStringLiteral("符号链接的层数太多");
    case FileFault::Busy:
        return QStringLiteral("文件正在被使用");
    case FileFault::HeldByOtherProgram:
        return QStringLiteral("文件正被另一个程序使用");
    case FileFault::TooManyOpenFiles:
        return QStringLiteral("打开的文件太多");
    case FileFault::NoMemory:
        return QStringLiteral("内存不足");
    case FileFault::TryAgain:
        return QStringLiteral("文件暂时无法访问");
    case FileFault::NotSupported:
        return QStringLiteral("文件系统不支持这样的操作");
    case FileFault::NoDevice:
        return QStringLiteral("设备不存在");
    case FileFault::DeviceNotReady:
        return QStringLiteral("设备没有准备好：U 盘可能已被拔出，或驱动器中没有磁盘");
    case FileFault::NetworkGone:
        return QStringLiteral("网络位置无法访问，或网络连接已断开");
    case FileFault::AlreadyExists:
        return QStringLiteral("文件已经存在");
    case FileFault::Other:
        break;
    }
    return QStringLiteral("系统错误，代码 %1").arg(code);
}

FileFault fileFaultFromErrno(int code)
{
    switch (code) {
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

QString systemErrorText(int code)
{
    return fileFaultText(fileFaultFromErrno(code), code);
}

#ifdef Q_OS_WIN

FileFault fileFaultFromWin32(unsigned long code)
{
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileFault::NoSpace;
    case ERROR_NOT_ENOUGH_QUOTA:
        return FileFault::Quota;
    case ERROR_WRITE_PROTECT:
        return FileFault::WriteProtected;
    case ERROR_FILENAME_EXCED_RANGE:
        return FileFault::NameTooLong;
    case ERROR_INVALID_NAME:
        return FileFault::InvalidName;
    case ERROR_ACCESS_DENIED:
        return FileFault::PermissionDenied;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
        return FileFault::Io;
    case ERROR_FILE_TOO_LARGE:
        return FileFault::TooLarge;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return FileFault::NotFound;
    case ERROR_DIRECTORY:
        return FileFault::NotADirectory;
    case ERROR_CANT_RESOLVE_FILENAME:
        return FileFault::LinkLoop;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileFault::HeldByOtherProgram;
    case ERROR_TOO_MANY_OPEN_FILES:
        return FileFault::TooManyOpenFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return FileFault::NoMemory;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return FileFault::NotSupported;
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
        return FileFault::DeviceNotReady;
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_BAD_NET_NAME:
    case ERROR_UNEXP_NET_ERR:
        return FileFault::NetworkGone;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FileFault::AlreadyExists;
    default:
        return FileFault::Other;
    }
}

QString win32ErrorText(unsigned long code)
{
    return fileFaultText(fileFaultFromWin32(code), static_cast<long long>(code));
}

#endif

} // namespace orbelune
