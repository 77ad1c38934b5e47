// A seeded random walk over the real main window: the user's commands, the links, the timer
// ticks and the closing of the window, interleaved at random, also inside the yields and behind
// the dialogs (see step()). After every event the window must be in a state the run allows, and
// its list must hold what it held or what an import brought. What each event does on its own
// is the tables' (tst_run, tst_sweep, tst_files, tst_aboutdialog); the walk is for the orders
// of events that no table lists.
//
// The walk is replayable: ORBELUNE_SOAK_SEED picks the seed and ORBELUNE_SOAK_EVENTS the
// number of events; a failure names the seed, the event and the events just before it.

#include "testsupport.h"

#include "app/mainwindow.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <deque>
#include <optional>
#include <random>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

// Long enough never to come round during the walk: the walk gives every tick itself, as the
// event loop would, whenever the timer is enabled.
constexpr int neverMs = 24 * 60 * 60 * 1000;

// A file the walk offers to the import, with the rows an import brings in.
struct HistoryFile
{
    QString path;
    QStringList rows;
};

quint32 envNumber(const char *name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

bool isOtherWindow(const QWidget *window, const MainWindow *form)
{
    return window != form && window->isVisible() && !qobject_cast<const QMenu *>(window);
}

} // namespace

class SoakMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase()
    {
        delete m_mainWindow;
        m_seams.reset();
    }
    void randomWalk();

private:
    // The walk's own dice.
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }
    QStringList listTexts() const { return items(ui(m_mainWindow).historyList); }

    QString cleanRow();
    void makeFixtures();
    void openWindow();
    void note(const QString &event);
    void fail(const QString &what);
    void step();
    void check();
    void postEventsForYield();
    void closeOtherWindows();

    // The events of the walk that are more than a click.
    void openOrSave(bool save);
    void showAbout();
    void closeWindow();

    std::mt19937 m_rng;
    quint32 m_seed = 0;
    int m_eventsWanted = 0;
    int m_events = 0;
    std::deque<QString> m_recent;
    bool m_failed = false;
    QMap<QString, int> m_counts; // events by kind, for the report

    QTemporaryDir m_dir;
    QList<HistoryFile> m_files;
    QList<HistoryFile> m_saveFiles;
    std::optional<Seams> m_seams;

    MainWindow *m_mainWindow = nullptr;
    int m_windows = 0;
    int m_closeAt = 0; // the event that closes this window
    QStringList m_list; // what the history list must hold
};

void SoakMainWindow::initTestCase()
{
    m_seed = envNumber("ORBELUNE_SOAK_SEED", 20080808);
    m_eventsWanted = int(envNumber("ORBELUNE_SOAK_EVENTS", 20000));
    m_rng.seed(m_seed);
    qInfo("soak: seed %u, %d events (ORBELUNE_SOAK_SEED, ORBELUNE_SOAK_EVENTS)", m_seed,
          m_eventsWanted);
    QVERIFY(m_dir.isValid());
    makeFixtures();
    m_seams.emplace();
}

QString SoakMainWindow::cleanRow()
{
    // Mostly the usual shape, now and then a blank row.
    if (below(12) == 0)
        return {};
    QString row;
    for (int p = 0; p < 7; ++p)
        row += QString(p == 0      ? "%1"
                           : p < 6 ? ",%1"
                                   : " %1")
                   .arg(1 + below(p < 6 ? 33 : 16), 2, 10, QChar('0'));
    return row;
}

void SoakMainWindow::makeFixtures()
{
    // Good files, the empty one among them; files with a malformed value, which lets the sweep
    // go on, and with a row it cannot read; and one that is not there.
    const auto file = [this](const QString &name, int good, const QStringList &bad) {
        QStringList rows;
        for (int i = 0; i < good; ++i)
            rows << cleanRow();
        for (const QString &row : bad)
            rows.insert(below(int(rows.size()) + 1), row);
        const QString text = rows.isEmpty() ? QString() : rows.join("\r\n") + "\r\n";
        m_files << HistoryFile { m_dir.filePath(name), rows };
        if (!writeFile(m_files.last().path, text.toLatin1())) // ASCII, as GBK keeps it
            qFatal("soak: cannot write %s", qPrintable(name));
    };
    file("empty.txt", 0, {});
    for (int n : { 1, 25, 300 })
        file(QString("good-%1.txt").arg(n), n, {});
    file("malformed-1.txt", 200, { "01,02,03,04,05,06 17" });
    file("malformed-3.txt", 200, { "01,02,03,04", "01,02,03,04,05,06 17", "01,02,03,04" });
    m_files << HistoryFile { m_dir.filePath("missing.txt"), {} };
    m_saveFiles << HistoryFile { m_dir.filePath("result-1.txt"), {} }
                << HistoryFile { m_dir.filePath("result-2.txt"), {} };
}

