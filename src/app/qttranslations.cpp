#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace orbelune {

void installQtTranslations()
{
    static QPointer<QTranslator> translator;
    if (translator)
        return;
    translator = new QTranslator(qApp);
    // On Windows the program is a folder to unzip anywhere, with Qt's translations in it.
#ifdef Q_OS_WIN
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
#else
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), folder))
        QCoreApplication::installTranslator(translator);
}

} // namespace orbelune
