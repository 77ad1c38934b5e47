// The program as main.cpp builds it, closed at a moment when a handler of the window is
// still on the stack: inside the yield of a start, inside the yield of a sweep tick, or
// while the format message is open. Each mode must end with exit code 0; ctest runs one
// mode per test.

#include "app/form1.h"
#include "orbelune/appinfo.h"
#include "widgets/taggedtimer.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

using namespace orbelune;

namespace {

// Exit codes that tell what went wrong, besides a crash.
constexpr int notClosedInTime = 2;
constexpr int closeMissedTheYield = 3;
constexpr int runWentOn = 4;
constexpr int unknownMode = 5;
constexpr int wrongNumberOfMessages = 6;

void failWith(int code, const char *why)
{
    std::fprintf(stderr, "%s\n", why);
    QCoreApplication::exit(code);
}

// Asks for the close so that it is waiting when the handler yields.
void postClose(Form1 &window)
{
    QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection);
}

void checkClosedInsideHandler(const Form1 &window)
{
    if (window.isVisible())
        failWith(closeMissedTheYield, "the window was not closed inside the handler");
    else if (window.TimSa->isActive() || window.Timer1->isActive())
        failWith(runWentOn, "a timer still runs after the close");
}

// Counts the message boxes that open, the real ones the program shows.
class BoxCounter : public QObject
{
public:
    using QObject::QObject;
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched))
            ++shown;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(appinfo::name));
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    BoxCounter boxes;
    app.installEventFilter(&boxes);
    int expectedBoxes = 0;

    Form1 window;
    window.show();

    // Never hang the suite: a close that does not end the program fails the test.
    QTimer::singleShot(20000, &app, [] { failWith(notClosedInTime, "the program did not end"); });

    if (mode == QLatin1String("start-yield")) {
        QTimer::singleShot(0, &window, [&window] {
            postClose(window);
            window.Command1->click();
            checkClosedInsideHandler(window);
        });
    } else if (mode == QLatin1String("sweep-yield")) {
        // A run is under way and the history holds a malformed row, so a sweep that went on
        // after the close would stop the run and open the real message box. The test gives
        // the one tick itself.
        window.Timer1->setInterval(60000);
        QTimer::singleShot(0, &window, [&window] {
            window.Command1->click();
            window.List1->addItem(QStringLiteral("34,01,02,03,04,05 06"));
            postClose(window);
            window.Timer1_Timer();
            checkClosedInsideHandler(window);
        });
    } else if (mode == QLatin1String("message")) {
        // Two malformed rows: the first opens the real message box; the second must not open
        // another once the window is gone.
        window.List1->addItems(
            { QStringLiteral("34,01,02,03,04,05 06"), QStringLiteral("35,01,02,03,04,05 06") });
        auto *watch = new QTimer(&window);
        QObject::connect(watch, &QTimer::timeout, &window, [&window, watch] {
            if (qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                watch->stop();
                window.close();
            }
        });
        watch->start(20);
        expectedBoxes = 1;
        QTimer::singleShot(0, &window, [&window] { window.Command1->click(); });
    } else {
        std::fprintf(stderr, "usage: %s start-yield|sweep-yield|message\n", argv[0]);
        return unknownMode;
    }
    const int code = app.exec();
    if (code == 0 && boxes.shown != expectedBoxes) {
        std::fprintf(stderr, "%d message boxes shown, %d expected\n", boxes.shown, expectedBoxes);
        return wrongNumberOfMessages;
    }
    return code;
}