void SoakMainWindow::openWindow()
{
    m_mainWindow = new MainWindow;
    ++m_windows;
    m_mainWindow->setRandomSource(
        std::make_unique<EngineRandomSource>(m_seed + quint32(m_windows)));
    ui(m_mainWindow).stageTimer->setInterval(neverMs);
    ui(m_mainWindow).sweepTimer->setInterval(neverMs);
    m_mainWindow->show();
    m_mainWindow->activateWindow();
    // Painting is most of the cost of an event and none of what the walk checks: the window
    // is painted now and then (see randomWalk), not after every event.
    m_mainWindow->setUpdatesEnabled(false);
    m_list = listTexts();
    // Every window is closed by the user at some moment, most after a short while, some after
    // a long life; the last one lives to the end of the walk.
    m_closeAt = m_events + 50 + below(chance(0.7) ? 2500 : 10000);
    note(QString("window %1 opened").arg(m_windows));
}

void SoakMainWindow::note(const QString &event)
{
    m_recent.push_back(QString("#%1 %2").arg(m_events).arg(event));
    if (m_recent.size() > 25)
        m_recent.pop_front();
}

void SoakMainWindow::fail(const QString &what)
{
    if (std::exchange(m_failed, true))
        return;
    // In one pass: what went wrong may quote a row, and so hold a "%".
    const auto number = [](auto n) { return QString::number(n); };
    QString report
        = QString("soak failed at event %1 of window %2: %5\n"
                  "replay with ORBELUNE_SOAK_SEED=%3 ORBELUNE_SOAK_EVENTS=%4\n"
                  "events before it:")
              .arg(number(m_events), number(m_windows), number(m_seed), number(m_events + 1), what);
    for (const QString &event : m_recent)
        report += "\n  " + event;
    qCritical("%s", qPrintable(report));
}

void SoakMainWindow::randomWalk()
{
    while (m_events < m_eventsWanted && !m_failed) {
        if (!m_mainWindow)
            openWindow();
        m_seams->messages.clear();
        if (m_events == m_closeAt)
            closeWindow();
        else
            step();
        // What the event loop would get to next: posted events, zero timers, and now and then
        // a paint of the whole window.
        const bool paint = m_mainWindow && m_events % 97 == 0;
        if (paint)
            m_mainWindow->setUpdatesEnabled(true);
        QCoreApplication::processEvents();
        if (paint && m_mainWindow)
            m_mainWindow->setUpdatesEnabled(false);
        ++m_events;
        if (m_mainWindow && !m_mainWindow->isVisible()) {
            // What was left on the window's stack has returned; nothing may run on after the
            // close.
            if (ui(m_mainWindow).stageTimer->isActive() || ui(m_mainWindow).sweepTimer->isActive())
                fail("a timer runs after the close");
            delete std::exchange(m_mainWindow, nullptr);
        } else if (!m_failed) {
            check();
        }
    }
    QStringList counts;
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        counts << QString("%1 %2").arg(it.key()).arg(it.value());
    qInfo("soak: %d events over %d windows, %s: %s", m_events, m_windows,
          m_failed ? "a check failed" : "every check held", qPrintable(counts.join(", ")));
    QVERIFY2(!m_failed, "see the report above");
    QCOMPARE(m_events, m_eventsWanted);
}

