#pragma once

// What the widget tests share: scripted random values, recorders behind the four seams, list
// helpers, and an analysis run driven by its tick handlers; the file helpers are filesupport.h's.

#include "app/filedialogs.h"
#include "app/messagebox.h"
#include "draw/randomsource.h"
#include "filesupport.h"

#include <QApplication>
#include <QList>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QWidget;

namespace orbelune {
class MainWindow;
} // namespace orbelune

namespace orbelune::testing {

// The child of parent with this object name; a test that asks for one the window lacks ends.
template <class T = QWidget> T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// The main window's parts, found once per window by their object names.
struct MainWindowUi
{
    QListWidget *historyList;
    std::array<QListWidget *, 7> poolLists;
    std::array<QWidget *, 7> ballPictures;
    std::array<QLabel *, 7> ballCaptions;
    QPushButton *startButton;
    QWidget *analysisBadge;
    QLabel *greetingLabel;
    QLabel *copyrightLink;
    QWidget *resultFrame;
    QMenu *fileMenu, *runMenu, *helpMenu;
    QAction *importAction, *saveAction, *exitAction, *startAction, *stopAction, *aboutAction,
        *homePageAction;
    QTimer *stageTimer;
    QTimer *sweepTimer;
};
const MainWindowUi &ui(const MainWindow *window);

// The stage the next tick of the window's stage timer runs, and setting it.
int stage(const MainWindow *window);
void setStage(MainWindow *window, int stage);

// Runs what a timeout of the timer runs, at once.
void fire(QTimer *timer);

// Whether a run holds the command lock: the start button is disabled from the start of a run
// to its end.
bool isRunning(const MainWindow *window);

// The number ball p shows, as a number.
int drawnNumber(const MainWindow *window, int p);

// Hands out the values a test scripts, in order, then repeats the last one. A test may also
// watch each call, for instance to look at the window in the middle of a draw.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<float> values, std::function<void()> onNext = {});
    float next() override;

private:
    QList<float> m_values;
    std::function<void()> m_onNext;
    int m_calls = 0;
};

// Answers the message box, the file dialogs and the web links for as long as it lives, and
// records what they were asked; the real ones are back when it goes.
struct Seams
{
    QList<MessageBoxRequest> messages;
    std::function<void(const MessageBoxRequest &)> onMessage; // called after recording
    QList<FileDialogRequest> dialogs;
    QString answer; // what every file dialog answers; empty text is a cancel
    std::function<void()> whileDialogOpen; // runs once, inside the next dialog
    QList<QUrl> opened;
    bool linksOpen = true;

    Seams();
    ~Seams();
    Seams(const Seams &) = delete;
    Seams &operator=(const Seams &) = delete;
    QString lastMessage() const;
};

// A window test's fixture: for each test function a new window, the seams recording and a
// fresh folder, all gone after it.
class WindowTest : public QObject
{
    Q_OBJECT

protected slots:
    void init();
    void cleanup();

protected:
    // The command of the open dialog, or of the save dialog.
    void openOrSave(bool save);

    MainWindow *m_mainWindow = nullptr;
    std::optional<Seams> m_seams;
    std::optional<QTemporaryDir> m_dir;
};

// Runs the current test function, at its current row, again in a fresh copy of this test
// with the given environment: for what is settled when an application starts (the screen's
// scale, the fonts, the random generator). Returns empty text when it passed there, and
// otherwise what that run printed; output, when given, receives what it printed either way.
QString rowInFreshProcess(const QProcessEnvironment &environment, QString *output = nullptr);

// A file of tests/data, by its absolute path: with its drive on Windows, where the file dialog
// takes a path without one on the drive of the folder it shows.
QString fixture(const char *name);

// The texts of a list's items, in order.
QStringList items(const QListWidget *list);

// The box around what a widget draws, in its own coordinates, or empty: the pixels of its grab
// that differ by more than half in opacity or grey from its top-left one, the background.
QRect inkBounds(QWidget *widget);

// Once the active modal window is a T, hands it to act, which closes it or has it closed. One
// that never shows is looked for a minute, then whatever modal window is open is closed, so
// that a failing test fails instead of waiting for ever.
template <class T> void whenModalOpens(std::function<void(T *)> act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto *modal = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            act(modal);
        }
    });
    poll->start(0);
    QTimer::singleShot(60000, poll, [poll] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        poll->deleteLater();
    });
}

// True once the window is shown and has the keyboard.
bool showActive(QWidget *window);

// Calls the stage tick the given number of times.
void tick(MainWindow *form, int times);

// A whole analysis run, its ten stages given by calling the stage tick.
void runToEnd(MainWindow *form);

// The differences between the window and one row of the state table, or empty text. Running,
// every stage from 0 to 9 is allowed unless a tag is given, and the ball row must be the one
// its stage has drawn; idle, the tag is "0".
QString runStateMismatch(const MainWindow *form, bool running, const QString &tag = {});

// The differences between the ball row and one whose first `drawn` balls show each the one
// survivor of its pool (in range, no red twice) and whose others are hidden over empty pools;
// -1: the row as the window opens, seven "08" over empty pools.
QString ballRowMismatch(const MainWindow *form, int drawn);

} // namespace orbelune::testing

#define VERIFY_RUN_STATE(form, ...)                                                                \
    do {                                                                                           \
        const QString mismatch = ::orbelune::testing::runStateMismatch(form, __VA_ARGS__);         \
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));                                        \
    } while (false)
#define VERIFY_BALL_ROW(form, drawn)                                                               \
    do {                                                                                           \
        const QString mismatch = ::orbelune::testing::ballRowMismatch(form, drawn);                \
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));                                        \
    } while (false)
