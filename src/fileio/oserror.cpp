#include "fileio/oserror.h"

#include <cerrno>

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
    case FileFault::ColonInName:
        return QStringLiteral("文件名中不能有冒号（:）");
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
    case FileFault::NotRegularFile:
        return QStringLiteral("这不是普通文件");
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
    case FileFault::Changed:
        return QStringLiteral("文件在此期间被另一个程序改动或替换");
    case FileFault::None:
    case FileFault::Other:
        break;
    }
    return QStringLiteral("系统错误，代码 %1").arg(code);
}

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

FileError errnoError(int code)
{
    return FileError { fileFaultFromErrno(code), code };
}

} // namespace orbelune
