// The main window as it opens, and the elimination draw on its pools and ball row.

#include "app/form1.h"
#include "app/svgpicture.h"
#include "app/taggedtimer.h"
#include "draw/randomsource.h"
#include "scriptedrandom.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include <cmath>

using namespace orbelune;

namespace {

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

void fill(QListWidget *pool, int from, int to)
{
    pool->clear();
    for (int i = from; i <= to; ++i)
        pool->addItem(QString::number(i));
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithShippedHistory();
    void opensIdle();
    void fixedClientArea();
    void ballRowShowsEights();
    void menuBarAsDesigned();
    void layoutInPixels_data();
    void layoutInPixels();
    void badgeCoversGreeting();
    void focusOrder();

    void blueDrawLeavesOneSelected();
    void eliminationKeepsOrder_data();
    void eliminationKeepsOrder();
    void noEliminationKeepsFirst();
    void tableEntryWrittenOnlyAtEnd();
    void otherPoolsUntouched();
    void captionFollowsNumber_data();
    void captionFollowsNumber();
    void survivorIsUniform();

private:
    Form1 *m_form = nullptr;
};

void TestForm1::init()
{
    m_form = new Form1;
}

void TestForm1::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

void TestForm1::opensWithShippedHistory()
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
}

void TestForm1::opensIdle()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Orbelune Ver1.2"));
    QCOMPARE(m_form->TimSa->tag(), QStringLiteral("0"));
    QCOMPARE(m_form->TimSa->interval(), 500);
    QCOMPARE(m_form->Timer1->interval(), 10);
    QVERIFY(!m_form->TimSa->isActive());
    QVERIFY(!m_form->Timer1->isActive());
    QVERIFY(m_form->PicFX->isHidden());
    QVERIFY(!m_form->isRunActive());
    for (QAction *command : { m_form->data, m_form->savejg, m_form->exit, m_form->start,
                              m_form->stopfx, m_form->about, m_form->webgo })
        QVERIFY2(command->isEnabled(), qPrintable(command->objectName()));
    QVERIFY(m_form->Command1->isEnabled());
    QVERIFY(m_form->Command1->isDefault());
    for (int p = 0; p < 7; ++p) {
        QCOMPARE(m_form->chosenNumber(p), qint16(0));
        QCOMPARE(m_form->ListNumB[std::size_t(p)]->count(), 0);
    }
}

void TestForm1::fixedClientArea()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    // The controls' area below the menu bar, and a window that cannot be resized or
    // maximised.
    QCOMPARE(m_form->centralWidget()->size(), QSize(662, 470));
    QCOMPARE(m_form->centralWidget()->y(), m_form->menuBar()->height());
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(m_form->palette().color(QPalette::Window), QColor(Qt::white));
}

void TestForm1::ballRowShowsEights()
{
    m_form->show();
    for (std::size_t p = 0; p < 7; ++p) {
        QLabel *caption = m_form->CapNum[p];
        QCOMPARE(caption->text(), QStringLiteral("08"));
        QVERIFY(caption->isVisible());
        QVERIFY(m_form->ImaRed[p]->isVisible());
        QVERIFY(caption->font().bold());
        QCOMPARE(caption->font().pixelSize(), 32);
        const QColor expected = p < 6 ? QColor(Qt::white) : QColor(0xFF, 0xFF, 0x00);
        QCOMPARE(caption->palette().color(QPalette::WindowText), expected);
        // The caption sits on its ball.
        QVERIFY(m_form->ImaRed[p]->geometry().contains(caption->geometry().center()));
    }
    QCOMPARE(m_form->CapNum[0]->accessibleName(), QStringLiteral("红球 1：08"));
    QCOMPARE(m_form->CapNum[6]->accessibleName(), QStringLiteral("蓝球：08"));
}

