// A seeded random walk over the real main window: the start button, every menu item, stops
// at random moments (also inside the yields), imports of good, malformed, empty, huge and
// unreadable files, saves to good and failing paths, the about window, the links, closing
// the window, and the timer ticks, interleaved at random. After every event the window must
// be in a state the run allows, and nothing may have been lost.
//
// The walk is replayable: ORBELUNE_SOAK_SEED picks the seed and ORBELUNE_SOAK_EVENTS the
// number of events; a failure names the seed, the event and the events just before it.

#include "app/clicklabel.h"
#include "app/form1.h"
#include "app/links.h"
#include "app/messagebox.h"
#include "app/svgpicture.h"
#include "app/taggedtimer.h"
#include "draw/randomsource.h"
#include "history/filedialogs.h"

#include <QAction>
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
#include <QtTest>

#include <csignal>
#include <deque>
#include <random>
#include <set>
#include <sys/resource.h>

using namespace orbelune;

namespace {

constexpr quint32 defaultSeed = 20080808;
constexpr int defaultEvents = 20000;

// Long enough never to come round during the walk: the walk gives every tick itself, as the
// event loop would, whenever the timer is enabled.
constexpr int neverMs = 24 * 60 * 60 * 1000;

quint32 envNumber(const char *name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : fallback;
}

const QString formatMessageStart = QStringLiteral("错误的数据格式！\r\n"
                                                  "参考格式：红球,红球,红球,红球,红球 蓝球\r\n"
                                                  "例如：10,11,12,15,26,29 09\r\n"
                                                  "\r\n");

// One history row, and whether the sweep must let it pass, decided when the walk made it.
struct Row
{
    QString text;
    bool clean = true;
};

// A file the walk offers to the import.
struct HistoryFile
{
    QString path;
    QList<Row> rows; // what an import brings in
    bool importable = false;
};

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

bool fitsGbk(const QString &text)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(gbk(text)) == text;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A disk that is full after a few bytes: writes past the limit fail with EFBIG instead of
// killing the process. Both the limit and the signal are restored when it goes.
class FullDisk
{
public:
    explicit FullDisk(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class SoakForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void randomWalk();

private:
    struct Message
    {
        QString text;
        MessageIcon icon = MessageIcon::None;
        bool runActive = false;
        QString selectedRow;
    };

    // The walk's own dice.
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

    Row cleanRow();
    Row badRow();
    void makeFixtures();
    HistoryFile writeHistoryFile(const QString &name, const QList<Row> &rows, bool utf8 = false);

    void openWindow();
    void closeWindowForGood();
    void step();
    void note(const QString &event);
    void fail(const QString &what);
    void check();
    QString stateViolation() const;
    QString ballRowViolation() const;
    QString messageViolation(const Message &message) const;
    QStringList listTexts() const;
    bool listHasBadRow() const;
    QByteArray expectedResultFile() const;

    void pressStart(bool button);
    void tickStage();
    void tickSweep();
    void stop();
    void startWithEventsInYield();
    void sweepWithEventsInYield();
    void postRandomEvent();
    void import();
    void save();
    void showAbout();
    void closeModalWindows();
    void openLink();
    void closeWindow();

    std::mt19937 m_rng;
    quint32 m_seed = 0;
    int m_eventsWanted = 0;
    int m_events = 0;
    std::deque<QString> m_recent;
    bool m_failed = false;

    QTemporaryDir m_dir;
    QList<HistoryFile> m_files;
    QStringList m_savePaths;

    Form1 *m_form = nullptr;
    int m_windows = 0;
    int m_closeAt = -1; // the event that closes this window, or -1
    QList<Row> m_list; // what List1 must hold
    QList<Message> m_messages;
    bool m_warningsExpected = false;
    int m_urlsOpened = 0;
    bool m_runActiveWhenDialogReturned = false;
    QString m_dialogAnswer;
    std::function<void()> m_whileDialogOpen;
    QMap<QString, int> m_counts; // events by kind, for the report
};

void SoakForm1::initTestCase()
{
    m_seed = envNumber("ORBELUNE_SOAK_SEED", defaultSeed);
    m_eventsWanted = int(envNumber("ORBELUNE_SOAK_EVENTS", defaultEvents));
    m_rng.seed(m_seed);
    qInfo("soak: seed %u, %d events (ORBELUNE_SOAK_SEED, ORBELUNE_SOAK_EVENTS)", m_seed,
          m_eventsWanted);
    QVERIFY(m_dir.isValid());
    makeFixtures();

    setMessageBoxHandler([this](const MessageBoxRequest &request) {
        Message message { request.text, request.icon, false, QString() };
        if (m_form) {
            message.runActive = m_form->isRunActive();
            if (QListWidgetItem *item = m_form->List1->currentItem())
                message.selectedRow = item->text();
        }
        m_messages.append(message);
    });
    setFileDialogHandler([this](const FileDialogRequest &) {
        // The dialogs have no owner: while one is open the user may still use the window.
        if (m_whileDialogOpen) {
            const auto whileOpen = std::move(m_whileDialogOpen);
            m_whileDialogOpen = nullptr;
            whileOpen();
        }
        m_runActiveWhenDialogReturned = m_form && m_form->isRunActive();
        return m_dialogAnswer;
    });
    setUrlOpener([this](const QUrl &url) {
        if (url != QUrl(QString::fromLatin1(makerHomePage)))
            fail(QStringLiteral("a link opened %1").arg(url.toString()));
        ++m_urlsOpened;
        return true;
    });
}

void SoakForm1::cleanupTestCase()
{
    delete m_form;
    m_form = nullptr;
    setMessageBoxHandler({});
    setFileDialogHandler({});
    setUrlOpener({});
}

Row SoakForm1::cleanRow()
{
    // Mostly the usual shape; now and then one of the other shapes the sweep lets pass.
    switch (below(12)) {
    case 0:
        return { QString(), true };
    case 1:
        return { QStringLiteral("   "), true };
    case 2:
        return { QStringLiteral("1,2,3,4,5,6 7"), true };
    case 3:
        return { QStringLiteral("中文,01,02,03,04,05 06"), true };
    case 4:
        return { QStringLiteral("01,02,03,04,05,06 0\n7"), true };
    default: {
        QStringList reds;
        for (int i = 0; i < 6; ++i)
            reds << QStringLiteral("%1").arg(1 + below(33), 2, 10, QLatin1Char('0'));
        return { reds.join(u',')
                     + QStringLiteral(" %1").arg(1 + below(16), 2, 10, QLatin1Char('0')),
                 true };
    }
    }
}

Row SoakForm1::badRow()
{
    static const QStringList bad { QStringLiteral("34,01,02,03,04,05 06"),
                                   QStringLiteral("01,02,03,04,05,06 17"),
                                   QStringLiteral("01,02,03,04,05,06"),
                                   QStringLiteral("01,02,03,04"),
                                   QStringLiteral("01,02,03,04,40"),
                                   QStringLiteral("&H22,01,02,03,04,05 06"),
                                   QStringLiteral("\t"),
                                   QStringLiteral("往期数据") };
    return { bad.at(below(int(bad.size()))), false };
}

HistoryFile SoakForm1::writeHistoryFile(const QString &name, const QList<Row> &rows, bool utf8)
{
    // Lines end with CR LF or a lone CR; the last one may have no ending at all.
    // A file that ends in an empty row needs its ending, or the row is not there.
    QString text;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        text += rows.at(i).text;
        const bool last = i + 1 == rows.size();
        if (!last || rows.at(i).text.isEmpty() || chance(0.5))
            text += chance(0.8) ? QStringLiteral("\r\n") : QStringLiteral("\r");
    }
    const QByteArray bytes = utf8 ? QByteArray("\xEF\xBB\xBF") + text.toUtf8() : gbk(text);
    const QString path = m_dir.filePath(name);
    if (!writeAll(path, bytes))
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
    m_files << writeHistoryFile(QStringLiteral("empty.txt"), {});
    for (int n : { 1, 25, 300, 2000 })
        m_files << writeHistoryFile(QStringLiteral("good-%1.txt").arg(n), rowsOf(n, 0));
    for (int bad : { 1, 3 })
        m_files << writeHistoryFile(QStringLiteral("malformed-%1.txt").arg(bad), rowsOf(200, bad));
    // Rows read from Unicode that GBK cannot hold: the import takes them, a save refuses.
    m_files << writeHistoryFile(QStringLiteral("unicode.txt"),
                                { { QStringLiteral("😀,01,02,03,04,05 06"), true },
                                  { QStringLiteral("01,02,03,04,05,06 07"), true } },
                                true);

