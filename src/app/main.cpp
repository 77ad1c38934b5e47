#include "app/form1.h"
#include "widgets/appstyle.h"
#include "widgets/svgpicture.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbelune"));
    QApplication::setApplicationVersion(QStringLiteral("1.2"));
    QApplication::setDesktopFileName(QStringLiteral("com.quellmark.Orbelune"));
    QApplication::setWindowIcon(orbelune::svgIcon(QStringLiteral(":/app-icon.svg")));
    // Before any window: the desktop's theme has had its say by now, and the program's own
    // style, palette and font take over from it.
    orbelune::installProgramLook();

    orbelune::Form1 window;
    window.show();
    return app.exec();
}