void TestForm1::menuBarAsDesigned()
{
    const QList<QAction *> menus = m_form->menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QStringList titles;
    for (QAction *menu : menus)
        titles.append(menu->text());
    QCOMPARE(titles, (QStringList { "菜单", "操作", "帮助" }));

    auto captions = [](QMenu *menu) {
        QStringList texts;
        for (QAction *item : menu->actions())
            texts.append(item->isSeparator() ? QStringLiteral("-") : item->text());
        return texts;
    };
    QCOMPARE(captions(m_form->Fifle), (QStringList { "导入数据", "保存结果", "-", "退出" }));
    QCOMPARE(captions(m_form->caozou), (QStringList { "开始分析", "停止分析" }));
    QCOMPARE(captions(m_form->help), (QStringList { "关于", "-", "访问主页" }));
    for (QMenu *menu : { m_form->Fifle, m_form->caozou, m_form->help })
        for (QAction *item : menu->actions())
            QVERIFY2(item->shortcut().isEmpty(), qPrintable(item->text()));
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

void TestForm1::badgeCoversGreeting()
{
    QCOMPARE(m_form->Label1->text(), QStringLiteral("祝您中奖！"));
    QCOMPARE(m_form->Label1->pos(), QPoint(538, 42));
    QVERIFY(m_form->PicFX->geometry().contains(m_form->Label1->geometry()));
    // The badge is stacked above the greeting.
    const QObjectList order = m_form->Frame2->children();
    QVERIFY(order.indexOf(m_form->PicFX) > order.indexOf(m_form->Label1));
}

void TestForm1::focusOrder()
{
    QList<QWidget *> expected { m_form->List1 };
    for (QListWidget *pool : m_form->ListNumB)
        expected.append(pool);
    expected.append(m_form->Command1);
    m_form->show();
    QApplication::setActiveWindow(m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_form->List1->setFocus();
    for (QWidget *widget : expected) {
        QCOMPARE(QApplication::focusWidget(), widget);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Past the button, Tab comes round to the history list again.
    QCOMPARE(QApplication::focusWidget(), m_form->List1);
}

void TestForm1::blueDrawLeavesOneSelected()
{
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.3f, 0.9f, 0.0f }));
    QListWidget *pool = m_form->ListNumB[6];
    fill(pool, 1, 16);
    m_form->计算奖球(6, 15);
    QCOMPARE(pool->count(), 1);
    QCOMPARE(pool->currentRow(), 0);
    QVERIFY(pool->item(0)->isSelected());
    const int survivor = pool->item(0)->text().toInt();
    QCOMPARE(int(m_form->chosenNumber(6)), survivor);
    QCOMPARE(m_form->CapNum[6]->text(), QStringLiteral("%1").arg(survivor, 2, 10, QLatin1Char('0')));
}

void TestForm1::eliminationKeepsOrder_data()
{
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<QStringList>("left");
    // A pool of 1..6 with two eliminations.
    QTest::addRow("first, then first again") << QList<float> { 0.0f, 0.0f }
                                             << QStringList { "3", "4", "5", "6" };
    QTest::addRow("last, then last again")
        << QList<float> { std::nextafter(1.0f, 0.0f), std::nextafter(1.0f, 0.0f) }
        << QStringList { "1", "2", "3", "4" };
    QTest::addRow("middle, then middle") << QList<float> { 0.5f, 0.5f }
                                         << QStringList { "1", "2", "5", "6" };
    QTest::addRow("index 2 of 6, then 0 of 5") << QList<float> { 2.0f / 6.0f, 0.1f }
                                              << QStringList { "2", "4", "5", "6" };
}

void TestForm1::eliminationKeepsOrder()
{
    QFETCH(QList<float>, values);
    QFETCH(QStringList, left);
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(values));
    QListWidget *pool = m_form->ListNumB[2];
    fill(pool, 1, 6);
    m_form->计算奖球(2, 2);
    QCOMPARE(items(pool), left);
    QCOMPARE(pool->currentRow(), 0);
    QCOMPARE(int(m_form->chosenNumber(2)), left.first().toInt());
}

