// A seeded random walk over the real main window: the start button, every menu item, stops
// at random moments (also inside the yields), imports of good, malformed, empty, huge and
// unreadable files, saves to good and failing paths, the about window, the links, closing
// the window, and the timer ticks, interleaved at random. After every event the window must
// be in a state the run allows, and nothing may have been lost.
//
// The walk is replayable: ORBELUNE_SOAK_SEED picks the seed and ORBELUNE_SOAK_EVENTS the
// number of events; a failure names the seed, the event and the events just before it.

#include "testsupport.h"

#include "app/form1.h"
#include "app/links.h"
#include "history/historyrow.h"
#include "history/historytext.h"
#include "widgets/clicklabel.h"
#include "widgets/svgpicture.h"
#include "widgets/taggedtimer.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
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

// The walk's own GBK, independent of the program's; empty for text GBK cannot hold. Qt for
// Windows has no GBK converter of its own: there the program's stands in.
QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        return fitsGbk(text) ? encodeGbk(text) : QByteArray();
    const QByteArray bytes = encoder.encode(text);
    return QStringDecoder("GBK").decode(bytes) == text ? bytes : QByteArray();
}

QStringList texts(const QList<Row> &rows)
{
    QStringList list;
    for (const Row &row : rows)
        list << row.text;
    return list;
}

bool isOtherWindow(const QWidget *window, const Form1 *form)
{
    return window != form && window->isVisible() && !qobject_cast<const QMenu *>(window);
}

} // namespace

class SoakForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase()
    {
        delete m_form;
        m_seams.reset();
    }
    void randomWalk();

private:
    // The walk's own dice.
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }
    QStringList listTexts() const { return items(m_form->List1); }

    Row cleanRow();
    Row badRow();
    HistoryFile historyFile(const QString &name, const QList<Row> &rows, bool utf8 = false);
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

    Form1 *m_form = nullptr;
    int m_windows = 0;
    int m_closeAt = 0; // the event that closes this window
    QList<Row> m_list; // what List1 must hold
    QList<Message> m_messages;
    bool m_warningsExpected = false;
};

void SoakForm1::initTestCase()
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
        const QListWidgetItem *selected = m_form ? m_form->List1->currentItem() : nullptr;
        m_messages.append({ request.text, request.icon, m_form && m_form->isRunActive(),
                            selected ? selected->text() : QString() });
    };
}

Row SoakForm1::cleanRow()
{
    // Mostly the usual shape; now and then one of the other shapes the sweep lets pass.
    static const QStringList odd { "", "   ", "1,2,3,4,5,6 7", "中文,01,02,03,04,05 06",
                                   "01,02,03,04,05,06 0\n7" };
    if (const int shape = below(12); shape < odd.size())
        return { odd.at(shape) };
    QString row;
    for (int p = 0; p < 7; ++p)
        row += QString(p == 0      ? "%1"
                           : p < 6 ? ",%1"
                                   : " %1")
                   .arg(1 + below(p < 6 ? 33 : 16), 2, 10, QChar('0'));
    return { row };
}

Row SoakForm1::badRow()
{
    static const QStringList bad { "34,01,02,03,04,05 06",
                                   "01,02,03,04,05,06 17",
                                   "01,02,03,04,05,06",
                                   "01,02,03,04",
                                   "01,02,03,04,40",
                                   "&H22,01,02,03,04,05 06",
                                   "\t",
                                   "往期数据" };
    return { bad.at(below(int(bad.size()))), false };
}

HistoryFile SoakForm1::historyFile(const QString &name, const QList<Row> &rows, bool utf8)
{
    // Lines end with CR LF or a lone CR; the last one may have no ending at all. A file that
    // ends in an empty row needs its ending, or the row is not there.
    QString text;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        text += rows.at(i).text;
        if (i + 1 < rows.size() || rows.at(i).text.isEmpty() || chance(0.5))
            text += chance(0.8) ? "\r\n" : "\r";
    }
    const QString path = m_dir.filePath(name);
    if (!writeFile(path, utf8 ? "\xEF\xBB\xBF" + text.toUtf8() : gbk(text)))
        qFatal("soak: cannot write %s", qPrintable(path));
    return { path, rows, true };
}

