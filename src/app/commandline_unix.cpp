#include "app/commandline.h"

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace orbelune {

void writeToTerminal(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace orbelune