    // Files the import must refuse, leaving the list alone.
    auto refused = [this](const QString &name, const QByteArray &bytes) {
        const QString path = m_dir.filePath(name);
        if (!bytes.isNull() && !writeAll(path, bytes))
            qFatal("soak: cannot write %s", qPrintable(path));
        m_files << HistoryFile { path, {}, false };
    };
    QByteArray huge;
    for (int i = 0; i < 32768; ++i)
        huge += "01,02,03,04,05,06 07\r\n";
    refused(QStringLiteral("huge.txt"), huge); // one row more than the list holds
    refused(QStringLiteral("too-large.txt"), QByteArray(4 * 1024 * 1024 + 1, 'x'));
    refused(QStringLiteral("binary.txt"), QByteArray("01,02\0\x01\x02\r\n", 10));
    refused(QStringLiteral("bad-gbk.txt"), QByteArray("01,02,03\x81\r\n"));
    refused(QStringLiteral("missing.txt"), QByteArray());
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.txt"));
    m_files << HistoryFile { m_dir.filePath(QStringLiteral("folder.txt")), {}, false };

    // Where saves go: good names (two of them without the ending the dialog adds), a folder
    // that does not exist, and a folder where a file should be.
    m_savePaths << m_dir.filePath(QStringLiteral("result-1.txt"))
                << m_dir.filePath(QStringLiteral("result-2.TXT"))
                << m_dir.filePath(QStringLiteral("result-3"))
                << m_dir.filePath(QStringLiteral("result-4.doc"))
                << m_dir.filePath(QStringLiteral("no-such-folder/result.txt"))
                << m_dir.filePath(QStringLiteral("folder.txt"));
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
    for (int i = 0; i < m_form->List1->count(); ++i)
        m_list << Row { m_form->List1->item(i)->text(), true };
    // Most windows are closed by the user at some moment; the others live to the end.
    m_closeAt = chance(0.7) ? m_events + 50 + below(2500) : -1;
    note(QStringLiteral("window %1 opened").arg(m_windows));
}

void SoakForm1::closeWindowForGood()
{
    // What is left on the window's stack has returned; nothing may run on after the close.
    if (m_form->isVisible())
        fail(QStringLiteral("the window did not close"));
    if (m_form->TimSa->isActive() || m_form->Timer1->isActive())
        fail(QStringLiteral("a timer runs after the close"));
    delete m_form;
    m_form = nullptr;
}

void SoakForm1::note(const QString &event)
{
    m_recent.push_back(QStringLiteral("#%1 %2").arg(m_events).arg(event));
    if (m_recent.size() > 25)
        m_recent.pop_front();
}

void SoakForm1::fail(const QString &what)
{
    if (m_failed)
        return;
    m_failed = true;
    QStringList report { QStringLiteral("soak failed at event %1 of window %2: %3")
                             .arg(m_events)
                             .arg(m_windows)
                             .arg(what),
                         QStringLiteral("replay with ORBELUNE_SOAK_SEED=%1 ORBELUNE_SOAK_EVENTS=%2")
                             .arg(m_seed)
                             .arg(m_events + 1),
                         QStringLiteral("events before it:") };
    for (const QString &event : m_recent)
        report << QStringLiteral("  ") + event;
    qCritical("%s", qPrintable(report.join(u'\n')));
}

void SoakForm1::randomWalk()
{
    while (m_events < m_eventsWanted && !m_failed) {
        if (!m_form)
            openWindow();
        m_messages.clear();
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
        ++m_events;
        if (m_failed)
            break;
        if (m_form && !m_form->isVisible()) {
            closeWindowForGood();
            continue;
        }
        check();
    }
    QStringList counts;
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        counts << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    qInfo("soak: %d events over %d windows, every check held: %s", m_events, m_windows,
          qPrintable(counts.join(QStringLiteral(", "))));
    QVERIFY2(!m_failed, "see the report above");
    QCOMPARE(m_events, m_eventsWanted);
}

void SoakForm1::step()
{
    const bool running = m_form->TimSa->isActive();
    // While a run lasts its ticks come thick and fast; the rest is what a user may do.
    struct Choice
    {
        int weight;
        void (SoakForm1::*action)();
    };
    const Choice choices[] = {
        { running ? 30 : 0, &SoakForm1::tickStage },
        { running ? 30 : 0, &SoakForm1::tickSweep },
        { 8, &SoakForm1::stop },
        { 6, &SoakForm1::startWithEventsInYield },
        { running ? 4 : 0, &SoakForm1::sweepWithEventsInYield },
        { 6, &SoakForm1::import },
        { 6, &SoakForm1::save },
        { 2, &SoakForm1::showAbout },
        { 2, &SoakForm1::openLink },
        { 10, nullptr }, // a press of a start command, by button, menu or Enter
    };
    int total = 0;
    for (const Choice &c : choices)
        total += c.weight;
    int roll = below(total);
    for (const Choice &c : choices) {
        if (roll < c.weight) {
            if (c.action)
                (this->*c.action)();
            else
                pressStart(chance(0.5));
            return;
        }
        roll -= c.weight;
    }
}

void SoakForm1::pressStart(bool button)
{
    const bool wasRunning = m_form->isRunActive();
    const QString tag = m_form->TimSa->tag();
    if (button) {
        note(QStringLiteral("start button"));
        ++m_counts["start"];
        if (chance(0.2)) {
            // Enter is the window's default button.
            QTest::keyClick(m_form, Qt::Key_Return);
        } else {
            m_form->Command1->click();
        }
    } else {
        note(QStringLiteral("menu 开始分析"));
        ++m_counts["start"];
        m_form->start->trigger();
    }
    // A start during a run is not possible: the run goes on as it was.
    if (wasRunning && (!m_form->isRunActive() || m_form->TimSa->tag() != tag))
        fail(QStringLiteral("a start during a run changed the run"));
}

void SoakForm1::tickStage()
{
    const int stage = m_form->TimSa->tag().toInt();
    note(QStringLiteral("TimSa tick, stage %1").arg(stage));
    ++m_counts["stage tick"];
    m_form->TimSa_Timer();
    const int shown = std::min(stage, 6);
    if (m_form->CapNum[std::size_t(shown)]->isHidden())
        fail(QStringLiteral("stage %1 showed no ball").arg(stage));
    if (stage == 9 ? m_form->isRunActive() : m_form->TimSa->tag() != QString::number(stage + 1))
        fail(QStringLiteral("stage %1 left the tag at %2").arg(stage).arg(m_form->TimSa->tag()));
}

void SoakForm1::tickSweep()
{
    note(QStringLiteral("Timer1 tick"));
    ++m_counts["sweep tick"];
    const bool bad = listHasBadRow();
    m_form->Timer1_Timer();
    if (bad && (m_form->isRunActive() || m_messages.isEmpty()))
        fail(QStringLiteral("a sweep over a malformed row did not stop the run"));
    if (!bad && !m_messages.isEmpty())
        fail(QStringLiteral("a sweep over good rows complained"));
    if (!bad && !m_form->isRunActive())
        fail(QStringLiteral("a sweep over good rows ended the run"));
    if (!bad && m_form->List1->count() > 0
        && m_form->List1->currentRow() != m_form->List1->count() - 1)
        fail(QStringLiteral("after a sweep the last row is not selected"));
}

void SoakForm1::stop()
{
    note(QStringLiteral("menu 停止分析"));
    ++m_counts["stop"];
    m_form->stopfx->trigger();
    if (m_form->isRunActive())
        fail(QStringLiteral("the run goes on after a stop"));
}

void SoakForm1::postRandomEvent()
{
    // Queued now, handled inside the next yield.
    const QPointer<Form1> form(m_form);
    std::function<void()> event;
    QString name;
    switch (below(8)) {
    case 0:
    case 1:
        name = QStringLiteral("stop");
        event = [form] { form->stopfx->trigger(); };
        break;
    case 2:
        name = QStringLiteral("Timer1 tick");
        event = [form] {
            if (form->Timer1->isActive())
                form->Timer1_Timer();
        };
        break;
    case 3:
        name = QStringLiteral("TimSa tick");
        event = [form] {
            if (form->TimSa->isActive())
                form->TimSa_Timer();
        };
        break;
    case 4:
        name = QStringLiteral("start button");
        event = [form] { form->Command1->click(); };
        break;
    case 5:
        // Opened and cancelled: locked during the run, possible again after a stop.
        name = QStringLiteral("menu 导入数据, cancelled");
        event = [this, form] {
            m_dialogAnswer.clear();
            form->data->trigger();
        };
        break;
    case 6:
        name = QStringLiteral("about");
        event = [this] { showAbout(); };
        break;
    default:
        name = QStringLiteral("link");
        event = [form] { form->webgo->trigger(); };
        break;
    }
    note(QStringLiteral("  posted: %1").arg(name));
    QMetaObject::invokeMethod(
        m_form,
        [form, event] {
            if (form && form->isVisible())
                event();
        },
        Qt::QueuedConnection);
}

void SoakForm1::startWithEventsInYield()
{
    const int posted = 1 + below(3);
    for (int i = 0; i < posted; ++i)
        postRandomEvent();
    note(QStringLiteral("start button, with events for its yield"));
    ++m_counts["start with events in its yield"];
    m_form->Command1->click();
}

void SoakForm1::sweepWithEventsInYield()
{
    const int posted = 1 + below(3);
    for (int i = 0; i < posted; ++i)
        postRandomEvent();
    note(QStringLiteral("Timer1 tick, with events for its yield"));
    ++m_counts["sweep with events in its yield"];
    m_form->Timer1_Timer();
}

void SoakForm1::import()
{
    const int which = below(int(m_files.size()) + 1);
    const bool cancel = which == int(m_files.size());
    const HistoryFile file = cancel ? HistoryFile {} : m_files.at(which);
    m_dialogAnswer = file.path;
    // Now and then the user turns to the window while the dialog is open.
    const int busy = chance(0.15) ? 1 + below(3) : 0;
    if (busy > 0) {
        m_whileDialogOpen = [this, busy] {
            for (int i = 0; i < busy; ++i) {
                switch (below(3)) {
                case 0:
                    m_form->Command1->click();
                    break;
                case 1:
                    m_form->stopfx->trigger();
                    break;
                default:
                    if (m_form->TimSa->isActive())
                        m_form->TimSa_Timer();
                }
            }
        };
    }
    note(QStringLiteral("menu 导入数据: %1%2")
             .arg(cancel ? QStringLiteral("cancel") : QFileInfo(file.path).fileName(),
                  busy ? QStringLiteral(", window used while the dialog is open") : QString()));
    ++m_counts["import"];

    const bool enabled = m_form->data->isEnabled();
    const QStringList before = listTexts();
    m_runActiveWhenDialogReturned = false;
    m_warningsExpected = true;
    m_form->data->trigger();
    m_whileDialogOpen = nullptr;

    const bool imported = enabled && !cancel && file.importable && !m_runActiveWhenDialogReturned;
    const int warnings
        = int(std::count_if(m_messages.cbegin(), m_messages.cend(),
                            [](const Message &m) { return m.icon == MessageIcon::Warning; }));
    const bool refused = enabled && !cancel && (!file.importable || m_runActiveWhenDialogReturned);
    if (warnings != (refused ? 1 : 0))
        fail(QStringLiteral("an import gave %1 warnings").arg(warnings));
    if (imported) {
        m_list = file.rows;
        if (listTexts() != [&] {
                QStringList texts;
                for (const Row &row : file.rows)
                    texts << row.text;
                return texts;
            }())
            fail(QStringLiteral("the import did not bring the file's rows"));
        if (!m_form->List1->selectedItems().isEmpty())
            fail(QStringLiteral("a row is selected after the import"));
        ++m_counts["import, rows taken"];
    } else if (listTexts() != before) {
        fail(QStringLiteral("an import that did not happen changed the list"));
    }
}

QByteArray SoakForm1::expectedResultFile() const
{
    QString text = QStringLiteral("Orbelune运算获得中奖机率最大的一组球号是：");
    for (int p = 0; p < 7; ++p)
        text += (p == 0      ? QString()
                     : p < 6 ? QStringLiteral(",")
                             : QStringLiteral(" "))
            + m_form->CapNum[std::size_t(p)]->text();
    text += QStringLiteral("\r\n");
    for (const Row &row : m_list)
        text += row.text + QStringLiteral("\r\n");
    return fitsGbk(text) ? gbk(text) : QByteArray();
}

void SoakForm1::save()
{
    const int which = below(int(m_savePaths.size()) + 1);
    const bool cancel = which == int(m_savePaths.size());
    m_dialogAnswer = cancel ? QString() : m_savePaths.at(which);
    QString path = m_dialogAnswer;
    if (!cancel && path.right(3).toLower() != QLatin1String("txt"))
        path += QStringLiteral(".txt");
    const bool fullDisk = !cancel && chance(0.25);
    const bool busy = chance(0.1);
    if (busy) {
        m_whileDialogOpen = [this] {
            if (m_form->isRunActive())
                m_form->stopfx->trigger();
            else
                m_form->Command1->click();
        };
    }
    note(QStringLiteral("menu 保存结果: %1%2%3")
             .arg(cancel ? QStringLiteral("cancel") : QFileInfo(path).fileName(),
                  fullDisk ? QStringLiteral(", disk full") : QString(),
                  busy ? QStringLiteral(", window used while the dialog is open") : QString()));
    ++m_counts["save"];

    const bool enabled = m_form->savejg->isEnabled();
    const QStringList before = listTexts();
    const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files);
    const bool existed = QFileInfo(path).isFile();
    const QByteArray old = existed ? readAll(path) : QByteArray();
    QByteArray expected = expectedResultFile();
    m_runActiveWhenDialogReturned = false;
    m_warningsExpected = true;
    {
        // A disk that fills up before the whole file is written.
        std::unique_ptr<FullDisk> full;
        if (fullDisk)
            full = std::make_unique<FullDisk>(rlim_t(expected.size() / 2));
        m_form->savejg->trigger();
    }
    m_whileDialogOpen = nullptr;
    // The captions are read when the file is written, after the dialog.
    expected = expectedResultFile();

