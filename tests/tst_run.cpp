// The main window as it opens, and the analysis run on it: the start, the stage ticks with the
// elimination draw on the pools, the stop and the end.

#include "testsupport.h"

#include "app/mainwindow.h"
#include "widgets/appstyle.h"

#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>

#include <cmath>

using namespace orbelune;
using namespace orbelune::testing;

class TestRun : public WindowTest
{
    Q_OBJECT

private slots:
    // What the program does before it builds a window.
    void initTestCase() { installProgramLook(); }

    void opensIdle();
    void fullRunFollowsStateTable();
    void fullRunResult();
    void survivorIsUniform();
    void stopAfterThreeTicks();
    void startAfterFullRunResetsBallRow();
    void secondStartRefusedDuringRun();
    void eventsDuringStartYield_data();
    void eventsDuringStartYield();
    void realTimersRunToTheEnd();
    void ticketDiffersFromStartToStart();
};

void TestRun::opensIdle()
{
    QListWidget *list = ui(m_mainWindow).historyList;
    QCOMPARE(list->count(), 877);
    QCOMPARE(list->item(0)->text(), QStringLiteral("04,11,12,14,20,30 13"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("10,11,12,15,26,29 09"));
    QCOMPARE(list->item(876)->text(), QStringLiteral("04,08,12,15,19,28 01"));
    // Counted from 1: the row kept in drawing order, and the row that stands twice.
    QCOMPARE(list->item(562)->text(), QStringLiteral("09,27,14,05,31,32 13"));
    QCOMPARE(list->item(421)->text(), QStringLiteral("09,11,13,27,31,33 10"));
    QCOMPARE(list->item(574)->text(), QStringLiteral("09,11,13,27,31,33 10"));
    QCOMPARE(list->currentRow(), -1);
    // Seven "08" over empty pools, as two stops leave them.
    VERIFY_BALL_ROW(m_mainWindow, -1);
    ui(m_mainWindow).stopAction->trigger();
    ui(m_mainWindow).stopAction->trigger();
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    VERIFY_BALL_ROW(m_mainWindow, -1);

    QCOMPARE(m_mainWindow->windowTitle(), QStringLiteral("Orbelune Ver1.2"));
    QCOMPARE(ui(m_mainWindow).sweepTimer->interval(), 10);
    QCOMPARE(ui(m_mainWindow).ballCaptions[0]->accessibleName(), QStringLiteral("红球 1：08"));
    QCOMPARE(ui(m_mainWindow).ballCaptions[6]->accessibleName(), QStringLiteral("蓝球：08"));

    // A fixed client area below the menu bar, in a window that cannot be maximised.
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    QCOMPARE(m_mainWindow->centralWidget()->size(), QSize(662, 470));
    QCOMPARE(m_mainWindow->centralWidget()->y(), m_mainWindow->menuBar()->height());
    QCOMPARE(m_mainWindow->minimumSize(), m_mainWindow->maximumSize());
    QVERIFY(!(m_mainWindow->windowFlags() & Qt::WindowMaximizeButtonHint));
    // Each caption on the middle of its ball: tst_programlook's otherCjkFace.

    // The badge covers the greeting, stacked above it.
    QCOMPARE(ui(m_mainWindow).greetingLabel->text(), QStringLiteral("祝您中奖！"));
    QVERIFY(ui(m_mainWindow)
                .analysisBadge->geometry()
                .contains(ui(m_mainWindow).greetingLabel->geometry()));
    const QObjectList order = ui(m_mainWindow).resultFrame->children();
    QVERIFY(order.indexOf(ui(m_mainWindow).analysisBadge)
            > order.indexOf(ui(m_mainWindow).greetingLabel));
}

void TestRun::fullRunFollowsStateTable()
{
    // Each draw looks at its pool when it takes its first random value. The first pool shrinks
    // in place: each value throws out the candidate at floor(n × r) of those left, the others
    // keep their order, and the survivor is the first one left.
    const QList<float> values { 0.5f, std::nextafter(1.0f, 0.0f), 0.0f, 2.0f / 30.0f };
    QStringList expected;
    for (int i = 1; i <= 33; ++i)
        expected.append(QString::number(i));
    int stage = 0;
    int calls = 0;
    bool firstValue = true;
    QList<int> poolSizes;
    QStringList outOfOrder;
    m_mainWindow->setRandomSource(std::make_unique<ScriptedRandom>(values, [&] {
        const QListWidget *pool = ui(m_mainWindow).poolLists[std::size_t(std::min(stage, 6))];
        if (std::exchange(firstValue, false))
            poolSizes << pool->count();
        if (stage == 0 && calls > 0)
            expected.removeAt(int(float(expected.size()) * values.value(calls - 1, values.last())));
        if (stage == 0 && items(pool) != expected)
            outOfOrder << QString::number(calls);
        ++calls;
    }));

    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    ui(m_mainWindow).startButton->click();
    for (stage = 0; stage <= 9; ++stage) {
        VERIFY_RUN_STATE(m_mainWindow, true, QString::number(stage));
        firstValue = true;
        fire(ui(m_mainWindow).stageTimer);
    }
    QCOMPARE(poolSizes, (QList<int> { 33, 32, 31, 30, 29, 28, 16, 16, 16, 16 }));
    QVERIFY2(outOfOrder.isEmpty(),
             qPrintable("pool 0 out of order at calls " + outOfOrder.join(", ")));
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    QVERIFY(m_seams->messages.isEmpty());
}

void TestRun::fullRunResult()
{
    // Always throwing out the first candidate leaves the highest number that is still free:
    // the reds come out in drawing order, 33 down to 28, not sorted.
    m_mainWindow->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.0f }));
    runToEnd(m_mainWindow);
    VERIFY_BALL_ROW(m_mainWindow, 7);
    const QList<int> expected { 33, 32, 31, 30, 29, 28, 16 };
    for (int p = 0; p < 7; ++p) {
        QCOMPARE(drawnNumber(m_mainWindow, p), expected[p]);
        QVERIFY(ui(m_mainWindow).poolLists[std::size_t(p)]->item(0)->isSelected());
    }

    // With the program's own generator: six distinct reds and a blue in range, run after run.
    m_mainWindow->setRandomSource(std::make_unique<EngineRandomSource>(2008u));
    for (int run = 0; run < 20; ++run) {
        runToEnd(m_mainWindow);
        VERIFY_BALL_ROW(m_mainWindow, 7);
    }
}

