#include "history/filedialogs.h"

#include <QFileDialog>

namespace orbelune {

QString ShowOpenDialog(QWidget *owner, const QString &title, const QString &pattern, qint32 multi,
                       qint32 n)
{
    Q_UNUSED(multi);
    Q_UNUSED(n);
    return QFileDialog::getOpenFileName(owner, title, QString(), pattern);
}

QString ShowSaveDialog(QWidget *owner, const QString &title, const QString &filter,
                       const QString &initialDir)
{
    return QFileDialog::getSaveFileName(owner, title, initialDir, filter);
}

} // namespace orbelune