    const bool attempted = enabled && !cancel && !m_runActiveWhenDialogReturned;
    const bool writable = attempted && !fullDisk && !expected.isEmpty()
        && QFileInfo(QFileInfo(path).absolutePath()).isDir() && !QFileInfo(path).isDir();
    const int warnings = int(m_messages.size());
    if (warnings != ((enabled && !cancel && !writable) ? 1 : 0))
        fail(QStringLiteral("a save gave %1 messages").arg(warnings));
    if (writable) {
        if (readAll(path) != expected)
            fail(QStringLiteral("the saved file is not the ticket and the list"));
        ++m_counts["save, file written"];
    } else {
        if (QFileInfo(path).isFile() != existed || (existed && readAll(path) != old))
            fail(QStringLiteral("a save that failed changed the file"));
        // No temporary file left behind either.
        if (QDir(m_dir.path()).entryList(QDir::Files) != filesBefore)
            fail(QStringLiteral("a save that failed left files behind"));
    }
    if (listTexts() != before)
        fail(QStringLiteral("a save changed the list"));
}

void SoakForm1::showAbout()
{
    note(QStringLiteral("menu 关于"));
    ++m_counts["about"];
    // If the about window opens modally, this closes it from inside its own loop, after a
    // stage tick or two that the modal loop keeps delivering.
    const QPointer<Form1> form(m_form);
    QTimer::singleShot(0, m_form, [this, form] {
        // Where the about window is not modal, or not there yet, this timer may come much
        // later, inside some other yield, and must not tick a run on there.
        if (!form || !QApplication::activeModalWidget())
            return closeModalWindows();
        for (int i = below(3); i > 0; --i) {
            if (form->TimSa->isActive())
                form->TimSa_Timer();
        }
        closeModalWindows();
    });
    m_form->about->trigger();
    closeModalWindows();
}

