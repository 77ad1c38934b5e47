#include "app/appstyle.h"
#include "app/form1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbelune"));
    QApplication::setApplicationVersion(QStringLiteral("1.2"));
    QApplication::setDesktopFileName(QStringLiteral("com.quellmark.Orbelune"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app-icon.svg")));
    QApplication::setFont(orbelune::songFont(orbelune::defaultFontPx));

    orbelune::Form1 window;
    window.show();
    return app.exec();
}