void SoakMainWindow::step()
{
    // While a run lasts its ticks come thick and fast; the rest is what a user may do.
    struct Event
    {
        const char *name;
        int idleWeight;
        int runningWeight;
        std::function<void()> happen;
    };
    const MainWindowUi &w = ui(m_mainWindow);
    const Event events[] = {
        { "stage tick", 0, 30, [&w] { fire(w.stageTimer); } },
        { "sweep tick", 0, 30, [&w] { fire(w.sweepTimer); } },
        { "menu 停止分析", 8, 8, [&w] { w.stopAction->trigger(); } },
        { "start button, with events for its yield", 6, 6,
          [this, &w] {
              postEventsForYield();
              w.startButton->click();
          } },
        { "sweep tick, with events for its yield", 0, 4,
          [this, &w] {
              postEventsForYield();
              fire(w.sweepTimer);
          } },
        { "menu 导入数据", 6, 6, [this] { openOrSave(false); } },
        { "menu 保存结果", 6, 6, [this] { openOrSave(true); } },
        { "menu 关于", 2, 2, [this] { showAbout(); } },
        { "menu 访问主页", 1, 1, [&w] { w.homePageAction->trigger(); } },
        { "click on the copyright line", 1, 1,
          [&w] { QTest::mouseClick(w.copyrightLink, Qt::LeftButton); } },
        { "Enter, the window's default button", 1, 1,
          [this] { QTest::keyClick(m_mainWindow, Qt::Key_Return); } },
        { "start button", 4, 4, [&w] { w.startButton->click(); } },
        { "menu 开始分析", 5, 5, [&w] { w.startAction->trigger(); } },
    };
    const bool running = w.stageTimer->isActive();
    const auto weight
        = [running](const Event &e) { return running ? e.runningWeight : e.idleWeight; };
    int total = 0;
    for (const Event &event : events)
        total += weight(event);
    int roll = below(total);
    for (const Event &event : events) {
        if (roll < weight(event)) {
            note(QString("%1, stage %2").arg(event.name).arg(stage(m_mainWindow)));
            ++m_counts[event.name];
            return event.happen();
        }
        roll -= weight(event);
    }
}

void SoakMainWindow::postEventsForYield()
{
    // Queued now, handled inside the next yield. The import is cancelled: locked during a
    // run, possible again after a stop.
    const QPointer<MainWindow> form(m_mainWindow);
    const std::pair<const char *, std::function<void()>> events[] = {
        { "stop", [form] { ui(form).stopAction->trigger(); } },
        { "stop", [form] { ui(form).stopAction->trigger(); } },
        { "sweep tick",
          [form] {
              if (ui(form).sweepTimer->isActive())
                  fire(ui(form).sweepTimer);
          } },
        { "stage tick",
          [form] {
              if (ui(form).stageTimer->isActive())
                  fire(ui(form).stageTimer);
          } },
        { "start button", [form] { ui(form).startButton->click(); } },
        { "menu 导入数据, cancelled",
          [this, form] {
              m_seams->answer.clear();
              ui(form).importAction->trigger();
          } },
        { "about", [this] { showAbout(); } },
        { "link", [form] { ui(form).homePageAction->trigger(); } },
    };
    for (int posted = 1 + below(3); posted > 0; --posted) {
        const auto &[name, event] = events[below(8)];
        note(QString("  posted: ") + name);
        QMetaObject::invokeMethod(
            m_mainWindow,
            [form, event = event] {
                if (form && form->isVisible())
                    event();
            },
            Qt::QueuedConnection);
    }
}

void SoakMainWindow::openOrSave(bool save)
{
    const QList<HistoryFile> &files = save ? m_saveFiles : m_files;
    const int which = below(int(files.size()) + 1);
    const HistoryFile file = which < files.size() ? files.at(which) : HistoryFile {};
    m_seams->answer = file.path;
    note("  answered: "
         + (file.path.isEmpty() ? QString("cancel") : QFileInfo(file.path).fileName()));
    // The dialogs have no owner: now and then the user turns to the window while one is open,
    // starts, stops, or a stage tick comes.
    if (chance(save ? 0.1 : 0.15)) {
        note("  the window is used while the dialog is open");
        m_seams->whileDialogOpen = [this] {
            for (int i = 1 + below(3); i > 0; --i) {
                if (const int what = below(3); what == 0)
                    ui(m_mainWindow).startButton->click();
                else if (what == 1)
                    ui(m_mainWindow).stopAction->trigger();
                else if (ui(m_mainWindow).stageTimer->isActive())
                    fire(ui(m_mainWindow).stageTimer);
            }
        };
    }
    (save ? ui(m_mainWindow).saveAction : ui(m_mainWindow).importAction)->trigger();
    m_seams->whileDialogOpen = nullptr;
    // Whether it should have been taken is tst_files'; here the list is one of the two.
    if (!save && !file.path.isEmpty() && listTexts() == file.rows && m_list != file.rows) {
        m_list = file.rows;
        ++m_counts["import, rows taken"];
    }
}