void SoakForm1::closeModalWindows()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != m_form && window->isVisible() && !qobject_cast<QMenu *>(window))
            window->close();
    }
}

void SoakForm1::openLink()
{
    const int before = m_urlsOpened;
    if (chance(0.5)) {
        note(QStringLiteral("menu 访问主页"));
        m_form->webgo->trigger();
    } else {
        note(QStringLiteral("click on the copyright line"));
        QTest::mouseClick(m_form->Label2, Qt::LeftButton);
    }
    ++m_counts["link"];
    if (m_urlsOpened != before + 1)
        fail(QStringLiteral("a link opened %1 addresses").arg(m_urlsOpened - before));
}

void SoakForm1::closeWindow()
{
    ++m_counts["close"];
    const QPointer<Form1> form(m_form);
    // A sweep tick only comes while its timer runs.
    int how = below(4);
    if (how == 2 && !m_form->Timer1->isActive())
        how = 0;
    switch (how) {
    case 0:
        note(QStringLiteral("menu 退出"));
        m_form->exit->trigger();
        break;
    case 1:
        // Closed while the start waits in its yield.
        note(QStringLiteral("start button, closed in its yield"));
        QMetaObject::invokeMethod(
            m_form, [form] { form->close(); }, Qt::QueuedConnection);
        m_form->Command1->click();
        break;
    case 2:
        // Closed while a sweep waits in its yield; if the list has a malformed row, no
        // message may follow.
        note(QStringLiteral("Timer1 tick, closed in its yield"));
        QMetaObject::invokeMethod(
            m_form, [form] { form->close(); }, Qt::QueuedConnection);
        m_form->Timer1_Timer();
        if (!m_messages.isEmpty())
            fail(QStringLiteral("a sweep went on after the close"));
        break;
    default:
        // Closed while a file dialog is open.
        note(QStringLiteral("menu 导入数据, window closed while the dialog is open"));
        m_dialogAnswer = m_files.at(1).path;
        m_whileDialogOpen = [form] { form->close(); };
        const QStringList before = listTexts();
        m_form->data->trigger();
        m_whileDialogOpen = nullptr;
        if (listTexts() != before)
            fail(QStringLiteral("an import went on after the close"));
        break;
    }
    // A close asked for inside a yield that was not reached (a locked command does not
    // start) is handled by the event loop; a close that never came is made now.
    if (form && form->isVisible())
        QCoreApplication::processEvents();
    if (form && form->isVisible())
        form->close();
}

