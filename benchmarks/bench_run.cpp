// The program's speed figures, measured in one run and printed as one table: start-up, the
// validation sweep, the elimination draw, import and save of the largest list, and whether a
// long history slows a whole run down. Run with `make bench`; not part of the test suite.

#include "app/filedialogs.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "history/historytext.h"
#include "testsupport.h"

#include <QAction>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

using namespace orbelune;
// The window's parts are private: the bench reaches them as the widget tests do, by their
// object names, and runs their handlers through the signals that call them.
using orbelune::testing::fire;
using orbelune::testing::isRunning;
using orbelune::testing::MainWindowUi;
using orbelune::testing::ui;

namespace {

constexpr int largestList = 32767;

// Grows the shipped history to n rows by repeating it, so that every row is a real one.
void growHistory(QListWidget *list, int n)
{
    QStringList shipped;
    for (int i = 0; i < list->count(); ++i)
        shipped << list->item(i)->text();
    QStringList rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i)
        rows << shipped[i % shipped.size()];
    list->clear();
    list->addItems(rows);
}

// The median time of runs of what, in milliseconds; prepare runs untimed before each.
double medianMs(int runs, const std::function<void()> &what,
                const std::function<void()> &prepare = {})
{
    QList<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        clock.start();
        what();
        times << double(clock.nsecsElapsed()) / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

qint64 monotonicNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

QString cpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown CPU");
}

// One line of the table: what, the figure, and the target it is held against, if any.
struct Figure
{
    QString what;
    QString measured;
    QString target;
    bool met = true;
};

} // namespace

class BenchRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void startUp_data();
    void startUp();
    void sweep_data();
    void sweep();
    void eliminationDraw();
    void importAndSave();
    void fullRun_data();
    void fullRun();
    void fullRunRatio();

private:
    void record(const QString &what, const QString &measured, const QString &target = {},
                bool met = true)
    {
        m_figures.append({ what, measured, target, met });
    }

    MainWindow *m_mainWindow = nullptr;
    int m_messages = 0;
    QMap<int, qint64> m_runMs;
    QList<Figure> m_figures;
};

void BenchRun::init()
{
    m_messages = 0;
    setMessageBoxHandler([this](const MessageBoxRequest &) { ++m_messages; });
    m_mainWindow = new MainWindow;
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
}

void BenchRun::cleanup()
{
    delete m_mainWindow;
    m_mainWindow = nullptr;
    setMessageBoxHandler({});
    setFileDialogHandler({});
}

namespace {

// What one start of a program reported: the end of its first paint, as a duration from just
// before the process was made, and its peak resident memory at that moment.
struct Start
{
    double ms = 0;
    double peakMb = 0;
};

// Starts binary once with the probe preloaded and waits for the probe's report. Returns the
// error text, or empty text when start was filled in.
QString startOnce(const QString &binary, QProcessEnvironment environment, Start *start)
{
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ORBELUNE_STARTUP_PROBE));
    QProcess program;
    program.setProcessEnvironment(environment);
    const qint64 before = monotonicNs();
    program.start(binary, {});
    if (!program.waitForFinished(20000)) {
        program.kill();
        program.waitForFinished();
        return binary + QStringLiteral(" did not end after its first paint");
    }
    const QList<QByteArray> report = program.readAllStandardOutput().trimmed().split(' ');
    if (report.size() != 3 || report.at(0) != "first-paint")
        return binary + QStringLiteral(": ")
            + QString::fromLocal8Bit(program.readAllStandardError()).trimmed();
    start->ms = double(report.at(1).toLongLong() - before) / 1e6;
    start->peakMb = double(report.at(2).toLongLong()) * 1024 / 1e6;
    return {};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// An X server of the bench's own, so that the X11 figures need no desktop and no DISPLAY:
// Xvfb picks a free display itself and names it on standard output.
class VirtualScreen
{
public:
    VirtualScreen()
    {
        m_server.start(QStringLiteral("Xvfb"),
                       { QStringLiteral("-displayfd"), QStringLiteral("1"),
                         QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp") });
        if (!m_server.waitForStarted(5000))
            return;
        while (!m_server.canReadLine() && m_server.waitForReadyRead(10000)) { }
        const QByteArray display = m_server.readLine().trimmed();
        if (!display.isEmpty())
            m_display = QStringLiteral(":") + QString::fromLatin1(display);
    }
    ~VirtualScreen()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
    }

    QString display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

} // namespace

void BenchRun::startUp_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addRow("offscreen") << QStringLiteral("offscreen");
    QTest::addRow("xcb") << QStringLiteral("xcb");
}

