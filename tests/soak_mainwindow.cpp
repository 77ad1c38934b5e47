// A seeded random walk over the real main window: the start button, every menu item, stops
// at random moments (also inside the yields), imports and saves with the window used while
// their dialog is open, the about window, the links, closing the window, and the timer ticks,
// interleaved at random. After every event the window must be in a state the run allows, and
// nothing may have been lost. What each kind of file does to an import or a save is the file
// layer's tests'; the walk is for the orders of events that no table lists.
//
// The walk is replayable: ORBELUNE_SOAK_SEED picks the seed and ORBELUNE_SOAK_EVENTS the
// number of events; a failure names the seed, the event and the events just before it.

#include "testsupport.h"

#include "app/links.h"
#include "app/mainwindow.h"
#include "history/historyrow.h"
#include "history/historytext.h"
#include "history/resultfile.h"
#include "widgets/clicklabel.h"
#include "widgets/svgpicture.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <deque>
#include <optional>
#include <random>
#include <set>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

// Long enough never to come round during the walk: the walk gives every tick itself, as the
// event loop would, whenever the timer is enabled.
constexpr int neverMs = 24 * 60 * 60 * 1000;

// One history row, and whether the sweep must let it pass, decided when the walk made it.
struct Row
{
    QString text;
    bool clean = true;
};

// A file the walk offers to the import, with the rows an import brings in.
struct HistoryFile
{
    QString path;
    QList<Row> rows;
    bool importable = false;
};

// A message box, and the window at the moment it was asked for.
struct Message
{
    QString text;
    MessageIcon icon = MessageIcon::None;
    bool runActive = false;
    QString selectedRow;
};

