// The analysis run: the start, the stage ticks, the stop and the end, on the main window.

#include "app/form1.h"
#include "app/messagebox.h"
#include "app/svgpicture.h"
#include "app/taggedtimer.h"
#include "draw/randomsource.h"
#include "scriptedrandom.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <set>

using namespace orbelune;

namespace {

// The first difference between the window and one row of the state table, or empty text.
QString stateMismatch(const Form1 *form, bool running, const QString &tag)
{
    QStringList wrong;
    if (form->TimSa->tag() != tag)
        wrong << "tag " + form->TimSa->tag();
    if (form->TimSa->isActive() != running)
        wrong << "TimSa";
    if (form->Timer1->isActive() != running)
        wrong << "Timer1";
    if (form->PicFX->isHidden() == running)
        wrong << "PicFX";
    const bool hourglass
        = form->testAttribute(Qt::WA_SetCursor) && form->cursor().shape() == Qt::WaitCursor;
    if (hourglass != running)
        wrong << "pointer";
    if (form->Command1->isEnabled() == running)
        wrong << "Command1";
    for (const QAction *locked : { form->start, form->data, form->savejg })
        if (locked->isEnabled() == running)
            wrong << locked->objectName();
    for (const QAction *free : { form->stopfx, form->exit, form->about, form->webgo })
        if (!free->isEnabled())
            wrong << free->objectName();
    if (form->isRunActive() != running)
        wrong << "isRunActive";
    return wrong.join(", ");
}

} // namespace

class TestRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullRunFollowsStateTable();
    void endTriggeredByTickReadingNine_data();
    void endTriggeredByTickReadingNine();
    void fullRunResult();
    void stopAfterThreeTicks();
    void stopWhileIdle();
    void startAfterFullRunResetsBallRow();
    void secondStartRefusedDuringRun();
    void eventsDuringStartYield_data();
    void eventsDuringStartYield();
    void realTimersRunToTheEnd();

private:
    void tick(int times);

    Form1 *m_form = nullptr;
    int m_messages = 0;
};

void TestRun::init()
{
    m_form = new Form1;
    m_messages = 0;
    setMessageBoxHandler([this](const MessageBoxRequest &) { ++m_messages; });
}

void TestRun::cleanup()
{
    setMessageBoxHandler({});
    delete m_form;
    m_form = nullptr;
}

void TestRun::tick(int times)
{
    for (int i = 0; i < times; ++i)
        m_form->TimSa_Timer();
}

void TestRun::fullRunFollowsStateTable()
{
    // Each draw looks at its pool when it takes its first random value.
    int stage = 0;
    bool firstValue = true;
    QList<int> poolSizes;
    auto watched = std::make_unique<ScriptedRandom>(QList<float> { 0.42f }, [&] {
        if (firstValue)
            poolSizes << m_form->ListNumB[std::size_t(std::min(stage, 6))]->count();
        firstValue = false;
    });
    m_form->setRandomSource(std::move(watched));

    QVERIFY2(stateMismatch(m_form, false, "0").isEmpty(), "idle at start");
    m_form->Command1_Click();
    for (stage = 0; stage <= 9; ++stage) {
        const QString state = stateMismatch(m_form, true, QString::number(stage));
        QVERIFY2(state.isEmpty(), qPrintable(QStringLiteral("stage %1: %2").arg(stage).arg(state)));
        firstValue = true;
        m_form->TimSa_Timer();
        const int shown = std::min(stage, 6);
        QVERIFY(!m_form->CapNum[std::size_t(shown)]->isHidden());
        QVERIFY(!m_form->ImaRed[std::size_t(shown)]->isHidden());
    }
    QCOMPARE(poolSizes, (QList<int> { 33, 32, 31, 30, 29, 28, 16, 16, 16, 16 }));
    QVERIFY2(stateMismatch(m_form, false, "0").isEmpty(),
             qPrintable(stateMismatch(m_form, false, "0")));
    QCOMPARE(m_messages, 0);
}