void BenchRun::startUp()
{
    // The real binary and the reference program, each started afresh with the probe
    // preloaded, in turn and with the order swapped every pair, so that a load that comes
    // and goes on the machine falls on both alike. The first start of each warms the disk
    // cache and is not counted.
    QFETCH(QString, platform);
    constexpr int starts = 15;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    std::unique_ptr<VirtualScreen> screen;
    if (platform == QLatin1String("xcb")) {
        screen = std::make_unique<VirtualScreen>();
        QVERIFY2(!screen->display().isEmpty(), "Xvfb did not start");
        environment.insert(QStringLiteral("DISPLAY"), screen->display());
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }

    const QString programs[2]
        = { QStringLiteral(ORBELUNE_BINARY), QStringLiteral(ORBELUNE_STARTUP_REFERENCE) };
    QList<double> ms[2];
    QList<double> peakMb[2];
    for (int i = 0; i <= starts; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2;
            Start start;
            const QString error = startOnce(programs[which], environment, &start);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            if (i == 0)
                continue;
            ms[which] << start.ms;
            peakMb[which] << start.peakMb;
        }
    }

    if (platform == QLatin1String("offscreen")) {
        const double startMs = median(ms[0]);
        const double rss = *std::max_element(peakMb[0].cbegin(), peakMb[0].cend());
        record(QStringLiteral("start-up to first paint (median of %1)").arg(starts),
               QStringLiteral("%1 ms").arg(startMs, 0, 'f', 0), QStringLiteral("< 300 ms"),
               startMs < 300);
        record(QStringLiteral("peak RSS after start-up (highest of %1)").arg(starts),
               QStringLiteral("%1 MB").arg(rss, 0, 'f', 1), QStringLiteral("< 80 MB"), rss < 80);
    }
    // Side by side with the reference: medians of the same number of starts, and their ratio.
    const auto sideBySide = [this, &platform](const QString &what, const QList<double>(&values)[2],
                                              const char *unit, int decimals) {
        const double ratio = median(values[0]) / median(values[1]);
        record(QStringLiteral("%1, %2: Orbelune / reference").arg(what, platform),
               QStringLiteral("%1 / %2 %3 = %4")
                   .arg(median(values[0]), 0, 'f', decimals)
                   .arg(median(values[1]), 0, 'f', decimals)
                   .arg(QLatin1String(unit))
                   .arg(ratio, 0, 'f', 2),
               QStringLiteral("<= 1.20"), ratio <= 1.2);
    };
    sideBySide(QStringLiteral("first paint"), ms, "ms", 0);
    sideBySide(QStringLiteral("peak RSS"), peakMb, "MB", 1);
}

void BenchRun::sweep_data()
{
    QTest::addColumn<int>("rows");
    QTest::addRow("877 shipped rows") << 877;
    QTest::addRow("32767 rows") << largestList;
}

void BenchRun::sweep()
{
    QFETCH(int, rows);
    growHistory(ui(m_mainWindow).historyList, rows);
    QTimer *sweepTimer = ui(m_mainWindow).sweepTimer;
    const double ms = medianMs(rows > 877 ? 50 : 200, [sweepTimer] { fire(sweepTimer); });
    QCOMPARE(m_messages, 0);
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), rows - 1);
    if (rows == largestList)
        record(QStringLiteral("one sweep, 32767 rows"), QStringLiteral("%1 ms").arg(ms, 0, 'f', 3),
               QStringLiteral("< 10 ms"), ms < 10);
    else
        record(QStringLiteral("one sweep, 877 rows"), QStringLiteral("%1 ms").arg(ms, 0, 'f', 3),
               QStringLiteral("< 1 ms"), ms < 1);
}

void BenchRun::eliminationDraw()
{
    // The first stage of a run: red position 0's pool filled with 33 candidates, 32 of them
    // thrown out. Each time a fresh run, stopped at once, so that no number is chosen yet; the
    // stage is then run by hand.
    const MainWindowUi &parts = ui(m_mainWindow);
    QListWidget *pool = parts.poolLists[0];
    const double ms = medianMs(
        500, [&parts] { fire(parts.stageTimer); },
        [&parts] {
            parts.stopAction->trigger();
            parts.startButton->click();
            parts.stageTimer->stop();
            parts.sweepTimer->stop();
        });
    parts.stopAction->trigger();
    QCOMPARE(pool->count(), 1);
    record(QStringLiteral("one elimination draw, pool of 33"),
           QStringLiteral("%1 ms").arg(ms, 0, 'f', 3));
}