void SoakForm1::makeFixtures()
{
    auto rowsOf = [this](int n, int bad) {
        QList<Row> rows;
        for (int i = 0; i < n; ++i)
            rows << cleanRow();
        for (int i = 0; i < bad; ++i)
            rows.insert(below(int(rows.size()) + 1), badRow());
        return rows;
    };
    // Good files, the empty one among them, and files with malformed rows.
    m_files << historyFile("empty.txt", {});
    for (int n : { 1, 25, 300, 2000 })
        m_files << historyFile(QString("good-%1.txt").arg(n), rowsOf(n, 0));
    for (int bad : { 1, 3 })
        m_files << historyFile(QString("malformed-%1.txt").arg(bad), rowsOf(200, bad));
    // Long rows: a list saved with LF-only ends is one malformed row (the LF is skipped, and
    // the blue reads as 701); a good row padded with blanks to 250 000 characters; a row of
    // 1 000 000 characters whose blue is 17.
    m_files << historyFile("long-lf.txt",
                           { { QString("01,02,03,04,05,06 07\n").repeated(877), false } });
    m_files << historyFile(
        "long-good.txt",
        { cleanRow(), { "01,02,03,04,05,06 07" + QString(250000 - 20, ' ') }, cleanRow() });
    m_files << historyFile("long-bad.txt",
                           { { "01,02,03,04,05,06 17" + QString(1000000 - 20, ' '), false } });
    // Rows read from Unicode that GBK cannot hold: the import takes them, a save refuses. The
    // emoji is escaped because clang-format 14 and 19 count its width differently.
    m_files << historyFile(
        "unicode.txt", { { "\U0001F600,01,02,03,04,05 06" }, { "01,02,03,04,05,06 07" } }, true);

    // Files the import must refuse, leaving the list alone: one row more than the list holds,
    // more bytes than a history file has, binary, not GBK, missing, and a folder.
    const QList<QPair<QString, QByteArray>> refused {
        { "huge.txt", QByteArray("01,02,03,04,05,06 07\r\n").repeated(32768) },
        { "too-large.txt", QByteArray(4 * 1024 * 1024 + 1, 'x') },
        { "binary.txt", QByteArray("01,02\0\x01\x02\r\n", 10) },
        { "bad-gbk.txt", QByteArray("01,02,03\x81\r\n") },
        { "missing.txt", QByteArray() },
        { "folder.txt", QByteArray() },
    };
    for (const auto &[name, bytes] : refused) {
        if (!bytes.isNull() && !writeFile(m_dir.filePath(name), bytes))
            qFatal("soak: cannot write %s", qPrintable(name));
        m_files << HistoryFile { m_dir.filePath(name), {}, false };
    }
    QDir(m_dir.path()).mkdir("folder.txt");

    // Where saves go: good names (two of them without the ending the dialog adds), a folder
    // that does not exist, and a folder where a file should be.
    for (const char *name : { "result-1.txt", "result-2.TXT", "result-3", "result-4.doc",
                              "no-such-folder/result.txt", "folder.txt" })
        m_savePaths << m_dir.filePath(name);
}

void SoakForm1::openWindow()
{
    m_form = new Form1;
    ++m_windows;
    m_form->setRandomSource(std::make_unique<EngineRandomSource>(m_seed + quint32(m_windows)));
    m_form->TimSa->setInterval(neverMs);
    m_form->Timer1->setInterval(neverMs);
    m_form->show();
    m_form->activateWindow();
    // Painting is most of the cost of an event and none of what the walk checks: the window
    // is painted now and then (see randomWalk), not after every event.
    m_form->setUpdatesEnabled(false);
    m_list.clear();
    for (const QString &text : listTexts())
        m_list << Row { text };
    // Every window is closed by the user at some moment, most after a short while, some after
    // a long life; the last one lives to the end of the walk.
    m_closeAt = m_events + 50 + below(chance(0.7) ? 2500 : 10000);
    note(QString("window %1 opened").arg(m_windows));
}

