// The main window as it opens, and the elimination draw on its pools and ball row.

#include "testsupport.h"

#include "app/form1.h"
#include "widgets/svgpicture.h"
#include "widgets/taggedtimer.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>

#include <cmath>

using namespace orbelune;
using namespace orbelune::testing;

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_form = new Form1; }
    void cleanup() { delete m_form; }

    void opensAsDesigned();
    void layoutInPixels_data();
    void layoutInPixels();
    void focusOrder();

    void eliminationKeepsOrder_data();
    void eliminationKeepsOrder();
    void noEliminationKeepsFirst();
    void tableEntryWrittenOnlyAtEnd();
    void survivorIsUniform();

private:
    Form1 *m_form = nullptr;
};

void TestForm1::opensAsDesigned()
{
    QListWidget *list = m_form->List1;
    QCOMPARE(list->count(), 877);
    QCOMPARE(list->item(0)->text(), QStringLiteral("04,11,12,14,20,30 13"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("10,11,12,15,26,29 09"));
    QCOMPARE(list->item(876)->text(), QStringLiteral("04,08,12,15,19,28 01"));
    // Counted from 1: the row kept in drawing order, and the row that stands twice.
    QCOMPARE(list->item(562)->text(), QStringLiteral("09,27,14,05,31,32 13"));
    QCOMPARE(list->item(421)->text(), QStringLiteral("09,11,13,27,31,33 10"));
    QCOMPARE(list->item(574)->text(), QStringLiteral("09,11,13,27,31,33 10"));
    QCOMPARE(list->currentRow(), -1);

    // Idle: tag "0", both timers off, badge hidden, every command enabled.
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Orbelune Ver1.2"));
    VERIFY_RUN_STATE(m_form, false, "0");
    QCOMPARE(m_form->TimSa->interval(), 500);
    QCOMPARE(m_form->Timer1->interval(), 10);

    // Seven "08" captions, each on its ball, over empty pools.
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    for (std::size_t p = 0; p < 7; ++p) {
        QCOMPARE(m_form->CapNum[p]->text(), QStringLiteral("08"));
        QVERIFY(m_form->CapNum[p]->isVisible());
        QVERIFY(m_form->ImaRed[p]->geometry().contains(m_form->CapNum[p]->geometry().center()));
        QCOMPARE(m_form->chosenNumber(int(p)), qint16(0));
        QCOMPARE(m_form->ListNumB[p]->count(), 0);
    }
    QCOMPARE(m_form->CapNum[0]->accessibleName(), QStringLiteral("红球 1：08"));
    QCOMPARE(m_form->CapNum[6]->accessibleName(), QStringLiteral("蓝球：08"));

    // A fixed client area below the menu bar, in a window that cannot be maximised.
    QCOMPARE(m_form->centralWidget()->size(), QSize(662, 470));
    QCOMPARE(m_form->centralWidget()->y(), m_form->menuBar()->height());
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));

    // The badge covers the greeting, stacked above it.
    QCOMPARE(m_form->Label1->text(), QStringLiteral("祝您中奖！"));
    QCOMPARE(m_form->Label1->pos(), QPoint(538, 42));
    QVERIFY(m_form->PicFX->geometry().contains(m_form->Label1->geometry()));
    const QObjectList order = m_form->Frame2->children();
    QVERIFY(order.indexOf(m_form->PicFX) > order.indexOf(m_form->Label1));
}

void TestForm1::layoutInPixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    // The layout's twips divided by 15, relative to each control's container.
    QTest::addRow("Frame1") << "Frame1" << QRect(9, 10, 353, 333);
    QTest::addRow("List1") << "List1" << QRect(10, 24, 329, 290);
    QTest::addRow("Frame3") << "Frame3" << QRect(367, 10, 290, 172);
    QTest::addRow("Image1") << "Image1" << QRect(3, 22, 191, 142);
    QTest::addRow("Image2") << "Image2" << QRect(205, 65, 35, 32);
    QTest::addRow("Command1") << "Command1" << QRect(171, 102, 105, 41);
    QTest::addRow("Frame4") << "Frame4" << QRect(366, 190, 291, 153);
    QTest::addRow("first pool") << "ListNumB0" << QRect(8, 24, 33, 112);
    QTest::addRow("blue pool") << "ListNumB6" << QRect(248, 24, 33, 112);
    QTest::addRow("Frame2") << "Frame2" << QRect(9, 353, 649, 97);
    QTest::addRow("first ball") << "ImaRed0" << QRect(16, 22, 60, 60);
    QTest::addRow("blue ball") << "ImaRed6" << QRect(428, 22, 60, 60);
    QTest::addRow("badge") << "PicFX" << QRect(499, 10, 136, 80);
    QTest::addRow("corner of Frame1") << "Picture4" << QRect(15, 0, 32, 32);
    QTest::addRow("corner of Frame3") << "Picture2" << QRect(374, 0, 32, 32);
    QTest::addRow("corner of Frame4") << "Picture3" << QRect(374, 181, 32, 32);
    QTest::addRow("corner of Frame2") << "Picture1" << QRect(16, 343, 32, 32);
}

