#include "fileio/win32file.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace orbelune {

bool isWin32DevicePath(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(QLatin1String("\\\\.\\")))
        return true;

    // Windows reads the name up to its first dot (or the colon of a stream), without the
    // blanks before it: "nul .txt" and "con:x" are devices too.
    QStringView name = QStringView(native).mid(native.lastIndexOf(u'\\') + 1);
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    for (const char16_t end : { u'.', u':' })
        name = name.left(name.indexOf(end)); // all of it where there is none
    while (name.endsWith(u' '))
        name.chop(1);

    for (const char *device : { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" }) {
        if (name.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
            return true;
    }
    // COM1 … COM9 and LPT1 … LPT9; Windows also takes the superscript digits ¹ ² ³, and its
    // documentation warns against the 0.
    if (name.size() == 4
        && (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)
            || name.startsWith(QLatin1String("LPT"), Qt::CaseInsensitive))) {
        const char16_t digit = name.at(3).unicode();
        return (digit >= u'0' && digit <= u'9') || digit == u'¹' || digit == u'²' || digit == u'³';
    }
    return false;
}

std::wstring win32FilePath(const QString &path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    // Beyond the limit, and for the folders' own smaller one, the prefix is needed; with it,
    // Windows no longer drops the trailing dots and blanks of a name, so they go here.
    if (native.size() >= MAX_PATH - 12 && !native.startsWith(QLatin1String("\\\\?\\"))) {
        while (native.endsWith(u'.') || native.endsWith(u' '))
            native.chop(1);
        native = native.startsWith(QLatin1String("\\\\"))
            ? QLatin1String("\\\\?\\UNC\\") + native.mid(2)
            : QLatin1String("\\\\?\\") + native;
    }
    return native.toStdWString();
}

qintptr win32Open(const QString &path, unsigned long access, unsigned long share,
                  unsigned long disposition, unsigned long flags)
{
    return qintptr(CreateFileW(win32FilePath(path).c_str(), access, share, nullptr, disposition,
                               flags ? flags : FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace orbelune
