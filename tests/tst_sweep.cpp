// The validation sweep on the main window: which rows stop the run, what the user is told,
// where the selection ends, and what may happen while the sweep hands control out.

#include "testsupport.h"

#include "app/failuretext.h"
#include "app/mainwindow.h"

#include <QListWidget>
#include <QPushButton>

#include <QMessageBox>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

// The window at the moment a message box was asked for.
struct Moment
{
    int selectedRow = -1;
    QString unrested; // how the window differed from one at rest, the run stopped
};

const QString malformedSentinel = QStringLiteral("01,02,03,04,05,06 99");

} // namespace

class TestSweep : public WindowTest
{
    Q_OBJECT

private slots:
    void init();

    void singleRow_data();
    void singleRow();
    void twoMalformedRowsInOneTick();
    void emptyListLetsRunGoOn();
    void completeSweepSelectsLastRow();
    void eventsDuringSweepYield_data();
    void eventsDuringSweepYield();
    void listEmptiedBehindMessage();
    void longRowMessageAtOnce_data();
    void longRowMessageAtOnce();

private:
    // Starts a run over an empty list, so that no stray tick in the start's yield sees the
    // rows, then puts the rows in.
    void startRunWithRows(const QStringList &rows)
    {
        ui(m_mainWindow).historyList->clear();
        ui(m_mainWindow).startButton->click();
        ui(m_mainWindow).historyList->addItems(rows);
    }

    QList<Moment> m_moments;
    std::function<void()> m_onShown;
};

void TestSweep::init()
{
    WindowTest::init();
    // The test gives every tick itself: a real one coming in a yield on a slow machine would
    // sweep the rows a second time.
    ui(m_mainWindow).sweepTimer->setInterval(24 * 60 * 60 * 1000);
    ui(m_mainWindow).stageTimer->setInterval(24 * 60 * 60 * 1000);
    m_moments.clear();
    m_onShown = nullptr;
    m_seams->onMessage = [this](const MessageBoxRequest &) {
        m_moments.append({ ui(m_mainWindow).historyList->currentRow(),
                           runStateMismatch(m_mainWindow, false, "0") });
        if (m_onShown)
            m_onShown();
    };
}

void TestSweep::singleRow_data()
{
    // Each row is followed by a malformed one: a row that passes leaves one message (the
    // follower's), the normal path two, the error path one, its own, and its row selected.
    // The rules themselves are tst_history's; here one row per verdict, end to end.
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("quoted"); // by the messages, in order
    QTest::addColumn<int>("endRow"); // where the selection ends
    const QString outOfRange = QStringLiteral("01,02,03,04,05,06 17");
    const QString unreadable = QStringLiteral("01,02,03,04");
    QTest::addRow("row that passes")
        << "10,11,12,15,26,29 09" << QStringList { malformedSentinel } << 1;
    QTest::addRow("blank row skipped") << "     " << QStringList { malformedSentinel } << 1;
    QTest::addRow("value out of range")
        << outOfRange << QStringList { outOfRange, malformedSentinel } << 1;
    QTest::addRow("row that cannot be read") << unreadable << QStringList { unreadable } << 0;
}

void TestSweep::singleRow()
{
    QFETCH(QString, row);
    QFETCH(QStringList, quoted);
    QFETCH(int, endRow);
    startRunWithRows({ row, malformedSentinel });
    QVERIFY(isRunning(m_mainWindow));
    fire(ui(m_mainWindow).sweepTimer);

    QStringList told;
    for (qsizetype i = 0; i < m_moments.size(); ++i) {
        const MessageBoxRequest &request = m_seams->messages.at(i);
        const QString shown
            = ui(m_mainWindow).historyList->item(m_moments.at(i).selectedRow)->text();
        QCOMPARE(request.title, QStringLiteral("Orbelune"));
        QCOMPARE(request.icon, MessageIcon::None);
        QCOMPARE(request.parent, m_mainWindow);
        // The run was stopped before the user is told, and the row told is the one selected.
        QCOMPARE(m_moments.at(i).unrested, QString());
        QCOMPARE(request.text, rowFormatMessage(shown));
        told << shown;
    }
    QCOMPARE(told, quoted);
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), endRow);
    VERIFY_RUN_STATE(m_mainWindow, false, "0");
}

void TestSweep::twoMalformedRowsInOneTick()
{
    startRunWithRows({ "01,02,03,04,05,06 07", "34,01,02,03,04,05 06", "01,02,03,04,05,06 08",
                       "01,02,03,04,05,06 17", "01,02,03,04,05,06 09" });
    setStage(m_mainWindow, 4);
    // After the first message, make the window look busy again: only a second stop can
    // put it back to rest before the second message.
    m_onShown = [this] {
        setStage(m_mainWindow, 7);
        ui(m_mainWindow).startButton->setEnabled(false);
    };
    fire(ui(m_mainWindow).sweepTimer);

    QCOMPARE(m_moments.size(), 2);
    QCOMPARE(m_moments[0].selectedRow, 1);
    QCOMPARE(m_moments[1].selectedRow, 3);
    QVERIFY(m_seams->messages[0].text.endsWith(u"\r\n\r\n\u206834,01,02,03,04,05 06\u2069"));
    QVERIFY(m_seams->messages[1].text.endsWith(u"\r\n\r\n\u206801,02,03,04,05,06 17\u2069"));
    QCOMPARE(m_moments[0].unrested, QString());
    QCOMPARE(m_moments[1].unrested, QString());
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), 4);
}