QStringList SoakForm1::listTexts() const
{
    QStringList texts;
    texts.reserve(m_form->List1->count());
    for (int i = 0; i < m_form->List1->count(); ++i)
        texts << m_form->List1->item(i)->text();
    return texts;
}

bool SoakForm1::listHasBadRow() const
{
    return std::any_of(m_list.cbegin(), m_list.cend(), [](const Row &row) { return !row.clean; });
}

void SoakForm1::check()
{
    if (const QString state = stateViolation(); !state.isEmpty())
        return fail(state);
    if (const QString balls = ballRowViolation(); !balls.isEmpty())
        return fail(balls);
    for (const Message &message : std::as_const(m_messages)) {
        if (const QString wrong = messageViolation(message); !wrong.isEmpty())
            return fail(wrong);
    }
    if (m_form->List1->count() != m_list.size()
        || (m_events % 64 == 0 && listTexts().size() != m_list.size()))
        return fail(QStringLiteral("the list has %1 rows, %2 expected")
                        .arg(m_form->List1->count())
                        .arg(m_list.size()));
    if (m_events % 64 == 0) {
        for (qsizetype i = 0; i < m_list.size(); ++i) {
            if (m_form->List1->item(int(i))->text() != m_list.at(i).text)
                return fail(QStringLiteral("row %1 of the list changed").arg(i));
        }
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != m_form && window->isVisible() && !qobject_cast<QMenu *>(window))
            return fail(QStringLiteral("a window was left open: %1").arg(window->objectName()));
    }
}

