#include "filesupport.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace orbelune::testing {

namespace {

QByteArray whatIs(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return "<missing>";
    if (S_ISLNK(st.st_mode))
        return "<link to " + QFile::encodeName(QFileInfo(path).symLinkTarget()) + ">";
    if (S_ISFIFO(st.st_mode))
        return "<fifo>";
    if (S_ISSOCK(st.st_mode))
        return "<socket>";
    if (S_ISCHR(st.st_mode))
        return "<char " + QByteArray::number(major(st.st_rdev)) + ","
            + QByteArray::number(minor(st.st_rdev)) + ">";
#endif
    return QFileInfo(path).isDir() ? QByteArray("<dir>") : contents(path);
}

} // namespace

bool withFileSizeLimit(qint64 room, const std::function<void()> &run)
{
    if (room <= 0) {
        run();
        return true;
    }
#ifdef Q_OS_UNIX
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = rlim_t(room);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const bool limitedNow = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    if (limitedNow)
        run();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return limitedNow;
#else
    return false;
#endif
}

qint64 timeLimitMs(qint64 ms)
{
    const int scale = qEnvironmentVariableIntValue("ORBELUNE_TIME_SCALE");
    return scale > 1 ? ms * scale : ms;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, whatIs(path));
    }
    return files;
}

#ifdef Q_OS_UNIX
QByteArray attributes(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    QByteArray names(65536, '\0');
    names.resize(qMax<ssize_t>(0, ::llistxattr(native.constData(), names.data(), 65536)));
    QList<QByteArray> sorted = names.split('\0');
    std::sort(sorted.begin(), sorted.end());
    QByteArray all;
    for (const QByteArray &name : sorted) {
        QByteArray value(65536, '\0');
        const ssize_t size = ::lgetxattr(native.constData(), name.constData(), value.data(), 65536);
        if (!name.isEmpty())
            all += name + '=' + value.left(qMax<ssize_t>(0, size)).toHex() + ';';
    }
    return all;
}

qint64 bytesRead()
{
    // The kernel counts what read() and pread() returned, whatever the file.
    const QByteArray io = contents(QStringLiteral("/proc/self/io"));
    const qsizetype at = io.indexOf("rchar: ");
    return at < 0 ? 0 : io.mid(at + 7, io.indexOf('\n', at) - at - 7).toLongLong();
}
#else
QByteArray attributes(const QString &)
{
    return {};
}
qint64 bytesRead()
{
    return 0;
}
#endif

} // namespace orbelune::testing