void SoakForm1::note(const QString &event)
{
    m_recent.push_back(QString("#%1 %2").arg(m_events).arg(event));
    if (m_recent.size() > 25)
        m_recent.pop_front();
}

void SoakForm1::fail(const QString &what)
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

void SoakForm1::randomWalk()
{
    while (m_events < m_eventsWanted && !m_failed) {
        if (!m_form)
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
        const bool paint = m_form && m_events % 97 == 0;
        if (paint)
            m_form->setUpdatesEnabled(true);
        QCoreApplication::processEvents();
        if (paint && m_form)
            m_form->setUpdatesEnabled(false);
        for (const QUrl &url : std::as_const(m_seams->opened))
            if (url != makerHomePage())
                fail("a link opened " + url.toString());
        ++m_events;
        if (m_form && !m_form->isVisible()) {
            // What was left on the window's stack has returned; nothing may run on after the
            // close.
            if (m_form->TimSa->isActive() || m_form->Timer1->isActive())
                fail("a timer runs after the close");
            delete std::exchange(m_form, nullptr);
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

void SoakForm1::step()
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
              m_form->stopfx->trigger();
              if (m_form->isRunActive())
                  fail("the run goes on after a stop");
          } },
        { "start with events in its yield", 6, 6,
          [this] {
              postEventsForYield();
              note("start button, with events for its yield");
              m_form->Command1->click();
          } },
        { "sweep with events in its yield", 0, 4,
          [this] {
              postEventsForYield();
              note("Timer1 tick, with events for its yield");
              m_form->Timer1_Timer();
          } },
        { "import", 6, 6, [this] { import(); } },
        { "save", 6, 6, [this] { save(); } },
        { "about", 2, 2, [this] { showAbout(); } },
        { "link", 2, 2, [this] { openLink(); } },
        { "start", 10, 10, [this] { pressStart(); } },
    };
    const bool running = m_form->TimSa->isActive();
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

void SoakForm1::pressStart()
{
    const bool wasRunning = m_form->isRunActive();
    const QString tag = m_form->TimSa->tag();
    if (const int way = below(10); way == 0) {
        note("Enter, the window's default button");
        QTest::keyClick(m_form, Qt::Key_Return);
    } else if (way < 5) {
        note("start button");
        m_form->Command1->click();
    } else {
        note("menu 开始分析");
        m_form->start->trigger();
    }
    // A start during a run is not possible: the run goes on as it was.
    if (wasRunning && (!m_form->isRunActive() || m_form->TimSa->tag() != tag))
        fail("a start during a run changed the run");
}

void SoakForm1::tickStage()
{
    const int stage = m_form->TimSa->tag().toInt();
    note(QString("TimSa tick, stage %1").arg(stage));
    m_form->TimSa_Timer();
    if (m_form->CapNum[std::size_t(std::min(stage, 6))]->isHidden())
        fail(QString("stage %1 showed no ball").arg(stage));
    if (stage == 9 ? m_form->isRunActive() : m_form->TimSa->tag() != QString::number(stage + 1))
        fail(QString("stage %1 left the tag at %2").arg(stage).arg(m_form->TimSa->tag()));
}

void SoakForm1::tickSweep()
{
    note("Timer1 tick");
    const bool bad
        = std::any_of(m_list.cbegin(), m_list.cend(), [](const Row &r) { return !r.clean; });
    m_form->Timer1_Timer();
    if (bad && (m_form->isRunActive() || m_messages.isEmpty()))
        fail("a sweep over a malformed row did not stop the run");
    if (!bad && (!m_messages.isEmpty() || !m_form->isRunActive()))
        fail("a sweep over good rows complained or ended the run");
    if (!bad && m_form->List1->count() > 0
        && m_form->List1->currentRow() != m_form->List1->count() - 1)
        fail("after a sweep the last row is not selected");
}

