// The analysis run: the start, the stage ticks, the stop and the end, on the main window.

#include "testsupport.h"

#include "app/mainwindow.h"
#include "widgets/svgpicture.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <set>

using namespace orbelune;
using namespace orbelune::testing;

class TestRun : public WindowTest
{
    Q_OBJECT

private slots:
    void fullRunFollowsStateTable();
    void fullRunResult();
    void stopAfterThreeTicks();
    void stopWhileIdle();
    void startAfterFullRunResetsBallRow();
    void secondStartRefusedDuringRun();
    void eventsDuringStartYield_data();
    void eventsDuringStartYield();
    void realTimersRunToTheEnd();
    void ticketDiffersFromStartToStart();
};

void TestRun::fullRunFollowsStateTable()
{
    // Each draw looks at its pool when it takes its first random value.
    int stage = 0;
    bool firstValue = true;
    QList<int> poolSizes;
    m_mainWindow->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.42f }, [&] {
        if (std::exchange(firstValue, false))
            poolSizes << ui(m_mainWindow).poolLists[std::size_t(std::min(stage, 6))]->count();
    }));

    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    ui(m_mainWindow).startButton->click();
    for (stage = 0; stage <= 9; ++stage) {
        VERIFY_RUN_STATE(m_mainWindow, true, QString::number(stage));
        firstValue = true;
        fire(ui(m_mainWindow).stageTimer);
        const auto shown = std::size_t(std::min(stage, 6));
        QVERIFY(!ui(m_mainWindow).ballCaptions[shown]->isHidden());
        QVERIFY(!ui(m_mainWindow).ballPictures[shown]->isHidden());
    }
    QCOMPARE(poolSizes, (QList<int> { 33, 32, 31, 30, 29, 28, 16, 16, 16, 16 }));
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    QVERIFY(m_seams->messages.isEmpty());
}

void TestRun::fullRunResult()
{
    // Always throwing out the first candidate leaves the highest number that is still free:
    // the reds come out in drawing order, 33 down to 28, not sorted.
    m_mainWindow->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.0f }));
    runToEnd(m_mainWindow);
    const QList<qint16> expected { 33, 32, 31, 30, 29, 28, 16 };
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        QCOMPARE(drawnNumber(m_mainWindow, p), expected[p]);
        QCOMPARE(ui(m_mainWindow).ballCaptions[i]->text(), QString::number(expected[p]));
        QCOMPARE(items(ui(m_mainWindow).poolLists[i]),
                 QStringList { QString::number(expected[p]) });
        QVERIFY(ui(m_mainWindow).poolLists[i]->item(0)->isSelected());
        QVERIFY(!ui(m_mainWindow).ballCaptions[i]->isHidden());
        QVERIFY(!ui(m_mainWindow).ballPictures[i]->isHidden());
    }

    // With the program's own generator: six distinct reds and a blue in range, run after run.
    m_mainWindow->setRandomSource(std::make_unique<EngineRandomSource>(2008u));
    for (int run = 0; run < 20; ++run) {
        runToEnd(m_mainWindow);
        std::set<qint16> reds;
        for (int p = 0; p < 6; ++p) {
            const qint16 red = drawnNumber(m_mainWindow, p);
            QVERIFY(red >= 1 && red <= 33);
            QCOMPARE(ui(m_mainWindow).poolLists[std::size_t(p)]->item(0)->text().toShort(), red);
            reds.insert(red);
        }
        QCOMPARE(reds.size(), std::size_t(6));
        QVERIFY(drawnNumber(m_mainWindow, 6) >= 1 && drawnNumber(m_mainWindow, 6) <= 16);
    }
}