void TestForm1::noEliminationKeepsFirst()
{
    auto scripted = std::make_unique<ScriptedRandom>(QList<float> { 0.7f });
    ScriptedRandom *source = scripted.get();
    m_form->setRandomSource(std::move(scripted));
    QListWidget *pool = m_form->ListNumB[0];
    pool->addItems({ "7", "3", "30" });
    m_form->计算奖球(0, 0);
    QCOMPARE(items(pool), (QStringList { "7", "3", "30" }));
    QCOMPARE(source->calls(), 0);
    QCOMPARE(m_form->chosenNumber(0), qint16(7));
    QCOMPARE(m_form->CapNum[0]->text(), QStringLiteral("07"));
}

void TestForm1::tableEntryWrittenOnlyAtEnd()
{
    QList<qint16> seen;
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(
        QList<float> { 0.25f }, [this, &seen] { seen.append(m_form->chosenNumber(6)); }));
    QListWidget *pool = m_form->ListNumB[6];
    fill(pool, 1, 16);
    m_form->计算奖球(6, 15);
    const qint16 first = m_form->chosenNumber(6);
    QCOMPARE(seen.size(), 15);
    QVERIFY(std::all_of(seen.begin(), seen.end(), [](qint16 v) { return v == 0; }));

    // Drawn again, the blue ball keeps its previous number until the new one stands.
    seen.clear();
    fill(pool, 1, 16);
    m_form->计算奖球(6, 15);
    QCOMPARE(seen.size(), 15);
    QVERIFY(std::all_of(seen.begin(), seen.end(), [first](qint16 v) { return v == first; }));
}

void TestForm1::otherPoolsUntouched()
{
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.6f }));
    fill(m_form->ListNumB[1], 1, 33);
    m_form->ListNumB[4]->addItems({ "5", "9" });
    m_form->计算奖球(1, 32);
    QCOMPARE(m_form->ListNumB[1]->count(), 1);
    QCOMPARE(items(m_form->ListNumB[4]), (QStringList { "5", "9" }));
    for (int p : { 0, 2, 3, 5, 6 }) {
        QCOMPARE(m_form->ListNumB[std::size_t(p)]->count(), 0);
        QCOMPARE(m_form->chosenNumber(p), qint16(0));
        QCOMPARE(m_form->CapNum[std::size_t(p)]->text(), QStringLiteral("08"));
    }
}

void TestForm1::captionFollowsNumber_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("caption");
    QTest::addRow("1") << 1 << "01";
    QTest::addRow("9") << 9 << "09";
    QTest::addRow("10") << 10 << "10";
    QTest::addRow("16") << 16 << "16";
    QTest::addRow("33") << 33 << "33";
}

void TestForm1::captionFollowsNumber()
{
    QFETCH(int, number);
    QFETCH(QString, caption);
    m_form->show();
    m_form->CapNum[3]->hide();
    m_form->ImaRed[3]->hide();
    QListWidget *pool = m_form->ListNumB[3];
    pool->addItem(QString::number(number));
    m_form->计算奖球(3, 0);
    QCOMPARE(m_form->CapNum[3]->text(), caption);
    QVERIFY(m_form->CapNum[3]->isVisible());
    QVERIFY(m_form->ImaRed[3]->isVisible());
    QCOMPARE(m_form->CapNum[3]->accessibleName(), QStringLiteral("红球 4：%1").arg(caption));
}

void TestForm1::survivorIsUniform()
{
    // Each of 33 candidates must survive equally often with the program's own generator;
    // the seed is fixed so that the test gives the same answer on every run.
    constexpr int candidates = 33;
    constexpr int draws = 6600;
    m_form->setRandomSource(std::make_unique<EngineRandomSource>(20081226u));
    std::array<int, candidates> survived {};
    QListWidget *pool = m_form->ListNumB[0];
    for (int d = 0; d < draws; ++d) {
        fill(pool, 1, candidates);
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