void SoakForm1::postEventsForYield()
{
    // Queued now, handled inside the next yield. The import is cancelled: locked during a
    // run, possible again after a stop.
    const QPointer<Form1> form(m_form);
    const std::pair<const char *, std::function<void()>> events[] = {
        { "stop", [form] { form->stopfx->trigger(); } },
        { "stop", [form] { form->stopfx->trigger(); } },
        { "Timer1 tick",
          [form] {
              if (form->Timer1->isActive())
                  form->Timer1_Timer();
          } },
        { "TimSa tick",
          [form] {
              if (form->TimSa->isActive())
                  form->TimSa_Timer();
          } },
        { "start button", [form] { form->Command1->click(); } },
        { "menu 导入数据, cancelled",
          [this, form] {
              m_seams->answer.clear();
              form->data->trigger();
          } },
        { "about", [this] { showAbout(); } },
        { "link", [form] { form->webgo->trigger(); } },
    };
    for (int posted = 1 + below(3); posted > 0; --posted) {
        const auto &[name, event] = events[below(8)];
        note(QString("  posted: ") + name);
        QMetaObject::invokeMethod(
            m_form,
            [form, event = event] {
                if (form && form->isVisible())
                    event();
            },
            Qt::QueuedConnection);
    }
}

void SoakForm1::useWindowWhileDialogOpen(double p)
{
    // The dialogs have no owner: now and then the user turns to the window while one is open,
    // starts, stops, or a stage tick comes.
    if (!chance(p))
        return;
    note("  the window is used while the dialog is open");
    m_seams->whileDialogOpen = [this] {
        for (int i = 1 + below(3); i > 0; --i) {
            if (const int what = below(3); what == 0)
                m_form->Command1->click();
            else if (what == 1)
                m_form->stopfx->trigger();
            else if (m_form->TimSa->isActive())
                m_form->TimSa_Timer();
        }
    };
}

void SoakForm1::import()
{
    const int which = below(int(m_files.size()) + 1);
    const bool cancel = which == int(m_files.size());
    const HistoryFile file = cancel ? HistoryFile {} : m_files.at(which);
    m_seams->answer = file.path;
    note("menu 导入数据: " + (cancel ? QString("cancel") : QFileInfo(file.path).fileName()));
    useWindowWhileDialogOpen(0.15);

    const bool asked = m_form->data->isEnabled() && !cancel;
    const QStringList before = listTexts();
    m_warningsExpected = true;
    m_form->data->trigger();
    m_seams->whileDialogOpen = nullptr;

    // A run started while the dialog was open still runs: the list must not change under it.
    const bool taken = asked && file.importable && !m_form->isRunActive();
    const auto warnings
        = std::count_if(m_messages.cbegin(), m_messages.cend(),
                        [](const Message &m) { return m.icon == MessageIcon::Warning; });
    if (warnings != (asked && !taken ? 1 : 0))
        fail(QString("an import gave %1 warnings").arg(warnings));
    if (taken) {
        m_list = file.rows;
        if (listTexts() != texts(file.rows))
            fail("the import did not bring the file's rows");
        if (!m_form->List1->selectedItems().isEmpty())
            fail("a row is selected after the import");
        ++m_counts["import, rows taken"];
    } else if (listTexts() != before) {
        fail("an import that did not happen changed the list");
    }
}

