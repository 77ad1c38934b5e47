#pragma once

#include <QString>

class QWidget;

namespace orbelune {

// Asks for an existing file to open. Returns its path, or empty text when the user cancelled.
QString ShowOpenDialog(QWidget *owner, const QString &title, const QString &pattern, qint32 multi,
                       qint32 n);

// Asks for a file name to save to. Returns the path, ending in "txt", or empty text when the
// user cancelled.
QString ShowSaveDialog(QWidget *owner, const QString &title, const QString &filter,
                       const QString &initialDir);

} // namespace orbelune