void TestSweep::emptyListLetsRunGoOn()
{
    startRunWithRows({});
    fire(ui(m_mainWindow).sweepTimer);
    QVERIFY(m_seams->messages.isEmpty());
    VERIFY_RUN_STATE(m_mainWindow, true, "0");
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), -1);
}

void TestSweep::completeSweepSelectsLastRow()
{
    // The shipped rows all pass (tst_run's realTimersRunToTheEnd), and a blank last row is
    // still where the sweep ends.
    ui(m_mainWindow).startButton->click();
    ui(m_mainWindow).historyList->addItem(QStringLiteral("   "));
    ui(m_mainWindow).historyList->setCurrentRow(5);
    fire(ui(m_mainWindow).sweepTimer);
    QVERIFY(isRunning(m_mainWindow));
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), 877);
    QVERIFY(m_seams->messages.isEmpty());
}

void TestSweep::eventsDuringSweepYield_data()
{
    // The window closed in the yield is exit_during_sweep-yield's and the soak's.
    QTest::addColumn<bool>("stop"); // or the last stage tick ends the run
    QTest::addRow("stop: the sweep still runs") << true;
    QTest::addRow("last stage tick ends the run: the sweep still runs") << false;
}

void TestSweep::eventsDuringSweepYield()
{
    QFETCH(bool, stop);
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    startRunWithRows({ "01,02,03,04,05,06 07", "01,02,03,04,05,06 08" });
    setStage(m_mainWindow, 9);
    QMetaObject::invokeMethod(
        m_mainWindow,
        [this, stop] {
            if (stop)
                ui(m_mainWindow).stopAction->trigger();
            else
                fire(ui(m_mainWindow).stageTimer);
        },
        Qt::QueuedConnection);
    fire(ui(m_mainWindow).sweepTimer);

    QVERIFY(!isRunning(m_mainWindow));
    QVERIFY(!ui(m_mainWindow).sweepTimer->isActive());
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), 1);
    QVERIFY(m_seams->messages.isEmpty());
}

void TestSweep::listEmptiedBehindMessage()
{
    // The second malformed row must not be reported once the first message has returned into
    // an empty list; into a closed window, exit_during_message tells.
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    startRunWithRows({ "34,01,02,03,04,05 06", "35,01,02,03,04,05 06", "01,02,03,04,05,06 07" });
    m_onShown = [this] { ui(m_mainWindow).historyList->clear(); };
    fire(ui(m_mainWindow).sweepTimer);
    QCOMPARE(m_seams->messages.size(), 1);
    QVERIFY(!ui(m_mainWindow).sweepTimer->isActive());
    QVERIFY(!ui(m_mainWindow).stageTimer->isActive());
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), -1);
}

void TestSweep::longRowMessageAtOnce_data()
{
    // The shipped list saved with LF-only line ends is one row, and so is a file of up to
    // 4 MB without a CR in it.
    QTest::addColumn<int>("chars"); // 0: the shipped list once
    QTest::addRow("shipped list with LF ends") << 0;
    QTest::addRow("250 000 characters") << 250000;
    QTest::addRow("1 000 000 characters") << 1000000;
    QTest::addRow("4 000 000 characters") << 4000000;
}

void TestSweep::longRowMessageAtOnce()
{
    // The user imports the file, starts a run, and the real message box appears: at once,
    // on one screen, quoting the row's beginning; the list with the row in it stays quick.
    QFETCH(int, chars);
    QByteArray file = items(ui(m_mainWindow).historyList).join('\n').toLatin1() + '\n';
    if (chars > 0)
        file = file.repeated(chars / file.size() + 1).left(chars);
    m_seams->answer = m_dir->filePath("history-lf.txt");
    QVERIFY(writeFile(m_seams->answer, file));
    m_mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_mainWindow));
    ui(m_mainWindow).importAction->trigger();
    QCOMPARE(ui(m_mainWindow).historyList->count(), 1);
    ui(m_mainWindow).startButton->click();
    setMessageBoxHandler({});

    QElapsedTimer clock;
    qint64 paintedMs = -1;
    bool exposed = false;
    QSize size;
    QString text;
    whenModalOpens<QMessageBox>([&](QMessageBox *box) {
        exposed = QTest::qWaitForWindowExposed(box);
        paintedMs = clock.elapsed();
        size = box->frameGeometry().size();
        text = box->text();
        box->close();
    });
    clock.start();
    fire(ui(m_mainWindow).sweepTimer);

    qInfo("%d characters: message painted after %lld ms, %d x %d", int(file.size()), paintedMs,
          size.width(), size.height());
    QVERIFY(exposed);
    QVERIFY2(paintedMs < timeLimitMs(100), qPrintable(QString::number(paintedMs)));
    QVERIFY(size.width() <= 1024 && size.height() <= 768);
    QVERIFY(text.endsWith(QStringLiteral("…\u2069（共 %1 个字符）").arg(file.size())));
    QVERIFY(text.contains(QString::fromLatin1(file.left(60))));
    VERIFY_RUN_STATE(m_mainWindow, false, "0");

    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), 0);
    clock.restart();
    ui(m_mainWindow).historyList->viewport()->repaint();
    QVERIFY2(clock.elapsed() < timeLimitMs(100), qPrintable(QString::number(clock.elapsed())));
    // One line of the list, as every row, not one line per LF.
    QVERIFY(
        ui(m_mainWindow).historyList->visualItemRect(ui(m_mainWindow).historyList->item(0)).height()
        < 2 * ui(m_mainWindow).historyList->fontMetrics().height());
}

QTEST_MAIN(TestSweep)
#include "tst_sweep.moc"