QString SoakForm1::stateViolation() const
{
    // The two rows of the state table: idle, or stage s with everything that goes with it.
    const bool running = m_form->TimSa->isActive();
    QStringList wrong;
    if (m_form->Timer1->isActive() != running)
        wrong << QStringLiteral("Timer1");
    if (m_form->isRunActive() != running)
        wrong << QStringLiteral("isRunActive");
    if (m_form->Command1->isEnabled() == running)
        wrong << QStringLiteral("Command1");
    for (const QAction *locked : { m_form->start, m_form->data, m_form->savejg }) {
        if (locked->isEnabled() == running)
            wrong << locked->objectName();
    }
    for (const QAction *free : { m_form->stopfx, m_form->exit, m_form->about, m_form->webgo }) {
        if (!free->isEnabled())
            wrong << free->objectName();
    }
    if (m_form->PicFX->isHidden() == running)
        wrong << QStringLiteral("PicFX");
    const bool hourglass
        = m_form->testAttribute(Qt::WA_SetCursor) && m_form->cursor().shape() == Qt::WaitCursor;
    if (hourglass != running)
        wrong << QStringLiteral("pointer");
    bool tagOk = false;
    const int tag = m_form->TimSa->tag().toInt(&tagOk);
    if (!tagOk || (running ? tag < 0 || tag > 9 : tag != 0))
        wrong << QStringLiteral("tag ") + m_form->TimSa->tag();
    if (wrong.isEmpty())
        return QString();
    return QStringLiteral("%1, but %2 differ").arg(running ? "running" : "idle", wrong.join(", "));
}