void TestForm1::layoutInPixels()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    auto *widget = m_form->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
}

void TestForm1::focusOrder()
{
    QList<QWidget *> expected { m_form->List1 };
    for (QListWidget *pool : m_form->ListNumB)
        expected.append(pool);
    // Past the button, Tab comes round to the history list again.
    expected << m_form->Command1 << m_form->List1;
    QVERIFY(showActive(m_form));
    m_form->List1->setFocus();
    for (QWidget *widget : expected) {
        QCOMPARE(QApplication::focusWidget(), widget);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

void TestForm1::eliminationKeepsOrder_data()
{
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<QStringList>("left");
    // A pool of 1..6 with two eliminations.
    const float belowOne = std::nextafter(1.0f, 0.0f);
    QTest::addRow("first, then first again")
        << QList<float> { 0.0f, 0.0f } << QStringList { "3", "4", "5", "6" };
    QTest::addRow("last, then last again")
        << QList<float> { belowOne, belowOne } << QStringList { "1", "2", "3", "4" };
    QTest::addRow("middle, then middle")
        << QList<float> { 0.5f, 0.5f } << QStringList { "1", "2", "5", "6" };
    QTest::addRow("index 2 of 6, then 0 of 5")
        << QList<float> { 2.0f / 6.0f, 0.1f } << QStringList { "2", "4", "5", "6" };
}

void TestForm1::eliminationKeepsOrder()
{
    QFETCH(QList<float>, values);
    QFETCH(QStringList, left);
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(values));
    QListWidget *pool = m_form->ListNumB[2];
    fill(pool, 1, 6);
    m_form->ListNumB[4]->addItems({ "5", "9" });
    m_form->计算奖球(2, 2);
    QCOMPARE(items(pool), left);
    QCOMPARE(pool->currentRow(), 0);
    QCOMPARE(int(m_form->chosenNumber(2)), left.first().toInt());
    // The draw touches its own position only.
    QCOMPARE(items(m_form->ListNumB[4]), (QStringList { "5", "9" }));
    for (int p : { 0, 1, 3, 4, 5, 6 }) {
        QCOMPARE(m_form->chosenNumber(p), qint16(0));
        QCOMPARE(m_form->CapNum[std::size_t(p)]->text(), QStringLiteral("08"));
    }
}

void TestForm1::noEliminationKeepsFirst()
{
    auto scripted = std::make_unique<ScriptedRandom>(QList<float> { 0.7f });
    ScriptedRandom *source = scripted.get();
    m_form->setRandomSource(std::move(scripted));
    m_form->show();
    m_form->CapNum[0]->hide();
    m_form->ImaRed[0]->hide();
    QListWidget *pool = m_form->ListNumB[0];
    pool->addItems({ "7", "3", "30" });
    m_form->计算奖球(0, 0);
    QCOMPARE(items(pool), (QStringList { "7", "3", "30" }));
    QCOMPARE(source->calls(), 0);
    QCOMPARE(m_form->chosenNumber(0), qint16(7));
    // The caption shows the survivor, and with its ball it is shown again.
    QCOMPARE(m_form->CapNum[0]->text(), QStringLiteral("07"));
    QCOMPARE(m_form->CapNum[0]->accessibleName(), QStringLiteral("红球 1：07"));
    QVERIFY(m_form->CapNum[0]->isVisible());
    QVERIFY(m_form->ImaRed[0]->isVisible());
}

void TestForm1::tableEntryWrittenOnlyAtEnd()
{
    QList<qint16> seen;
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(
        QList<float> { 0.25f }, [this, &seen] { seen.append(m_form->chosenNumber(6)); }));
    QListWidget *pool = m_form->ListNumB[6];
    // Drawn twice: the entry keeps its earlier number (0 at first) until the new one stands.
    for (int draw = 0; draw < 2; ++draw) {
        const qint16 held = m_form->chosenNumber(6);
        seen.clear();
        fill(pool, 1, 16);
        m_form->计算奖球(6, 15);
        QCOMPARE(seen, QList<qint16>(15, held));
        QCOMPARE(pool->count(), 1);
        QCOMPARE(m_form->chosenNumber(6), pool->item(0)->text().toShort());
    }
}

void TestForm1::survivorIsUniform()
{
    // Each of 33 candidates must survive equally often with the program's own generator;
    // the seed is fixed so that the test gives the same answer on every run.
    constexpr int candidates = 33;
    constexpr int draws = 6600;
    m_form->setRandomSource(std::make_unique<EngineRandomSource>(20081226u));
    std::array<int, candidates> survived {};
    for (int d = 0; d < draws; ++d) {
        fill(m_form->ListNumB[0], 1, candidates);
        m_form->计算奖球(0, candidates - 1);
        ++survived[std::size_t(m_form->chosenNumber(0) - 1)];
    }
    const double expected = double(draws) / candidates;
    double chiSquare = 0.0;
    for (int count : survived)
        chiSquare += (count - expected) * (count - expected) / expected;
    // 32 degrees of freedom: 62.5 is the 99.9 % quantile.
    QVERIFY2(chiSquare < 62.5, qPrintable(QString::number(chiSquare)));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