quint32 envNumber(const char *name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

QStringList texts(const QList<Row> &rows)
{
    QStringList list;
    for (const Row &row : rows)
        list << row.text;
    return list;
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

    Row cleanRow();
    Row badRow();
    HistoryFile historyFile(const QString &name, const QList<Row> &rows);
    void makeFixtures();
    void openWindow();
    void note(const QString &event);
    void fail(const QString &what);
    void step();
    void check();
    QString ballRowViolation() const;
    QString messageViolation(const Message &message) const;
    void postEventsForYield();
    void useWindowWhileDialogOpen(double p);
    void closeOtherWindows();

    // The events of the walk.
    void pressStart();
    void tickStage();
    void tickSweep();
    void import();
    void save();
    void showAbout();
    void openLink();
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
    QStringList m_savePaths;
    std::optional<Seams> m_seams;

    MainWindow *m_mainWindow = nullptr;
    int m_windows = 0;
    int m_closeAt = 0; // the event that closes this window
    QList<Row> m_list; // what the history list must hold
    QList<Message> m_messages;
    bool m_warningsExpected = false;
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
    m_seams->onMessage = [this](const MessageBoxRequest &request) {
        const QListWidgetItem *selected
            = m_mainWindow ? ui(m_mainWindow).historyList->currentItem() : nullptr;
        m_messages.append({ request.text, request.icon, m_mainWindow && isRunning(m_mainWindow),
                            selected ? selected->text() : QString() });
    };
}

Row SoakMainWindow::cleanRow()
{
    // Mostly the usual shape, now and then a blank row.
    if (below(12) == 0)
        return { QString() };
    QString row;
    for (int p = 0; p < 7; ++p)
        row += QString(p == 0      ? "%1"
                           : p < 6 ? ",%1"
                                   : " %1")
                   .arg(1 + below(p < 6 ? 33 : 16), 2, 10, QChar('0'));
    return { row };
}

Row SoakMainWindow::badRow()
{
    // A malformed value, which lets the sweep go on, and a row it cannot read at all.
    static const QStringList bad { "01,02,03,04,05,06 17", "01,02,03,04" };
    return { bad.at(below(int(bad.size()))), false };
}

HistoryFile SoakMainWindow::historyFile(const QString &name, const QList<Row> &rows)
{
    QString text;
    for (const Row &row : rows)
        text += row.text + "\r\n";
    const QString path = m_dir.filePath(name);
    if (!writeFile(path, text.toLatin1())) // the walk's rows are ASCII, as GBK keeps it
        qFatal("soak: cannot write %s", qPrintable(path));
    return { path, rows, true };
}

void SoakMainWindow::makeFixtures()
{
    auto rowsOf = [this](int n, int bad) {
        QList<Row> rows;
        for (int i = 0; i < n; ++i)
            rows << cleanRow();
        for (int i = 0; i < bad; ++i)
            rows.insert(below(int(rows.size()) + 1), badRow());
        return rows;
    };
    // Good files, the empty one among them, files with malformed rows, and one that is not
    // there.
    m_files << historyFile("empty.txt", {});
    for (int n : { 1, 25, 300 })
        m_files << historyFile(QString("good-%1.txt").arg(n), rowsOf(n, 0));
    for (int bad : { 1, 3 })
        m_files << historyFile(QString("malformed-%1.txt").arg(bad), rowsOf(200, bad));
    m_files << HistoryFile { m_dir.filePath("missing.txt"), {}, false };
    m_savePaths << m_dir.filePath("result-1.txt") << m_dir.filePath("result-2.txt");
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
    m_list.clear();
    for (const QString &text : listTexts())
        m_list << Row { text };
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
    // What went wrong comes last: it may quote a row, and so hold a "%".
    QString report = QString("soak failed at event %1 of window %2: %5\n"
                             "replay with ORBELUNE_SOAK_SEED=%3 ORBELUNE_SOAK_EVENTS=%4\n"
                             "events before it:")
                         .arg(m_events)
                         .arg(m_windows)
                         .arg(m_seed)
                         .arg(m_events + 1)
                         .arg(what);
    for (const QString &event : m_recent)
        report += "\n  " + event;
    qCritical("%s", qPrintable(report));
}

void SoakMainWindow::randomWalk()
{
    while (m_events < m_eventsWanted && !m_failed) {
        if (!m_mainWindow)
            openWindow();
        m_messages.clear();
        m_seams->messages.clear();
        m_seams->opened.clear();
        m_warningsExpected = false;
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
        for (const QUrl &url : std::as_const(m_seams->opened))
            if (url != makerHomePage())
                fail("a link opened " + url.toString());
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
    const Event events[] = {
        { "stage tick", 0, 30, [this] { tickStage(); } },
        { "sweep tick", 0, 30, [this] { tickSweep(); } },
        { "stop", 8, 8,
          [this] {
              note("menu 停止分析");
              ui(m_mainWindow).stopAction->trigger();
              if (isRunning(m_mainWindow))
                  fail("the run goes on after a stop");
          } },
        { "start with events in its yield", 6, 6,
          [this] {
              postEventsForYield();
              note("start button, with events for its yield");
              ui(m_mainWindow).startButton->click();
          } },
        { "sweep with events in its yield", 0, 4,
          [this] {
              postEventsForYield();
              note("sweep tick, with events for its yield");
              fire(ui(m_mainWindow).sweepTimer);
          } },
        { "import", 6, 6, [this] { import(); } },
        { "save", 6, 6, [this] { save(); } },
        { "about", 2, 2, [this] { showAbout(); } },
        { "link", 2, 2, [this] { openLink(); } },
        { "start", 10, 10, [this] { pressStart(); } },
    };
    const bool running = ui(m_mainWindow).stageTimer->isActive();
    const auto weight
        = [running](const Event &e) { return running ? e.runningWeight : e.idleWeight; };
    int total = 0;
    for (const Event &event : events)
        total += weight(event);
    int roll = below(total);
    for (const Event &event : events) {
        if (roll < weight(event)) {
            ++m_counts[event.name];
            return event.happen();
        }
        roll -= weight(event);
    }
}

void SoakMainWindow::pressStart()
{
    const bool wasRunning = isRunning(m_mainWindow);
    const int stage = testing::stage(m_mainWindow);
    if (const int way = below(10); way == 0) {
        note("Enter, the window's default button");
        QTest::keyClick(m_mainWindow, Qt::Key_Return);
    } else if (way < 5) {
        note("start button");
        ui(m_mainWindow).startButton->click();
    } else {
        note("menu 开始分析");
        ui(m_mainWindow).startAction->trigger();
    }
    // A start during a run is not possible: the run goes on as it was.
    if (wasRunning && (!isRunning(m_mainWindow) || testing::stage(m_mainWindow) != stage))
        fail("a start during a run changed the run");
}

void SoakMainWindow::tickStage()
{
    const int stage = testing::stage(m_mainWindow);
    note(QString("stage tick, stage %1").arg(stage));
    fire(ui(m_mainWindow).stageTimer);
    if (ui(m_mainWindow).ballCaptions[std::size_t(std::min(stage, 6))]->isHidden())
        fail(QString("stage %1 showed no ball").arg(stage));
    if (stage == 9 ? isRunning(m_mainWindow) : testing::stage(m_mainWindow) != stage + 1)
        fail(QString("stage %1 left the stage at %2").arg(stage).arg(testing::stage(m_mainWindow)));
}

void SoakMainWindow::tickSweep()
{
    note("sweep tick");
    const bool bad
        = std::any_of(m_list.cbegin(), m_list.cend(), [](const Row &r) { return !r.clean; });
    fire(ui(m_mainWindow).sweepTimer);
    if (bad && (isRunning(m_mainWindow) || m_messages.isEmpty()))
        fail("a sweep over a malformed row did not stop the run");
    if (!bad && (!m_messages.isEmpty() || !isRunning(m_mainWindow)))
        fail("a sweep over good rows complained or ended the run");
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

void SoakMainWindow::useWindowWhileDialogOpen(double p)
{
    // The dialogs have no owner: now and then the user turns to the window while one is open,
    // starts, stops, or a stage tick comes.
    if (!chance(p))
        return;
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

void SoakMainWindow::import()
{
    const int which = below(int(m_files.size()) + 1);
    const bool cancel = which == int(m_files.size());
    const HistoryFile file = cancel ? HistoryFile {} : m_files.at(which);
    m_seams->answer = file.path;
    note("menu 导入数据: " + (cancel ? QString("cancel") : QFileInfo(file.path).fileName()));
    useWindowWhileDialogOpen(0.15);

    const bool asked = ui(m_mainWindow).importAction->isEnabled() && !cancel;
    const QStringList before = listTexts();
    m_warningsExpected = true;
    ui(m_mainWindow).importAction->trigger();
    m_seams->whileDialogOpen = nullptr;

    // A run started while the dialog was open still runs: the list must not change under it.
    const bool taken = asked && file.importable && !isRunning(m_mainWindow);
    const auto warnings
        = std::count_if(m_messages.cbegin(), m_messages.cend(),
                        [](const Message &m) { return m.icon == MessageIcon::Warning; });
    if (warnings != (asked && !taken ? 1 : 0))
        fail(QString("an import gave %1 warnings").arg(warnings));
    if (taken) {
        m_list = file.rows;
        if (listTexts() != texts(file.rows))
            fail("the import did not bring the file's rows");
        ++m_counts["import, rows taken"];
    } else if (listTexts() != before) {
        fail("an import that did not happen changed the list");
    }
}

void SoakMainWindow::save()
{
    const int which = below(int(m_savePaths.size()) + 1);
    const bool cancel = which == int(m_savePaths.size());
    m_seams->answer = cancel ? QString() : m_savePaths.at(which);
    const QString path = m_seams->answer;
    note("menu 保存结果: " + (cancel ? QString("cancel") : QFileInfo(path).fileName()));
    useWindowWhileDialogOpen(0.1);

    // The file holds the ball row as the captions show it, then the list; how a result file
    // is laid out and encoded is the file layer's tests'.
    const auto expected = [this] {
        QStringList balls;
        for (const QLabel *caption : ui(m_mainWindow).ballCaptions)
            balls << caption->text();
        return encodeResultFile(balls, texts(m_list)).bytes;
    };
    const bool asked = ui(m_mainWindow).saveAction->isEnabled() && !cancel;
    const QStringList before = listTexts();
    const bool existed = QFileInfo(path).isFile();
    const QByteArray old = existed ? contents(path) : QByteArray();
    m_warningsExpected = true;
    ui(m_mainWindow).saveAction->trigger();
    m_seams->whileDialogOpen = nullptr;

    // The captions are read when the file is written, after the dialog; a run started while
    // the dialog was open refuses the save.
    const QByteArray bytes = expected();
    const bool writable = asked && !isRunning(m_mainWindow);
    if (m_messages.size() != (asked && !writable ? 1 : 0))
        fail(QString("a save gave %1 messages").arg(m_messages.size()));
    if (writable && contents(path) != bytes)
        fail("the saved file is not the ticket and the list");
    else if (!writable
             && (QFileInfo(path).isFile() != existed || (existed && contents(path) != old)))
        fail("a save that was refused changed the file");
    if (listTexts() != before)
        fail("a save changed the list");
    m_counts["save, file written"] += writable;
}

void SoakMainWindow::showAbout()
{
    note("menu 关于");
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

void SoakMainWindow::openLink()
{
    if (chance(0.5)) {
        note("menu 访问主页");
        ui(m_mainWindow).homePageAction->trigger();
    } else {
        note("click on the copyright line");
        QTest::mouseClick(ui(m_mainWindow).copyrightLink, Qt::LeftButton);
    }
    if (m_seams->opened.size() != 1)
        fail(QString("a link opened %1 addresses").arg(m_seams->opened.size()));
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
    const auto closeInYield = [form] {
        const auto close = [form] { form->close(); };
        QMetaObject::invokeMethod(form, close, Qt::QueuedConnection);
    };
    if (how == 0) {
        note("menu 退出");
        ui(m_mainWindow).exitAction->trigger();
    } else if (how == 1) {
        note("start button, closed in its yield");
        closeInYield();
        ui(m_mainWindow).startButton->click();
    } else if (how == 2) {
        // If the list has a malformed row, no message may follow the close.
        note("sweep tick, closed in its yield");
        closeInYield();
        fire(ui(m_mainWindow).sweepTimer);
        if (!m_messages.isEmpty())
            fail("a sweep went on after the close");
    } else {
        note("menu 导入数据, window closed while the dialog is open");
        m_seams->answer = m_files.at(1).path;
        m_seams->whileDialogOpen = [form] { form->close(); };
        const QStringList before = listTexts();
        ui(m_mainWindow).importAction->trigger();
        m_seams->whileDialogOpen = nullptr;
        if (listTexts() != before)
            fail("an import went on after the close");
    }
    // A close asked for inside a yield that was not reached (a locked command does not
    // start) is handled by the event loop; a close that never came is made now.
    if (form && form->isVisible())
        QCoreApplication::processEvents();
    if (form && form->isVisible())
        form->close();
}

void SoakMainWindow::check()
{
    // The two rows of the state table: idle, or stage s with everything that goes with it.
    const bool running = ui(m_mainWindow).stageTimer->isActive();
    if (const QString state = runStateMismatch(m_mainWindow, running); !state.isEmpty())
        return fail(QString("%1, but %2 differ").arg(running ? "running" : "idle", state));
    if (const QString balls = ballRowViolation(); !balls.isEmpty())
        return fail(balls);
    for (const Message &message : std::as_const(m_messages))
        if (const QString wrong = messageViolation(message); !wrong.isEmpty())
            return fail(wrong);
    if (ui(m_mainWindow).historyList->count() != m_list.size())
        return fail(QString("the list has %1 rows, %2 expected")
                        .arg(ui(m_mainWindow).historyList->count())
                        .arg(m_list.size()));
    if (m_events % 64 == 0 && listTexts() != texts(m_list))
        return fail("a row of the list changed");
    for (QWidget *window : QApplication::topLevelWidgets())
        if (isOtherWindow(window, m_mainWindow))
            return fail("a window was left open: " + window->objectName());
}

QString SoakMainWindow::ballRowViolation() const
{
    const bool running = ui(m_mainWindow).stageTimer->isActive();
    const int stage = testing::stage(m_mainWindow);
    std::set<int> reds;
    int drawnReds = 0;
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        const QString caption = ui(m_mainWindow).ballCaptions[i]->text();
        const bool shown = !ui(m_mainWindow).ballCaptions[i]->isHidden();
        const QListWidget *pool = ui(m_mainWindow).poolLists[i];
        const QString where = QString("ball %1: ").arg(p);
        if (shown == ui(m_mainWindow).ballPictures[i]->isHidden())
            return where + "caption and picture disagree";
        // Not drawn yet in this run, a ball is hidden over an empty pool; before the first
        // run every ball shows 08 over an empty pool; drawn, it shows the survivor alone.
        const bool drawn = shown && pool->count() != 0;
        if (!shown && pool->count() != 0)
            return where + "not drawn, yet with candidates";
        if (shown && pool->count() == 0 && caption != "08")
            return where + "not as before the first run";
        if (running && drawn != (p < 6 ? p < stage : stage > 6))
            return where + QString("drawn or not against its stage %1").arg(stage);
        if (!drawn)
            continue;
        const int number = pool->item(0)->text().toInt();
        if (number < 1 || number > (p < 6 ? 33 : 16))
            return where + QString("number %1").arg(number);
        if (pool->count() != 1)
            return where + "the pool does not hold the survivor alone";
        if (caption.toInt() != number)
            return where + QString("caption '%1' for %2").arg(caption).arg(number);
        if (p < 6) {
            reds.insert(number);
            ++drawnReds;
        }
    }
    if (int(reds.size()) != drawnReds)
        return "the shown ticket repeats a red number";
    return QString();
}

QString SoakMainWindow::messageViolation(const Message &message) const
{
    if (message.icon == MessageIcon::Warning)
        return m_warningsExpected ? QString() : "a warning out of the blue";
    // The format message: the run stopped first, and the row quoted is the one selected, a
    // malformed one.
    if (message.runActive)
        return "the format message came while the run still went on";
    if (message.text != rowFormatMessage(message.selectedRow))
        return QString("the message '%1' does not quote the row selected, '%2'")
            .arg(message.text, message.selectedRow);
    const bool bad = std::any_of(m_list.cbegin(), m_list.cend(), [&message](const Row &r) {
        return !r.clean && r.text == message.selectedRow;
    });
    return bad ? QString() : "a good row was called malformed: " + message.selectedRow;
}

QTEST_MAIN(SoakMainWindow)
#include "soak_mainwindow.moc"