void TestRun::survivorIsUniform()
{
    // Each of 33 candidates must survive equally often with the program's own generator;
    // the seed is fixed so that the test gives the same answer on every run.
    constexpr int candidates = 33;
    constexpr int draws = 3300;
    m_mainWindow->setRandomSource(std::make_unique<EngineRandomSource>(20081226u));
    std::array<int, candidates> survived {};
    for (int d = 0; d < draws; ++d) {
        ui(m_mainWindow).startButton->click();
        fire(ui(m_mainWindow).stageTimer);
        ++survived[std::size_t(drawnNumber(m_mainWindow, 0) - 1)];
        ui(m_mainWindow).stopAction->trigger();
    }
    const double expected = double(draws) / candidates;
    double chiSquare = 0.0;
    for (int count : survived)
        chiSquare += (count - expected) * (count - expected) / expected;
    // 32 degrees of freedom: 62.5 is the 99.9 % quantile.
    QVERIFY2(chiSquare < 62.5, qPrintable(QString::number(chiSquare)));
}

void TestRun::stopAfterThreeTicks()
{
    ui(m_mainWindow).startButton->click();
    tick(m_mainWindow, 3);
    ui(m_mainWindow).stopAction->trigger();
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    VERIFY_BALL_ROW(m_mainWindow, 3);

    // A new start begins again at stage 0 with every position reset.
    ui(m_mainWindow).startButton->click();
    VERIFY_RUN_STATE(m_mainWindow, true, "0");
    fire(ui(m_mainWindow).stageTimer);
    VERIFY_RUN_STATE(m_mainWindow, true, "1");
}

void TestRun::startAfterFullRunResetsBallRow()
{
    runToEnd(m_mainWindow);
    QStringList captions;
    for (QLabel *caption : ui(m_mainWindow).ballCaptions)
        captions << caption->text();

    // Hidden over empty pools, the captions keep their numbers until they are drawn again.
    ui(m_mainWindow).startAction->trigger();
    VERIFY_RUN_STATE(m_mainWindow, true, "0");
    for (int p = 0; p < 7; ++p)
        QCOMPARE(ui(m_mainWindow).ballCaptions[std::size_t(p)]->text(), captions[p]);
}