void SoakForm1::save()
{
    const int which = below(int(m_savePaths.size()) + 1);
    const bool cancel = which == int(m_savePaths.size());
    m_seams->answer = cancel ? QString() : m_savePaths.at(which);
    const QString path
        = m_seams->answer + (cancel || m_seams->answer.right(3).toLower() == "txt" ? "" : ".txt");
    // The full disk is a file-size limit, which Windows does not have; it is drawn all the
    // same, so that a seed walks the same way everywhere.
    const bool drawnFull = !cancel && chance(0.25);
#ifdef Q_OS_UNIX
    const bool fullDisk = drawnFull;
#else
    const bool fullDisk = false && drawnFull;
#endif
    note("menu 保存结果: " + (cancel ? QString("cancel") : QFileInfo(path).fileName())
         + (fullDisk ? ", disk full" : ""));
    useWindowWhileDialogOpen(0.1);

    // The file is the heading with the ball row as the captions show it, then the list.
    const auto expected = [this] {
        QStringList balls;
        for (const QLabel *caption : m_form->CapNum)
            balls << caption->text();
        QString text = "Orbelune运算获得中奖机率最大的一组球号是：" + balls.mid(0, 6).join(',')
            + ' ' + balls.at(6) + "\r\n";
        for (const Row &row : std::as_const(m_list))
            text += row.text + "\r\n";
        return gbk(text);
    };
    const bool asked = m_form->savejg->isEnabled() && !cancel;
    const QStringList before = listTexts();
    const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files);
    const bool existed = QFileInfo(path).isFile();
    const QByteArray old = existed ? contents(path) : QByteArray();
    m_warningsExpected = true;
    // A disk that fills up before the whole file is written.
    if (!withFileSizeLimit(fullDisk ? expected().size() / 2 : 0,
                           [this] { m_form->savejg->trigger(); }))
        fail("cannot limit the file size here");
    m_seams->whileDialogOpen = nullptr;

    // The captions are read when the file is written, after the dialog; a run started while
    // the dialog was open refuses the save.
    const QByteArray bytes = expected();
    const bool writable = asked && !m_form->isRunActive() && !fullDisk && !bytes.isEmpty()
        && QFileInfo(QFileInfo(path).absolutePath()).isDir() && !QFileInfo(path).isDir();
    if (m_messages.size() != (asked && !writable ? 1 : 0))
        fail(QString("a save gave %1 messages").arg(m_messages.size()));
    if (writable && contents(path) != bytes)
        fail("the saved file is not the ticket and the list");
    else if (!writable
             && (QFileInfo(path).isFile() != existed || (existed && contents(path) != old)))
        fail("a save that failed changed the file");
    else if (!writable && QDir(m_dir.path()).entryList(QDir::Files) != filesBefore)
        fail("a save that failed left files behind");
    if (listTexts() != before)
        fail("a save changed the list");
    m_counts["save, file written"] += writable;
}

void SoakForm1::showAbout()
{
    note("menu 关于");
    // If the about window opens modally, this closes it from inside its own loop, after a
    // stage tick or two that the modal loop keeps delivering. Where the about window is not
    // modal, or not there yet, this timer may come much later, inside some other yield, and
    // must not tick a run on there.
    const QPointer<Form1> form(m_form);
    QTimer::singleShot(0, m_form, [this, form] {
        for (int i = below(3); i > 0 && form && QApplication::activeModalWidget(); --i)
            if (form->TimSa->isActive())
                form->TimSa_Timer();
        closeOtherWindows();
    });
    m_form->about->trigger();
    closeOtherWindows();
}

void SoakForm1::closeOtherWindows()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (isOtherWindow(window, m_form))
            window->close();
}

void SoakForm1::openLink()
{
    if (chance(0.5)) {
        note("menu 访问主页");
        m_form->webgo->trigger();
    } else {
        note("click on the copyright line");
        QTest::mouseClick(m_form->Label2, Qt::LeftButton);
    }
    if (m_seams->opened.size() != 1)
        fail(QString("a link opened %1 addresses").arg(m_seams->opened.size()));
}

