#include "history/oserror.h"

#include <cerrno>

namespace orbelune {

QString systemErrorText(int code)
{
    switch (code) {
    case ENOSPC:
        return QStringLiteral("磁盘已满，没有剩余空间");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("超出了磁盘配额");
#endif
    case EROFS:
        return QStringLiteral("文件系统是只读的");
    case ENAMETOOLONG:
        return QStringLiteral("文件名或路径太长");
    case EACCES:
    case EPERM:
        return QStringLiteral("权限被拒绝");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    case EFBIG:
        return QStringLiteral("文件超出了允许的大小");
    case ENOENT:
        return QStringLiteral("文件或文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("路径中有一部分不是文件夹");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    case ELOOP:
        return QStringLiteral("符号链接的层数太多");
    case ETXTBSY:
    case EBUSY:
        return QStringLiteral("文件正在被使用");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EAGAIN:
        return QStringLiteral("文件暂时无法访问");
    case EOPNOTSUPP:
    case EINVAL:
        return QStringLiteral("文件系统不支持这样的操作");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("设备不存在");
    default:
        return QStringLiteral("系统错误，代码 %1").arg(code);
    }
}

} // namespace orbelune