QString SoakForm1::ballRowViolation() const
{
    static const QRegularExpression twoDigits(QStringLiteral("^[0-9][0-9]$"));
    const bool running = m_form->TimSa->isActive();
    const int stage = m_form->TimSa->tag().toInt();
    std::set<qint16> reds;
    int shownReds = 0;
    bool initial = true;
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        const qint16 chosen = m_form->chosenNumber(p);
        const QLabel *caption = m_form->CapNum[i];
        const bool shown = !caption->isHidden();
        const QListWidget *pool = m_form->ListNumB[i];
        const QString where = QStringLiteral("ball %1").arg(p);
        if (shown == m_form->ImaRed[i]->isHidden())
            return where + QStringLiteral(": caption and picture disagree");
        initial = initial && chosen == 0;
        if (chosen == 0) {
            // Before the first run: every ball shows 08 over an empty pool.
            if (!shown || caption->text() != QLatin1String("08") || pool->count() != 0)
                return where + QStringLiteral(": not as before the first run");
            continue;
        }
        if (chosen == 999) {
            if (shown || pool->count() != 0)
                return where + QStringLiteral(": not drawn, yet shown or with candidates");
            continue;
        }
        const int highest = p < 6 ? 33 : 16;
        if (chosen < 1 || chosen > highest)
            return where + QStringLiteral(": number %1").arg(chosen);
        if (!shown)
            return where + QStringLiteral(": drawn but hidden");
        if (!caption->text().contains(twoDigits) || caption->text().toInt() != chosen)
            return where + QStringLiteral(": caption '%1' for %2").arg(caption->text()).arg(chosen);
        if (pool->count() != 1 || pool->item(0)->text().toInt() != chosen)
            return where + QStringLiteral(": the pool does not hold the survivor alone");
        if (p < 6) {
            reds.insert(chosen);
            ++shownReds;
        }
        // During a run only the positions of the stages already done are drawn: red p at
        // stage p, the blue one from stage 6 on.
        const bool due = p < 6 ? p < stage : stage > 6;
        if (running && !due)
            return where + QStringLiteral(": drawn before its stage %1").arg(stage);
    }
    if (!initial && int(reds.size()) != shownReds)
        return QStringLiteral("the shown ticket repeats a red number");
    if (running) {
        // Everything due before this stage is drawn.
        for (int p = 0; p < std::min(stage, 7); ++p) {
            if (m_form->chosenNumber(p) == 999 || m_form->chosenNumber(p) == 0)
                return QStringLiteral("ball %1 not drawn at stage %2").arg(p).arg(stage);
        }
    }
    return QString();
}

QString SoakForm1::messageViolation(const Message &message) const
{
    if (message.icon == MessageIcon::Warning)
        return m_warningsExpected ? QString() : QStringLiteral("a warning out of the blue");
    // The format message: the run stopped first, and the row quoted is a malformed one, the
    // one selected.
    if (message.runActive)
        return QStringLiteral("the format message came while the run still went on");
    if (!message.text.startsWith(formatMessageStart))
        return QStringLiteral("a message that is not the format message: ") + message.text;
    const QString row = message.text.mid(formatMessageStart.size());
    if (row != message.selectedRow)
        return QStringLiteral("the message quotes '%1', the list shows '%2'")
            .arg(row, message.selectedRow);
    const bool bad = std::any_of(m_list.cbegin(), m_list.cend(),
                                 [&row](const Row &r) { return !r.clean && r.text == row; });
    return bad ? QString() : QStringLiteral("a good row was called malformed: ") + row;
}

QTEST_MAIN(SoakForm1)
#include "soak_form1.moc"
