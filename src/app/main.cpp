#include "app/form1.h"
#include "orbelune/appinfo.h"
#include "widgets/appstyle.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(orbelune::appinfo::name));
    QApplication::setApplicationVersion(QString::fromLatin1(orbelune::appinfo::version));
    QApplication::setDesktopFileName(QString::fromLatin1(orbelune::appinfo::id));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app-icon.svg")));
    // Before any window: the desktop's theme has had its say by now, and the program's own
    // style, palette and font take over from it.
    orbelune::installProgramLook();

    // The program speaks Simplified Chinese whatever the desktop's language; Qt's own
    // dialogs (the file dialogs, the message boxes' buttons) should too, where Qt's
    // translations are installed.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    orbelune::Form1 window;
    window.show();
    return app.exec();
}
