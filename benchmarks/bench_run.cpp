// The program's speed figures, measured in one run and printed as one table: start-up, the
// validation sweep, the elimination draw, import and save of the largest list, and whether a
// long history slows a whole run down. Run with `make bench`; not part of the test suite.

#include "app/form1.h"
#include "app/messagebox.h"
#include "history/filedialogs.h"
#include "history/historytext.h"
#include "widgets/taggedtimer.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace orbelune;

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

    Form1 *m_form = nullptr;
    int m_messages = 0;
    QMap<int, qint64> m_runMs;
    QList<Figure> m_figures;
};

void BenchRun::init()
{
    m_messages = 0;
    setMessageBoxHandler([this](const MessageBoxRequest &) { ++m_messages; });
    m_form = new Form1;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void BenchRun::cleanup()
{
    delete m_form;
    m_form = nullptr;
    setMessageBoxHandler({});
    setFileDialogHandler({});
}

void BenchRun::startUp()
{
    // The real binary, started afresh each time with the probe preloaded; the clock runs
    // from just before the process is made to the end of the main window's first paint.
    // The first start warms the disk cache and is not counted.
    constexpr int starts = 7;
    QList<double> ms;
    QList<double> peakMb;
    for (int i = 0; i <= starts; ++i) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ORBELUNE_STARTUP_PROBE));
        program.setProcessEnvironment(environment);
        const qint64 before = monotonicNs();
        program.start(QStringLiteral(ORBELUNE_BINARY), {});
        QVERIFY2(program.waitForFinished(20000), "the program did not end after its first paint");
        const QList<QByteArray> report = program.readAllStandardOutput().trimmed().split(' ');
        QVERIFY2(report.size() == 3 && report.at(0) == "first-paint",
                 qPrintable(QString::fromLocal8Bit(program.readAllStandardError())));
        if (i == 0)
            continue;
        ms << double(report.at(1).toLongLong() - before) / 1e6;
        peakMb << double(report.at(2).toLongLong()) * 1024 / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    std::sort(peakMb.begin(), peakMb.end());
    const double startMs = ms.at(ms.size() / 2);
    const double rss = peakMb.last();
    record(QStringLiteral("start-up to first paint (median of %1)").arg(starts),
           QStringLiteral("%1 ms").arg(startMs, 0, 'f', 0), QStringLiteral("< 300 ms"),
           startMs < 300);
    record(QStringLiteral("peak RSS after start-up (highest of %1)").arg(starts),
           QStringLiteral("%1 MB").arg(rss, 0, 'f', 1), QStringLiteral("< 80 MB"), rss < 80);
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
    growHistory(m_form->List1, rows);
    const double ms = medianMs(rows > 877 ? 50 : 200, [this] { m_form->Timer1_Timer(); });
    QCOMPARE(m_messages, 0);
    QCOMPARE(m_form->List1->currentRow(), rows - 1);
    if (rows == largestList)
        record(QStringLiteral("one sweep, 32767 rows"), QStringLiteral("%1 ms").arg(ms, 0, 'f', 3),
               QStringLiteral("< 10 ms"), ms < 10);
    else
        record(QStringLiteral("one sweep, 877 rows"), QStringLiteral("%1 ms").arg(ms, 0, 'f', 3),
               QStringLiteral("< 1 ms"), ms < 1);
}

void BenchRun::eliminationDraw()
{
    // Red position 0 as the first stage of a run sets it up: 33 candidates, 32 thrown out.
    QStringList candidates;
    for (int i = 1; i <= 33; ++i)
        candidates << QString::number(i);
    QListWidget *pool = m_form->ListNumB[0];
    const double ms = medianMs(
        500, [this] { m_form->计算奖球(0, 32); },
        [pool, &candidates] {
            pool->clear();
            pool->addItems(candidates);
        });
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

    const double importMs = medianMs(7, [this, &path] { m_form->导入数据(path); });
    QCOMPARE(m_form->List1->count(), largestList);
    QCOMPARE(m_messages, 0);
    record(QStringLiteral("import, 32767 rows (%1 KB)").arg(file.size() / 1000),
           QStringLiteral("%1 ms").arg(importMs, 0, 'f', 1), QStringLiteral("< 100 ms"),
           importMs < 100);

    const QString result = dir.filePath(QStringLiteral("result.txt"));
    setFileDialogHandler([&result](const FileDialogRequest &) { return result; });
    const double saveMs = medianMs(7, [this] { m_form->savejg_Click(); });
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
    growHistory(m_form->List1, rows);
    int sweeps = 0;
    connect(m_form->Timer1, &QTimer::timeout, m_form, [&sweeps] { ++sweeps; });

    // The real timers, as a user sees a run: from the click to the end of the last stage.
    QElapsedTimer clock;
    clock.start();
    m_form->Command1->click();
    while (m_form->isRunActive())
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
    std::printf("| %-42s | %-12s | %-9s | %-4s |\n", "what", "measured", "target", "met");
    std::printf("|%s|%s|%s|%s|\n", QByteArray(44, '-').constData(), QByteArray(14, '-').constData(),
                QByteArray(11, '-').constData(), QByteArray(6, '-').constData());
    for (const Figure &figure : std::as_const(m_figures)) {
        std::printf("| %-42s | %-12s | %-9s | %-4s |\n", qPrintable(figure.what),
                    qPrintable(figure.measured), qPrintable(figure.target),
                    figure.target.isEmpty() ? ""
                        : figure.met        ? "yes"
                                            : "NO");
    }
    std::fflush(stdout);
}

QTEST_MAIN(BenchRun)
#include "bench_run.moc"
