#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/sessionend.h"
#include "orbelune/appinfo.h"
#include "widgets/appstyle.h"
#include "widgets/svgpicture.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = orbelune::answerCommandLine(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(orbelune::appinfo::name));
    QApplication::setApplicationVersion(QString::fromLatin1(orbelune::appinfo::version));
    QApplication::setDesktopFileName(QString::fromLatin1(orbelune::appinfo::id));
    QApplication::setWindowIcon(orbelune::svgIcon(QStringLiteral(":/app-icon.svg")));
    // Before any window: the desktop's theme has had its say by now, and the program's own
    // style, palette and font take over from it.
    orbelune::installProgramLook();

    orbelune::endWithSession();
    orbelune::MainWindow window;
    window.show();
    return app.exec();
}