void TestRun::endTriggeredByTickReadingNine_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("after");
    QTest::addRow("tick reading 8 goes on") << "8" << true << "9";
    QTest::addRow("tick reading 9 ends the run") << "9" << false << "0";
}

void TestRun::endTriggeredByTickReadingNine()
{
    QFETCH(QString, before);
    QFETCH(bool, running);
    QFETCH(QString, after);
    m_form->start_Click();
    m_form->TimSa->setTag(before);
    m_form->TimSa_Timer();
    QVERIFY2(stateMismatch(m_form, running, after).isEmpty(),
             qPrintable(stateMismatch(m_form, running, after)));
    QCOMPARE(m_form->ListNumB[6]->count(), 1);
}

void TestRun::fullRunResult()
{
    // Always throwing out the first candidate leaves the highest number that is still free:
    // the reds come out in drawing order, 33 down to 28, not sorted.
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.0f }));
    m_form->Command1_Click();
    tick(10);
    const QList<qint16> expected { 33, 32, 31, 30, 29, 28, 16 };
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        QCOMPARE(m_form->chosenNumber(p), expected[p]);
        QCOMPARE(m_form->CapNum[i]->text(), QString::number(expected[p]));
        QCOMPARE(m_form->ListNumB[i]->count(), 1);
        QCOMPARE(m_form->ListNumB[i]->item(0)->text(), QString::number(expected[p]));
        QVERIFY(m_form->ListNumB[i]->item(0)->isSelected());
        QVERIFY(!m_form->CapNum[i]->isHidden());
        QVERIFY(!m_form->ImaRed[i]->isHidden());
    }

    // With the program's own generator: six distinct reds and a blue in range, run after run.
    m_form->setRandomSource(std::make_unique<EngineRandomSource>(2008u));
    for (int run = 0; run < 20; ++run) {
        m_form->Command1_Click();
        tick(10);
        std::set<qint16> reds;
        for (int p = 0; p < 6; ++p) {
            const qint16 red = m_form->chosenNumber(p);
            QVERIFY(red >= 1 && red <= 33);
            QCOMPARE(m_form->ListNumB[std::size_t(p)]->item(0)->text().toShort(), red);
            reds.insert(red);
        }
        QCOMPARE(reds.size(), std::size_t(6));
        QVERIFY(m_form->chosenNumber(6) >= 1 && m_form->chosenNumber(6) <= 16);
    }
}

void TestRun::stopAfterThreeTicks()
{
    m_form->Command1_Click();
    tick(3);
    m_form->stopfx->trigger();
    QVERIFY2(stateMismatch(m_form, false, "0").isEmpty(),
             qPrintable(stateMismatch(m_form, false, "0")));
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        const bool drawn = p < 3;
        QCOMPARE(m_form->CapNum[i]->isHidden(), !drawn);
        QCOMPARE(m_form->ImaRed[i]->isHidden(), !drawn);
        QCOMPARE(m_form->ListNumB[i]->count(), drawn ? 1 : 0);
        QCOMPARE(m_form->chosenNumber(p) == 999, !drawn);
    }

    // A new start begins again at stage 0 with every position reset.
    m_form->Command1->click();
    QVERIFY(stateMismatch(m_form, true, "0").isEmpty());
    for (int p = 0; p < 7; ++p)
        QCOMPARE(m_form->chosenNumber(p), qint16(999));
    m_form->TimSa_Timer();
    QCOMPARE(m_form->TimSa->tag(), QStringLiteral("1"));
    QVERIFY(!m_form->CapNum[0]->isHidden());
    QVERIFY(m_form->CapNum[1]->isHidden());
}

void TestRun::stopWhileIdle()
{
    m_form->stopfx_Click();
    m_form->stopfx_Click();
    QVERIFY(stateMismatch(m_form, false, "0").isEmpty());
    for (int p = 0; p < 7; ++p) {
        QCOMPARE(m_form->CapNum[std::size_t(p)]->text(), QStringLiteral("08"));
        QVERIFY(!m_form->CapNum[std::size_t(p)]->isHidden());
        QCOMPARE(m_form->chosenNumber(p), qint16(0));
    }
}

