// The program as main.cpp builds it, closed at a moment when a handler of the window is
// still on the stack: inside the yield of a start, inside the yield of a sweep tick, while the
// format message is open, or, by the end of the session, in the middle of a save. Each mode
// must end with exit code 0; ctest runs one mode per test.

#include "syscallwatch.h"
#include "testsupport.h"

#include "app/mainwindow.h"
#include "app/sessionend.h"
#include "fileio/savefile.h"
#include "orbelune/appinfo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <functional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace orbelune;
using orbelune::testing::fire;
using orbelune::testing::ui;

namespace {

// Exit codes that tell what went wrong, besides a crash.
constexpr int notClosedInTime = 2;
constexpr int closeMissedTheYield = 3;
constexpr int runWentOn = 4;
constexpr int unknownMode = 5;
constexpr int wrongNumberOfMessages = 6;
constexpr int temporaryFileLeft = 7;
constexpr int resultNeitherOldNorNew = 8;

void failWith(int code, const char *why)
{
    std::fprintf(stderr, "%s\n", why);
    QCoreApplication::exit(code);
}

// Asks for the close so that it is waiting when the handler yields.
void postClose(MainWindow &window)
{
    QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection);
}

void checkClosedInsideHandler(const MainWindow &window)
{
    if (window.isVisible())
        failWith(closeMissedTheYield, "the window was not closed inside the handler");
    else if (ui(&window).stageTimer->isActive() || ui(&window).sweepTimer->isActive())
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

// Ends the session from inside a save, once the new file is written and is flushed before it
// takes the old one's place: by the signal on POSIX systems, and SIGHUP 0.3 s later for a mode
// "<signal>+SIGHUP" (systemd's SIGTERM then SIGHUP, during a slow flush); by Windows' question
// on Windows.
void endSessionAtFlush(testing::SystemCallWatch &watch, int signal, bool thenSighup,
                       const QWidget &window)
{
    watch.before = [signal, thenSighup, &window](const char *call) {
        if (qstrcmp(call, "fsync") != 0)
            return;
#ifdef Q_OS_WIN
        Q_UNUSED(signal);
        Q_UNUSED(thenSighup);
        SendMessageW(reinterpret_cast<HWND>(window.winId()), WM_QUERYENDSESSION, 0,
                     ENDSESSION_LOGOFF);
#else
        Q_UNUSED(window);
        std::raise(signal);
        if (thenSighup) {
            QThread::msleep(300);
            std::raise(SIGHUP);
        }
#endif
    };
}

// The signal a mode names, 0 for the end of a Windows session, -1 for no ending of a session.
int endingOf(const QString &mode)
{
#ifdef Q_OS_WIN
    return mode == QLatin1String("end-session") ? 0 : -1;
#else
    for (const auto &[name, signal] :
         { std::pair { "SIGTERM", SIGTERM }, { "SIGHUP", SIGHUP }, { "SIGINT", SIGINT } }) {
        if (mode.section(u'+', 0, 0) == QLatin1String(name))
            return signal;
    }
    return -1;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(appinfo::name));
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    BoxCounter boxes;
    app.installEventFilter(&boxes);
    int expectedBoxes = 0;

    MainWindow window;
    window.show();

    // For the modes that end the session during a save, and what they check at the end.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("result.txt"));
    const QByteArray old = "the result of an earlier run\r\n";
    const QByteArray result = QByteArray("10,11,12,15,26,29 09\r\n").repeated(32767);
    QElapsedTimer ended;
    std::function<int()> after = [] { return 0; };

    // Never hang the suite: a close that does not end the program fails the test.
    QTimer::singleShot(20000, &app, [] { failWith(notClosedInTime, "the program did not end"); });

    if (mode == QLatin1String("start-yield")) {
        QTimer::singleShot(0, &window, [&window] {
            postClose(window);
            ui(&window).startButton->click();
            checkClosedInsideHandler(window);
        });
    } else if (mode == QLatin1String("sweep-yield")) {
        // A run is under way and the history holds a malformed row, so a sweep that went on
        // after the close would stop the run and open the real message box. The test gives
        // the one tick itself.
        ui(&window).sweepTimer->setInterval(60000);
        QTimer::singleShot(0, &window, [&window] {
            ui(&window).startButton->click();
            ui(&window).historyList->addItem(QStringLiteral("34,01,02,03,04,05 06"));
            postClose(window);
            fire(ui(&window).sweepTimer);
            checkClosedInsideHandler(window);
        });
    } else if (mode == QLatin1String("message")) {
        // Two malformed rows: the first opens the real message box; the second must not open
        // another once the window is gone.
        ui(&window).historyList->addItems(
            { QStringLiteral("34,01,02,03,04,05 06"), QStringLiteral("35,01,02,03,04,05 06") });
        testing::whenModalOpens<QMessageBox>([&window](QMessageBox *) { window.close(); });
        expectedBoxes = 1;
        QTimer::singleShot(0, &window, [&window] { ui(&window).startButton->click(); });
    } else if (const int ending = endingOf(mode); ending >= 0) {
        // As main.cpp does, and a save of the largest list, which takes a while.
        endWithSession();
        if (!testing::writeFile(path, old))
            return unknownMode;
        QTimer::singleShot(0, &window, [&, ending] {
            testing::SystemCallWatch watch;
            endSessionAtFlush(watch, ending, mode.endsWith(QLatin1String("+SIGHUP")), window);
            ended.start();
            writeWholeFile(path, result);
        });
        after = [&] {
            if (ended.elapsed() > 5000)
                return notClosedInTime;
            if (QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System)
                != QStringList { QStringLiteral("result.txt") })
                return temporaryFileLeft;
            const QByteArray bytes = testing::contents(path);
            return bytes == old || bytes == result ? 0 : resultNeitherOldNorNew;
        };
    } else {
        std::fprintf(stderr, "usage: %s start-yield|sweep-yield|message|<ending>\n", argv[0]);
        return unknownMode;
    }
    const int code = app.exec();
    if (const int failure = code == 0 ? after() : 0; failure != 0) {
        std::fprintf(stderr, "the session ended during a save: failure %d\n", failure);
        return failure;
    }
    if (code == 0 && boxes.shown != expectedBoxes) {
        std::fprintf(stderr, "%d message boxes shown, %d expected\n", boxes.shown, expectedBoxes);
        return wrongNumberOfMessages;
    }
    return code;
}