void TestRun::secondStartRefusedDuringRun()
{
    QVERIFY(showActive(m_mainWindow));
    ui(m_mainWindow).startButton->click();
    tick(m_mainWindow, 3);
    const QList<int> drawn { drawnNumber(m_mainWindow, 0), drawnNumber(m_mainWindow, 1),
                             drawnNumber(m_mainWindow, 2) };

    // Neither the disabled commands nor a call that slips past them restart the run.
    ui(m_mainWindow).startButton->click();
    ui(m_mainWindow).startAction->trigger();
    ui(m_mainWindow).startButton->click();
    QTest::keyClick(m_mainWindow, Qt::Key_Return);
    VERIFY_RUN_STATE(m_mainWindow, true, "3");
    for (int p = 0; p < 3; ++p)
        QCOMPARE(drawnNumber(m_mainWindow, p), drawn[p]);
    tick(m_mainWindow, 7);
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
}

void TestRun::eventsDuringStartYield_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<bool>("running");
    QTest::addRow("stop cancels the start") << "stop" << false;
    QTest::addRow("stop, then a new start that owns the run") << "stop start" << true;
}

void TestRun::eventsDuringStartYield()
{
    QFETCH(QString, events);
    QFETCH(bool, running);
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));

    // Posted before the click, these run inside the start's yield.
    QMetaObject::invokeMethod(
        m_mainWindow,
        [this, events] {
            for (const QString &event : events.split(' '))
                (event == "stop" ? ui(m_mainWindow).stopAction : ui(m_mainWindow).startAction)
                    ->trigger();
        },
        Qt::QueuedConnection);
    ui(m_mainWindow).startButton->click();
    VERIFY_RUN_STATE(m_mainWindow, running, "0");
    // A cancelled start leaves the ball row as it was; a start that goes on resets it.
    VERIFY_BALL_ROW(m_mainWindow, running ? 0 : -1);
}

void TestRun::realTimersRunToTheEnd()
{
    QElapsedTimer clock;
    QList<qint64> stageTicks;
    connect(ui(m_mainWindow).stageTimer, &QTimer::timeout, m_mainWindow,
            [&] { stageTicks << clock.elapsed(); });
    // A coarse timer pulls each tick by up to 5 % towards a whole half second of the monotonic
    // clock: started a tenth of a second after one, its ticks come early.
    clock.start();
    QTest::qSleep(int((600 - clock.msecsSinceReference() % 500) % 500));
    clock.start();
    ui(m_mainWindow).startButton->click();
    QVERIFY(isRunning(m_mainWindow));
    QTRY_VERIFY_WITH_TIMEOUT(!isRunning(m_mainWindow), 30000);

    // Half a second a stage, none early, and 5 s ± 5 % the run: a very coarse timer takes a
    // second a tick.
    QCOMPARE(stageTicks.size(), 10);
    const QString times = QDebug::toString(stageTicks);
    for (int k = 0; k < 10; ++k)
        QVERIFY2(stageTicks[k] >= 500 * (k + 1) - 20, qPrintable(times));
    QVERIFY2(stageTicks.last() <= 5250, qPrintable(times));
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    VERIFY_BALL_ROW(m_mainWindow, 7);
    // The sweeps ran over the shipped rows without a complaint, ending on the last row.
    QVERIFY(m_seams->messages.isEmpty());
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), ui(m_mainWindow).historyList->count() - 1);
}

void TestRun::ticketDiffersFromStartToStart()
{
    // Run in a fresh process, as the program starts, this test draws a whole ticket with the
    // window's own generator and prints it.
    if (qEnvironmentVariableIsSet("ORBELUNE_PRINT_TICKET")) {
        runToEnd(m_mainWindow);
        QStringList captions;
        for (const QLabel *caption : ui(m_mainWindow).ballCaptions)
            captions << caption->text();
        qInfo("ticket %s", qPrintable(captions.join(',')));
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORBELUNE_PRINT_TICKET"), QStringLiteral("1"));
    QStringList tickets;
    for (int start = 0; start < 2; ++start) {
        QString output;
        const QString failure = rowInFreshProcess(environment, &output);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QRegularExpressionMatch ticket
            = QRegularExpression(QStringLiteral("ticket ([0-9,]+)")).match(output);
        QVERIFY(ticket.hasMatch());
        tickets << ticket.captured(1);
    }
    QVERIFY2(tickets[0] != tickets[1], qPrintable(tickets.join(QStringLiteral(" and "))));
}

QTEST_MAIN(TestRun)
#include "tst_run.moc"
