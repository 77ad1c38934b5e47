// The real file dialogs as the user meets them, Qt's own or the system's on Windows, driven
// through the window's commands: what they show, the question before a file is replaced,
// that they leave the main window usable and go with it, and that they keep no settings.

#include "dialogdriver.h"
#include "testsupport.h"

#include "app/mainwindow.h"
#include "history/historytext.h"
#include "history/resultfile.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

using namespace orbelune;
using namespace orbelune::testing;

// How the user answers the question before a file is replaced.
enum class Answer { Yes, No, Enter };
Q_DECLARE_METATYPE(Answer)

namespace {

// Runs each step on a timer until it returns true, then the next one, as a user answers a
// dialog; what is still open after ten seconds is closed: a failing test never waits.
void script(QObject *context, QList<std::function<bool()>> steps)
{
    auto *poll = new QTimer(context);
    auto next = std::make_shared<qsizetype>(0);
    QObject::connect(poll, &QTimer::timeout, context, [poll, next, steps] {
        if (*next < steps.size() && steps.at(*next)())
            ++*next;
        if (*next == steps.size())
            poll->stop();
    });
    QTimer::singleShot(10000, context, [poll] {
        poll->stop();
        closeFileDialog();
    });
    poll->start(10);
}

// A step that acts once the dialog shows, asking nothing.
std::function<bool()> whenShown(const std::function<void()> &act)
{
    return [act] {
        const ShownFileDialog shown = shownFileDialog();
        if (shown.count == 0 || !shown.question.isEmpty())
            return false;
        act();
        return true;
    };
}

// A step that chooses name once the dialog shows, done when the dialog has gone or asks its
// question. The system's dialog runs on a thread of its own and may still be settling when
// it shows: the name is chosen again every half second while nothing happens.
std::function<bool()> choose(const QString &name)
{
    auto ticks = std::make_shared<int>(0);
    return [name, ticks] {
        const ShownFileDialog shown = shownFileDialog();
        if (shown.count == 0 || !shown.question.isEmpty())
            return *ticks > 0;
        if ((*ticks)++ % 50 == 0)
            chooseInFileDialog(name);
        return false;
    };
}

} // namespace

class TestFileDialogs : public WindowTest
{
    Q_OBJECT

private slots:
    void init()
    {
        WindowTest::init();
        m_mainWindow->show();
        setFileDialogHandler({}); // the real dialogs; the other seams keep recording
    }

    void realDialog_data();
    void realDialog();
    void replaceAsked_data();
    void replaceAsked();
    void showsFileWithoutReadingIt_data();
    void showsFileWithoutReadingIt();
    void destroyedWindowClosesDialog();
    void closingWindowClosesDialogAndEndsProgram();
};

void TestFileDialogs::realDialog_data()
{
    QTest::addColumn<bool>("save");
    QTest::addRow("open dialog") << false;
    QTest::addRow("save dialog") << true;
}

void TestFileDialogs::realDialog()
{
    // What the user meets in each real dialog: its title and filters, no owner (the window
    // stays usable), one file dialog at a time whichever command asks, and the name typed
    // taken once the folder typed before it is opened, as a user opens it.
    QFETCH(bool, save);
    const QString name = save ? m_dir->filePath("out") : fixture("roundtrip-gbk.txt");
    ShownFileDialog shown;
    bool windowUsable = false;
    int dialogs = 0;
    QObject context;
    script(&context,
           { whenShown([&] {
                 shown = shownFileDialog();
                 windowUsable = m_mainWindow->isEnabled() && !QApplication::activeModalWidget();
                 // A second command given while the dialog is open shows no second one.
                 ui(m_mainWindow).importAction->trigger();
                 dialogs = shownFileDialog().count;
                 chooseInFileDialog(QFileInfo(name).absolutePath());
             }),
             choose(name) });
    openOrSave(save);

    QCOMPARE(shown.title,
             save ? QStringLiteral("保存运算出来的彩球结果")
                  : QStringLiteral("请选择要导入的彩票数据文件"));
    const QStringList expectedFilters = save ? QStringList { "文本文件 (*.txt)" }
                                             : QStringList { "文本文件(*.txt)", "所有文件(*.*)" };
    QCOMPARE(shown.filters, expectedFilters);
    QVERIFY(!shown.hasOwner);
    QVERIFY(windowUsable);
    QCOMPARE(dialogs, 1);
    QCOMPARE(shownFileDialog().count, 0);
    QVERIFY(m_seams->messages.isEmpty());
    if (save) {
#ifndef Q_OS_WIN
        // The save dialog opens in the documents.
        const QString documents
            = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(shown.folder,
                 QDir(QFileInfo(documents).isDir() ? documents : QDir::homePath()).absolutePath());
#endif
        QVERIFY(QFileInfo::exists(m_dir->filePath("out.txt")));
        QCOMPARE(ui(m_mainWindow).historyList->count(), 877);
    } else {
        QVERIFY(shown.existingOnly);
        QCOMPARE(ui(m_mainWindow).historyList->count(), 8);
    }

    // Qt's widget dialog keeps the folders it was used in among the settings every Qt program
    // shares, which the program promises not to write.
    const QSettings shared(QSettings::UserScope, QStringLiteral("QtProject"));
    const QString kept = shared.value("FileDialog/lastVisited").toString()
        + shared.value("FileDialog/history").toStringList().join(u' ');
    QVERIFY2(!kept.contains(QFileInfo(name).absolutePath()), qPrintable(kept));
}