void SoakMainWindow::showAbout()
{
    // If the about window opens modally, this closes it from inside its own loop, after a
    // stage tick or two that the modal loop keeps delivering. Where the about window is not
    // modal, or not there yet, this timer may come much later, inside some other yield, and
    // must not tick a run on there.
    const QPointer<MainWindow> form(m_mainWindow);
    QTimer::singleShot(0, m_mainWindow, [this, form] {
        for (int i = below(3); i > 0 && form && QApplication::activeModalWidget(); --i)
            if (ui(form).stageTimer->isActive())
                fire(ui(form).stageTimer);
        closeOtherWindows();
    });
    ui(m_mainWindow).aboutAction->trigger();
    closeOtherWindows();
}

void SoakMainWindow::closeOtherWindows()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (isOtherWindow(window, m_mainWindow))
            window->close();
}

void SoakMainWindow::closeWindow()
{
    // The windows take the four ways of closing in turn, so that a walk of a few windows
    // tries them all. A sweep tick comes only during a run, and the start and the import
    // only outside one: the user first starts or stops one as the way needs.
    const int how = m_counts["close"]++ % 4;
    if ((how == 2) != isRunning(m_mainWindow)) {
        note(how == 2 ? "start button, to close during the run" : "menu 停止分析, to close idle");
        if (how == 2)
            ui(m_mainWindow).startButton->click();
        else
            ui(m_mainWindow).stopAction->trigger();
    }
    const QPointer<MainWindow> form(m_mainWindow);
    const MainWindowUi &w = ui(m_mainWindow);
    const auto close = [form] { form->close(); };
    const std::pair<const char *, std::function<void()>> ways[] = {
        { "menu 退出", [&w] { w.exitAction->trigger(); } },
        { "start button, closed in its yield", [&w] { w.startButton->click(); } },
        { "sweep tick, closed in its yield", [&w] { fire(w.sweepTimer); } },
        { "menu 导入数据, window closed while the dialog is open",
          [this, &w, close] {
              m_seams->answer = m_files.at(1).path;
              m_seams->whileDialogOpen = close;
              w.importAction->trigger();
          } },
    };
    note(ways[how].first);
    if (how == 1 || how == 2)
        QMetaObject::invokeMethod(form, close, Qt::QueuedConnection);
    ways[how].second();
    m_seams->whileDialogOpen = nullptr;
    if (how == 0 && form && form->isVisible())
        fail("menu 退出 left the window open");
    // A close asked for inside a yield that was not reached (a locked command does not
    // start) is handled by the event loop; a close that never came is made now.
    if (form && form->isVisible())
        QCoreApplication::processEvents();
    if (form && form->isVisible())
        form->close();
}

void SoakMainWindow::check()
{
    // The two rows of the state table: idle, or stage s with everything that goes with it,
    // the ball row its stage has drawn among them. Idle, the row is as the window opened, or
    // as the last run left it: its drawn balls the shown ones before the first hidden.
    const bool running = ui(m_mainWindow).stageTimer->isActive();
    if (const QString state = runStateMismatch(m_mainWindow, running); !state.isEmpty())
        return fail(QString("%1, wrong: %2").arg(running ? "running" : "idle", state));
    int drawn = 0;
    while (drawn < 7 && !ui(m_mainWindow).ballCaptions[std::size_t(drawn)]->isHidden())
        ++drawn;
    if (drawn > 0 && ui(m_mainWindow).poolLists[0]->count() == 0)
        drawn = -1;
    if (const QString balls = running ? QString() : ballRowMismatch(m_mainWindow, drawn);
        !balls.isEmpty())
        return fail(balls);
    // The rows themselves now and then: reading them all is most of the cost of a check.
    const int rows = ui(m_mainWindow).historyList->count();
    if (rows != m_list.size() || (m_events % 64 == 0 && listTexts() != m_list))
        return fail(QString("the list changed: %1 rows, %2 expected").arg(rows).arg(m_list.size()));
    for (QWidget *window : QApplication::topLevelWidgets())
        if (isOtherWindow(window, m_mainWindow))
            return fail("a window was left open: " + window->objectName());
}

QTEST_MAIN(SoakMainWindow)
#include "soak_mainwindow.moc"