void BenchRun::importAndSave()
{
    QTemporaryDir dir;
    QByteArray file;
    QFile shipped(QStringLiteral(":/history.txt"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = shipped.readAll().split('\n');
    for (int i = 0; i < largestList; ++i)
        file += rows.at(i % 877).trimmed() + "\r\n";
    const QString path = dir.filePath(QStringLiteral("history.txt"));
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(file), file.size());
    }

    // The menu's commands, their dialog answered at once with the file.
    setFileDialogHandler([&path](const FileDialogRequest &) { return path; });
    QAction *importAction = ui(m_mainWindow).importAction;
    const double importMs = medianMs(7, [importAction] { importAction->trigger(); });
    QCOMPARE(ui(m_mainWindow).historyList->count(), largestList);
    QCOMPARE(m_messages, 0);
    record(QStringLiteral("import, 32767 rows (%1 KB)").arg(file.size() / 1000),
           QStringLiteral("%1 ms").arg(importMs, 0, 'f', 1), QStringLiteral("< 100 ms"),
           importMs < 100);

    const QString result = dir.filePath(QStringLiteral("result.txt"));
    setFileDialogHandler([&result](const FileDialogRequest &) { return result; });
    QAction *saveAction = ui(m_mainWindow).saveAction;
    const double saveMs = medianMs(7, [saveAction] { saveAction->trigger(); });
    QCOMPARE(m_messages, 0);
    QVERIFY(QFileInfo(result).size() > file.size());
    record(QStringLiteral("save, 32767 rows"), QStringLiteral("%1 ms").arg(saveMs, 0, 'f', 1));
}

void BenchRun::fullRun_data()
{
    sweep_data();
}

void BenchRun::fullRun()
{
    QFETCH(int, rows);
    growHistory(ui(m_mainWindow).historyList, rows);
    int sweeps = 0;
    connect(ui(m_mainWindow).sweepTimer, &QTimer::timeout, m_mainWindow, [&sweeps] { ++sweeps; });

    // The real timers, as a user sees a run: from the click to the end of the last stage.
    QElapsedTimer clock;
    clock.start();
    ui(m_mainWindow).startButton->click();
    while (isRunning(m_mainWindow))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    m_runMs[rows] = clock.elapsed();
    QCOMPARE(m_messages, 0);
    record(QStringLiteral("full run, %1 rows (%2 sweeps)").arg(rows).arg(sweeps),
           QStringLiteral("%1 ms").arg(m_runMs[rows]));
}

void BenchRun::fullRunRatio()
{
    if (!m_runMs.contains(877) || !m_runMs.contains(largestList))
        QSKIP("needs both full runs");
    const double ratio = double(m_runMs[largestList]) / double(m_runMs[877]);
    record(QStringLiteral("full run, 32767 rows / 877 rows"), QString::number(ratio, 'f', 3),
           QStringLiteral("<= 1.05"), ratio <= 1.05);
}

void BenchRun::cleanupTestCase()
{
    std::printf("\nOrbelune speed, %s, %d cores, %s, Qt %s\n\n",
                qPrintable(QDate::currentDate().toString(Qt::ISODate)), QThread::idealThreadCount(),
                qPrintable(cpuModel()), qVersion());
    std::printf("| %-44s | %-21s | %-9s | %-4s |\n", "what", "measured", "target", "met");
    std::printf("|%s|%s|%s|%s|\n", QByteArray(46, '-').constData(), QByteArray(23, '-').constData(),
                QByteArray(11, '-').constData(), QByteArray(6, '-').constData());
    for (const Figure &figure : std::as_const(m_figures)) {
        std::printf("| %-44s | %-21s | %-9s | %-4s |\n", qPrintable(figure.what),
                    qPrintable(figure.measured), qPrintable(figure.target),
                    figure.target.isEmpty() ? ""
                        : figure.met        ? "yes"
                                            : "NO");
    }
    std::fflush(stdout);
}

QTEST_MAIN(BenchRun)
#include "bench_run.moc"