void SoakForm1::closeWindow()
{
    // The windows take the four ways of closing in turn, so that a walk of a few windows
    // tries them all. A sweep tick comes only during a run, and the start and the import
    // only outside one: the user first starts or stops one as the way needs.
    const int how = m_counts["close"]++ % 4;
    if ((how == 2) != m_form->isRunActive()) {
        note(how == 2 ? "start button, to close during the run" : "menu 停止分析, to close idle");
        if (how == 2)
            m_form->Command1->click();
        else
            m_form->stopfx->trigger();
    }
    const QPointer<Form1> form(m_form);
    const auto closeInYield = [form] {
        const auto closeForm = [form] { form->close(); };
        QMetaObject::invokeMethod(form, closeForm, Qt::QueuedConnection);
    };
    if (how == 0) {
        note("menu 退出");
        m_form->exit->trigger();
    } else if (how == 1) {
        note("start button, closed in its yield");
        closeInYield();
        m_form->Command1->click();
    } else if (how == 2) {
        // If the list has a malformed row, no message may follow the close.
        note("Timer1 tick, closed in its yield");
        closeInYield();
        m_form->Timer1_Timer();
        if (!m_messages.isEmpty())
            fail("a sweep went on after the close");
    } else {
        note("menu 导入数据, window closed while the dialog is open");
        m_seams->answer = m_files.at(1).path;
        m_seams->whileDialogOpen = [form] { form->close(); };
        const QStringList before = listTexts();
        m_form->data->trigger();
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

void SoakForm1::check()
{
    // The two rows of the state table: idle, or stage s with everything that goes with it.
    const bool running = m_form->TimSa->isActive();
    if (const QString state = runStateMismatch(m_form, running); !state.isEmpty())
        return fail(QString("%1, but %2 differ").arg(running ? "running" : "idle", state));
    if (const QString balls = ballRowViolation(); !balls.isEmpty())
        return fail(balls);
    for (const Message &message : std::as_const(m_messages))
        if (const QString wrong = messageViolation(message); !wrong.isEmpty())
            return fail(wrong);
    if (m_form->List1->count() != m_list.size())
        return fail(QString("the list has %1 rows, %2 expected")
                        .arg(m_form->List1->count())
                        .arg(m_list.size()));
    if (m_events % 64 == 0 && listTexts() != texts(m_list))
        return fail("a row of the list changed");
    for (QWidget *window : QApplication::topLevelWidgets())
        if (isOtherWindow(window, m_form))
            return fail("a window was left open: " + window->objectName());
}

QString SoakForm1::ballRowViolation() const
{
    static const QRegularExpression twoDigits("^[0-9][0-9]$");
    const bool running = m_form->TimSa->isActive();
    const int stage = m_form->TimSa->tag().toInt();
    std::set<qint16> reds;
    int drawnReds = 0;
    bool initial = true;
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        const qint16 chosen = m_form->chosenNumber(p);
        const QString caption = m_form->CapNum[i]->text();
        const bool shown = !m_form->CapNum[i]->isHidden();
        const QListWidget *pool = m_form->ListNumB[i];
        const QString where = QString("ball %1: ").arg(p);
        if (shown == m_form->ImaRed[i]->isHidden())
            return where + "caption and picture disagree";
        initial = initial && chosen == 0;
        // Before the first run every ball shows 08 over an empty pool; not drawn yet in this
        // run, a ball is hidden over an empty pool.
        if (chosen == 0 && (!shown || caption != "08" || pool->count() != 0))
            return where + "not as before the first run";
        if (chosen == 999 && (shown || pool->count() != 0))
            return where + "not drawn, yet shown or with candidates";
        if (chosen == 0 || chosen == 999)
            continue;
        if (chosen < 1 || chosen > (p < 6 ? 33 : 16))
            return where + QString("number %1").arg(chosen);
        if (!shown)
            return where + "drawn but hidden";
        if (!caption.contains(twoDigits) || caption.toInt() != chosen)
            return where + QString("caption '%1' for %2").arg(caption).arg(chosen);
        if (pool->count() != 1 || pool->item(0)->text().toInt() != chosen)
            return where + "the pool does not hold the survivor alone";
        if (p < 6) {
            reds.insert(chosen);
            ++drawnReds;
        }
        // During a run only the positions of the stages already done are drawn: red p at
        // stage p, the blue one from stage 6 on.
        if (running && !(p < 6 ? p < stage : stage > 6))
            return where + QString("drawn before its stage %1").arg(stage);
    }
    if (!initial && int(reds.size()) != drawnReds)
        return "the shown ticket repeats a red number";
    // During a run everything due before this stage is drawn.
    for (int p = 0; running && p < std::min(stage, 7); ++p)
        if (m_form->chosenNumber(p) == 999 || m_form->chosenNumber(p) == 0)
            return QString("ball %1 not drawn at stage %2").arg(p).arg(stage);
    return QString();
}

QString SoakForm1::messageViolation(const Message &message) const
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

QTEST_MAIN(SoakForm1)
#include "soak_form1.moc"