void TestRun::startAfterFullRunResetsBallRow()
{
    m_form->Command1_Click();
    tick(10);
    QStringList captions;
    for (QLabel *caption : m_form->CapNum)
        captions << caption->text();

    m_form->start->trigger();
    for (int p = 0; p < 7; ++p) {
        const auto i = std::size_t(p);
        QVERIFY(m_form->CapNum[i]->isHidden());
        QVERIFY(m_form->ImaRed[i]->isHidden());
        QCOMPARE(m_form->ListNumB[i]->count(), 0);
        QCOMPARE(m_form->chosenNumber(p), qint16(999));
        QCOMPARE(m_form->CapNum[i]->text(), captions[p]);
    }
    QVERIFY(stateMismatch(m_form, true, "0").isEmpty());
}

void TestRun::secondStartRefusedDuringRun()
{
    m_form->Command1_Click();
    tick(3);
    const QList<qint16> drawn { m_form->chosenNumber(0), m_form->chosenNumber(1),
                                m_form->chosenNumber(2) };

    // Neither the disabled commands nor a call that slips past them restart the run.
    m_form->Command1->click();
    m_form->start->trigger();
    m_form->Command1_Click();
    m_form->start_Click();
    QVERIFY(stateMismatch(m_form, true, "3").isEmpty());
    for (int p = 0; p < 3; ++p) {
        QCOMPARE(m_form->chosenNumber(p), drawn[p]);
        QVERIFY(!m_form->CapNum[std::size_t(p)]->isHidden());
    }
    QCOMPARE(m_form->chosenNumber(3), qint16(999));

    tick(7);
    QVERIFY(stateMismatch(m_form, false, "0").isEmpty());
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
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));

    // Posted before the click, these run inside the start's yield.
    QMetaObject::invokeMethod(
        m_form,
        [this, events] {
            for (const QString &event : events.split(' ')) {
                if (event == "stop")
                    m_form->stopfx->trigger();
                else if (event == "start")
                    m_form->start->trigger();
                else if (event == "close")
                    m_form->close();
            }
        },
        Qt::QueuedConnection);
    m_form->Command1->click();

    if (events == "close") {
        QVERIFY(!m_form->isVisible());
        QVERIFY(!m_form->TimSa->isActive());
        QVERIFY(!m_form->Timer1->isActive());
        QVERIFY(m_form->PicFX->isHidden());
        return;
    }
    QVERIFY2(stateMismatch(m_form, running, "0").isEmpty(),
             qPrintable(stateMismatch(m_form, running, "0")));
    // A cancelled start leaves the ball row as it was; a start that goes on resets it.
    QCOMPARE(m_form->CapNum[0]->isHidden(), running);
    QCOMPARE(m_form->chosenNumber(0), qint16(running ? 999 : 0));
}

void TestRun::realTimersRunToTheEnd()
{
    int stageTicks = 0;
    connect(m_form->TimSa, &QTimer::timeout, m_form, [&stageTicks] { ++stageTicks; });
    QElapsedTimer clock;
    clock.start();
    m_form->Command1->click();
    QVERIFY(m_form->isRunActive());
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->isRunActive(), 30000);

    QVERIFY(clock.elapsed() >= 4900);
    QCOMPARE(stageTicks, 10);
    QVERIFY(stateMismatch(m_form, false, "0").isEmpty());
    for (int p = 0; p < 7; ++p) {
        QCOMPARE(m_form->ListNumB[std::size_t(p)]->count(), 1);
        QVERIFY(!m_form->CapNum[std::size_t(p)]->isHidden());
    }
    // The sweeps ran over the shipped rows without a complaint, ending on the last row.
    QCOMPARE(m_messages, 0);
    QCOMPARE(m_form->List1->currentRow(), m_form->List1->count() - 1);
}

QTEST_MAIN(TestRun)
#include "tst_run.moc"