void TestFileDialogs::replaceAsked_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("existing"); // a file there before, holding "old"
    QTest::addColumn<QString>("asked"); // the file the question names, whole; empty for none
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("written"); // the file the result went to; empty for none
    const QString txt = QStringLiteral("result.txt");
    const QString doc = QStringLiteral("result.doc");
    QTest::addRow("an existing file, yes") << txt << txt << txt << Answer::Yes << txt;
    QTest::addRow("an existing file, no") << txt << txt << txt << Answer::No << "";
    QTest::addRow("Enter keeps the file") << txt << txt << txt << Answer::Enter << "";
    // The save appends ".txt": the question is about the file it writes.
    QTest::addRow("its name without the ending, no") << "result" << txt << txt << Answer::No << "";
    QTest::addRow("the same name with another ending")
        << doc << doc << "" << Answer::No << doc + ".txt";
}

void TestFileDialogs::replaceAsked()
{
    // The dialog asks before a file is replaced, and "no" keeps the file and the dialog.
    QFETCH(QString, typed);
    QFETCH(QString, existing);
    QFETCH(QString, asked);
    QFETCH(Answer, answer);
    QFETCH(QString, written);
    QVERIFY(writeFile(m_dir->filePath(existing), "old"));
    QString question;
    bool dialogKept = false;
    QList<std::function<bool()>> steps { choose(m_dir->filePath(typed)) };
    if (!asked.isEmpty()) {
        steps.append([&] {
            question = shownFileDialog().question;
            if (answer == Answer::Enter)
                pressEnterAtFileDialogQuestion();
            else
                answerFileDialogQuestion(answer == Answer::Yes);
            return !question.isEmpty();
        });
    }
    if (!asked.isEmpty() && answer != Answer::Yes) {
        steps.append(whenShown([&] {
            dialogKept = true;
            closeFileDialog();
        }));
    }
    QObject context;
    script(&context, steps);
    ui(m_mainWindow).saveAction->trigger();

    QCOMPARE(question.isEmpty(), asked.isEmpty());
    QVERIFY2(asked.isEmpty() || question.contains(QDir::toNativeSeparators(m_dir->filePath(asked))),
             qPrintable(question));
    QCOMPARE(dialogKept, !asked.isEmpty() && answer != Answer::Yes);
    if (existing != written)
        QCOMPARE(contents(m_dir->filePath(existing)), QByteArray("old"));
    if (!written.isEmpty())
        QVERIFY(contents(m_dir->filePath(written))
                    .startsWith(strictEncodeGbk(resultHeading()).value()));
    QVERIFY(m_seams->messages.isEmpty());
}

void TestFileDialogs::showsFileWithoutReadingIt_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("typed"); // its name typed, or its folder opened
    QTest::addRow("open dialog, name typed") << false << true;
    QTest::addRow("open dialog, folder listed") << false << false;
    QTest::addRow("save dialog, name typed") << true << true;
    QTest::addRow("save dialog, folder listed") << true << false;
}

void TestFileDialogs::showsFileWithoutReadingIt()
{
    // A read of a file on a stalled disk would freeze the window: the dialog shows a file by
    // its name, whose type only its contents could tell here. The kernel sees every open.
#ifdef Q_OS_LINUX
    QFETCH(bool, save);
    QFETCH(bool, typed);
    const QString name = m_dir->filePath("draws");
    QVERIFY(writeFile(name, "%PDF-1.4\n"));
    const int opens = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(inotify_add_watch(opens, QFile::encodeName(name).constData(), IN_OPEN) >= 0);
    bool shown = false;
    QObject context;
    script(&context,
           { whenShown([&] {
                 QFileDialog *dialog = nullptr;
                 for (QWidget *widget : QApplication::topLevelWidgets())
                     if (auto *found = qobject_cast<QFileDialog *>(widget);
                         found && found->isVisible())
                         dialog = found;
                 QObject::connect(dialog->findChild<QFileSystemModel *>(),
                                  &QFileSystemModel::directoryLoaded, &context,
                                  [&](const QString &folder) { shown |= folder == m_dir->path(); });
                 // A name typed is looked up at once, on the window's thread.
                 if (typed)
                     dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
                 else
                     chooseInFileDialog(m_dir->path());
             }),
             [&] { return (typed || shown) && (closeFileDialog(), true); } });
    openOrSave(save);
    char event[sizeof(inotify_event) + NAME_MAX + 1];
    QVERIFY(typed || shown);
    QCOMPARE(::read(opens, event, sizeof event), -1);
    ::close(opens);
#endif
}

void TestFileDialogs::destroyedWindowClosesDialog()
{
    QObject context;
    script(&context, { whenShown([&] {
        delete m_mainWindow;
        m_mainWindow = nullptr;
    }) });
    // The command returns into a window that is gone: it must touch nothing of it.
    MainWindow *form = m_mainWindow;
    ui(form).importAction->trigger();
    QCOMPARE(shownFileDialog().count, 0);
    QVERIFY(m_seams->messages.isEmpty());
}

void TestFileDialogs::closingWindowClosesDialogAndEndsProgram()
{
    const QStringList before = items(ui(m_mainWindow).historyList);
    bool returned = false;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        ui(m_mainWindow).importAction->trigger();
        returned = true;
    });
    script(&context, { whenShown([&] { m_mainWindow->close(); }) });
    QTimer::singleShot(15000, &context, [] {
        closeFileDialog();
        QCoreApplication::exit(1);
    });

    // The program's own loop: it must end by itself once the window is closed.
    QApplication::setQuitOnLastWindowClosed(true);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(returned);
    QCOMPARE(shownFileDialog().count, 0);
    QCOMPARE(items(ui(m_mainWindow).historyList), before);
}

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
