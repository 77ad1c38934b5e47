// The pure rules of the draw: the ball caption, the index of the candidate thrown out, and
// the random values behind it.

#include "draw/caption.h"
#include "draw/elimination.h"
#include "draw/randomsource.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace orbelune;

class TestDraw : public QObject
{
    Q_OBJECT

private slots:
    void caption_data();
    void caption();
    void index_data();
    void index();
    void indexNeverReachesPoolSize();
    void engineValuesStayBelowOne();
    void defaultSourcesDisagree();
};

void TestDraw::caption_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected");
    QTest::addRow("9, the last with a zero") << 9 << "09";
    QTest::addRow("10, the first without") << 10 << "10";
}

void TestDraw::caption()
{
    QFETCH(int, number);
    QFETCH(QString, expected);
    QCOMPARE(ballCaption(qint16(number)), expected);
}

void TestDraw::index_data()
{
    const float belowOne = std::nextafter(1.0f, 0.0f);
    const float belowHalf = std::nextafter(0.5f, 0.0f);
    QTest::addColumn<int>("n");
    QTest::addColumn<float>("r");
    QTest::addColumn<int>("expected");
    QTest::addRow("r = 0 takes the first") << 33 << 0.0f << 0;
    QTest::addRow("largest float below 1 takes the last of 33") << 33 << belowOne << 32;
    QTest::addRow("largest float below 1 takes the last of 16") << 16 << belowOne << 15;
    QTest::addRow("n = 2, just below one half: first") << 2 << belowHalf << 0;
    QTest::addRow("n = 2, one half: second") << 2 << 0.5f << 1;
    QTest::addRow("n = 1 always the only one") << 1 << belowOne << 0;
    QTest::addRow("n = 3, one third as a float") << 3 << (1.0f / 3.0f) << 1;
    // 6 × r rounds up to 5 in single precision; one engine value in a few million is such.
    QTest::addRow("n = 6, the engine's last value below 5/6")
        << 6 << float(13981013) / float(1 << 24) << 4;
}

void TestDraw::index()
{
    QFETCH(int, n);
    QFETCH(float, r);
    QFETCH(int, expected);
    QCOMPARE(int(eliminationIndex(qint16(n), r)), expected);
}

void TestDraw::indexNeverReachesPoolSize()
{
    // Rounding the product back to a float would give n for values close to 1.
    for (int n = 1; n <= 33; ++n) {
        float r = 1.0f;
        for (int i = 0; i < 64; ++i) {
            r = std::nextafter(r, 0.0f);
            const int k = eliminationIndex(qint16(n), r);
            QVERIFY2(k >= 0 && k < n, qPrintable(QStringLiteral("n=%1 k=%2").arg(n).arg(k)));
        }
    }
}

void TestDraw::engineValuesStayBelowOne()
{
    // A value rounded from a double could become 1.0f; the engine's values never do.
    EngineRandomSource source(12345);
    float highest = 0.0f;
    for (int i = 0; i < 200000; ++i) {
        const float r = source.next();
        QVERIFY(r >= 0.0f);
        QVERIFY(r < 1.0f);
        highest = std::max(highest, r);
    }
    QVERIFY(highest > 0.999f);
}

void TestDraw::defaultSourcesDisagree()
{
    // Each start of the program seeds its own source: sources that agree would draw the same
    // tickets at every start.
    EngineRandomSource first;
    EngineRandomSource second;
    bool disagree = false;
    for (int i = 0; i < 8; ++i)
        disagree |= first.next() != second.next();
    QVERIFY(disagree);
}

QTEST_GUILESS_MAIN(TestDraw)
#include "tst_draw.moc"
