// How long the validation sweep takes, and whether a long history slows a whole run down.
// Run with `make bench`; not part of the test suite.

#include "app/form1.h"
#include "app/messagebox.h"
#include "app/taggedtimer.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

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

} // namespace

class BenchRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sweep_data();
    void sweep();
    void fullRun_data();
    void fullRun();
    void fullRunRatio();

private:
    Form1 *m_form = nullptr;
    int m_messages = 0;
    QMap<int, qint64> m_runMs;
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
    QBENCHMARK
    {
        m_form->Timer1_Timer();
    }
    QCOMPARE(m_messages, 0);
    QCOMPARE(m_form->List1->currentRow(), rows - 1);
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

    QElapsedTimer clock;
    QBENCHMARK_ONCE
    {
        clock.start();
        m_form->Command1->click();
        while (m_form->isRunActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        m_runMs[rows] = clock.elapsed();
    }
    QCOMPARE(m_messages, 0);
    qInfo("%d rows: full run %lld ms, %d sweeps", rows, m_runMs[rows], sweeps);
}

void BenchRun::fullRunRatio()
{
    if (!m_runMs.contains(877) || !m_runMs.contains(largestList))
        QSKIP("needs both full runs");
    const double ratio = double(m_runMs[largestList]) / double(m_runMs[877]);
    qInfo("full run, 32767 rows against 877: %.3f (target at most 1.05)", ratio);
}

QTEST_MAIN(BenchRun)
#include "bench_run.moc"