void TestRun::stopAfterThreeTicks()
{
    ui(m_mainWindow).startButton->click();
    tick(m_mainWindow, 3);
    ui(m_mainWindow).stopAction->trigger();
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        const bool drawn = p < 3;
        QCOMPARE(ui(m_mainWindow).ballCaptions[i]->isHidden(), !drawn);
        QCOMPARE(ui(m_mainWindow).ballPictures[i]->isHidden(), !drawn);
        QCOMPARE(ui(m_mainWindow).poolLists[i]->count(), drawn ? 1 : 0);
    }

    // A new start begins again at stage 0 with every position reset.
    ui(m_mainWindow).startButton->click();
    VERIFY_RUN_STATE(m_mainWindow, true, "0");
    fire(ui(m_mainWindow).stageTimer);
    QCOMPARE(QString::number(stage(m_mainWindow)), QStringLiteral("1"));
    QVERIFY(!ui(m_mainWindow).ballCaptions[0]->isHidden());
    QVERIFY(ui(m_mainWindow).ballCaptions[1]->isHidden());
}

void TestRun::stopWhileIdle()
{
    // The window as it opens, and as two stops leave it: seven "08" over empty pools.
    ui(m_mainWindow).stopAction->trigger();
    ui(m_mainWindow).stopAction->trigger();
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
    for (std::size_t p = 0; p < 7; ++p) {
        QCOMPARE(ui(m_mainWindow).ballCaptions[p]->text(), QStringLiteral("08"));
        QVERIFY(!ui(m_mainWindow).ballCaptions[p]->isHidden());
        QCOMPARE(ui(m_mainWindow).poolLists[p]->count(), 0);
    }
}

void TestRun::startAfterFullRunResetsBallRow()
{
    runToEnd(m_mainWindow);
    QStringList captions;
    for (QLabel *caption : ui(m_mainWindow).ballCaptions)
        captions << caption->text();

    ui(m_mainWindow).startAction->trigger();
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        QVERIFY(ui(m_mainWindow).ballCaptions[i]->isHidden());
        QVERIFY(ui(m_mainWindow).ballPictures[i]->isHidden());
        QCOMPARE(ui(m_mainWindow).poolLists[i]->count(), 0);
        QCOMPARE(ui(m_mainWindow).ballCaptions[i]->text(), captions[p]);
    }
    VERIFY_RUN_STATE(m_mainWindow, true, "0");
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
    for (int p = 0; p < 3; ++p) {
        QCOMPARE(drawnNumber(m_mainWindow, p), drawn[p]);
        QVERIFY(!ui(m_mainWindow).ballCaptions[std::size_t(p)]->isHidden());
    }
    QVERIFY(ui(m_mainWindow).ballCaptions[3]->isHidden());
    tick(m_mainWindow, 7);
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
}

void TestRun::eventsDuringStartYield_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<bool>("running");
    QTest::addRow("stop cancels the start") << "stop" << false;
    QTest::addRow("stop, then a new start that owns the run") << "stop start" << true;
    QTest::addRow("closing the window") << "close" << false;
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
            for (const QString &event : events.split(' ')) {
                if (event == "stop")
                    ui(m_mainWindow).stopAction->trigger();
                else if (event == "start")
                    ui(m_mainWindow).startAction->trigger();
                else
                    m_mainWindow->close();
            }
        },
        Qt::QueuedConnection);
    ui(m_mainWindow).startButton->click();

    if (events == "close") {
        QVERIFY(!m_mainWindow->isVisible());
        QVERIFY(!ui(m_mainWindow).stageTimer->isActive());
        QVERIFY(!ui(m_mainWindow).sweepTimer->isActive());
        QVERIFY(ui(m_mainWindow).analysisBadge->isHidden());
        return;
    }
    VERIFY_RUN_STATE(m_mainWindow, running, "0");
    // A cancelled start leaves the ball row as it was; a start that goes on resets it.
    QCOMPARE(ui(m_mainWindow).ballCaptions[0]->isHidden(), running);
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
    for (int p = 0; p < 7; ++p) {
        QCOMPARE(ui(m_mainWindow).poolLists[std::size_t(p)]->count(), 1);
        QVERIFY(!ui(m_mainWindow).ballCaptions[std::size_t(p)]->isHidden());
    }
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
