// The pure rules of the validation sweep: the value of a field, the verdict on a row, and the
// message that quotes a rejected row.

#include "app/failuretext.h"
#include "history/fieldvalue.h"
#include "history/historyrow.h"
#include "history/messagequote.h"

#include <QtTest>

#include <cfloat>
#include <cmath>

using namespace orbelune;

Q_DECLARE_METATYPE(orbelune::RowVerdict)

namespace {

// Marks a field whose number does not fit in a double.
const double tooLarge = qQNaN();

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void fieldValue_data();
    void fieldValue();
    void rowVerdict_data();
    void rowVerdict();
    void twoDigitRowsAgreeWithGeneralPath();
    void formatMessage_data();
    void formatMessage();
    void oneLineText_data();
    void oneLineText();
};

void TestHistory::fieldValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::addRow("empty reads as 0") << "" << 0.0;
    QTest::addRow("plain two digits") << "09" << 9.0;
    QTest::addRow("blanks around") << "  26 " << 26.0;
    QTest::addRow("blank between digits") << "1 2" << 12.0;
    QTest::addRow("tab and line feed between digits") << "1\t2\n3" << 123.0;
    QTest::addRow("carriage return is not skipped") << "1\r2" << 1.0;
    QTest::addRow("no-break space is not skipped") << QStringLiteral("1\u00A02") << 1.0;
    QTest::addRow("negative") << "-5" << -5.0;
    QTest::addRow("plus sign") << "+7" << 7.0;
    QTest::addRow("blank after the sign") << "- 5" << -5.0;
    QTest::addRow("two signs: no number") << "--5" << 0.0;
    QTest::addRow("sign alone") << "-" << 0.0;
    QTest::addRow("decimal fraction") << "33.9" << 33.9;
    QTest::addRow("period first") << ".5" << 0.5;
    QTest::addRow("period last") << "5." << 5.0;
    QTest::addRow("second period stops") << "1.2.3" << 1.2;
    QTest::addRow("period alone") << "." << 0.0;
    QTest::addRow("comma is no decimal point") << "3,5" << 3.0;
    QTest::addRow("exponent") << "1E2" << 100.0;
    QTest::addRow("small e") << "1e2" << 100.0;
    QTest::addRow("negative exponent") << "25E-1" << 2.5;
    QTest::addRow("blanks inside the exponent") << "1 E + 2" << 100.0;
    QTest::addRow("E without digits") << "7E" << 7.0;
    QTest::addRow("E without mantissa") << "E5" << 0.0;
    QTest::addRow("D is no exponent") << "1D2" << 1.0;
    QTest::addRow("period after the exponent stops") << "1E2.5" << 100.0;
    QTest::addRow("letters after digits stop") << "12abc" << 12.0;
    QTest::addRow("letters first: no number") << "abc12" << 0.0;
    QTest::addRow("C hex prefix is not read") << "0x1A" << 0.0;
    QTest::addRow("full-width digits are not digits") << QStringLiteral("１２") << 0.0;
    QTest::addRow("&H") << "&H22" << 34.0;
    QTest::addRow("&h with small digits") << "&h1f" << 31.0;
    QTest::addRow("&H is never negative") << "&HFFFF" << 65535.0;
    QTest::addRow("&O") << "&O42" << 34.0;
    QTest::addRow("&o small") << "&o17" << 15.0;
    QTest::addRow("8 is no octal digit") << "&O8" << 0.0;
    QTest::addRow("&H without digits") << "&H" << 0.0;
    QTest::addRow("blanks inside &H") << "& H 2 2" << 34.0;
    QTest::addRow("unknown & prefix") << "&X1" << 0.0;
    QTest::addRow("sign before &H: no number") << "-&H22" << 0.0;
    QTest::addRow("&H stops at the period") << "&H22.5" << 34.0;
    QTest::addRow("long octal rounds once") << "&O777777777777777777777777" << std::ldexp(1.0, 72);
    QTest::addRow("hex wider than 64 bits") << "&H10000000000000000" << std::ldexp(1.0, 64);
    QTest::addRow("twenty digits") << "99999999999999999999" << 1e20;
    QTest::addRow("largest double") << "1.7976931348623157E308" << DBL_MAX;
    QTest::addRow("1E308 fits") << "1E308" << 1e308;
    QTest::addRow("underflow reads as 0") << "1E-400" << 0.0;
    QTest::addRow("zero with a huge exponent") << "0E999999999999999999999" << 0.0;
    QTest::addRow("huge negative exponent") << "5E-99999999999999999999" << 0.0;
    QTest::addRow("leading zeros of a fraction balance the exponent")
        << "0." + QString(399, u'0') + "1E400" << 1.0;
    QTest::addRow("1E309 is too large") << "1E309" << tooLarge;
    QTest::addRow("negative and too large") << "-1E309" << tooLarge;
    QTest::addRow("just past the largest double") << "1.8E308" << tooLarge;
    QTest::addRow("310 digits") << "1" + QString(309, u'0') << tooLarge;
    QTest::addRow("huge exponent") << "1E99999999999999999999999" << tooLarge;
    QTest::addRow("hex beyond a double") << "&H" + QString(256, u'F') << tooLarge;
    QTest::addRow("hex just inside a double") << "&H" + QString(255, u'F') << std::ldexp(1.0, 1020);
}

void TestHistory::fieldValue()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    const std::optional<double> value = readFieldValue(text);
    if (std::isnan(expected)) {
        QVERIFY2(!value, qPrintable(QString::number(value.value_or(0.0))));
        return;
    }
    QVERIFY(value);
    QCOMPARE(*value, expected);
}

void TestHistory::rowVerdict_data()
{
    // The rows the sweep meets most are in the window's test; these are the corners of the
    // splitting and of the order in which fields are read.
    QTest::addColumn<QString>("row");
    QTest::addColumn<RowVerdict>("verdict");
    QTest::addRow("empty row") << "" << RowVerdict::Blank;
    QTest::addRow("blanks only") << "    " << RowVerdict::Blank;
    QTest::addRow("tabs only") << "\t\t" << RowVerdict::Error;
    QTest::addRow("blank plus tab") << " \t " << RowVerdict::Error;
    QTest::addRow("leading blank kept for the split")
        << " 01,02,03,04,05,06 07" << RowVerdict::Passes;
    QTest::addRow("trailing blank adds an empty third part")
        << "01,02,03,04,05,06 07 " << RowVerdict::Passes;
    QTest::addRow("first field 34 with f1..f4 missing") << "34" << RowVerdict::Error;
    QTest::addRow("too large after an out-of-range red")
        << "34,01,1E999,03,04,05 06" << RowVerdict::Error;
    QTest::addRow("too large red with the sixth field missing")
        << "01,02,03,04,1E999" << RowVerdict::Error;
    QTest::addRow("too large blue") << "01,02,03,04,05,06 1E999" << RowVerdict::Error;
    QTest::addRow("too large sixth red with blue 17")
        << "01,02,03,04,05,1E999 17" << RowVerdict::Error;
    QTest::addRow("sixth red 34 without blank") << "01,02,03,04,05,34" << RowVerdict::Error;
    QTest::addRow("blue exactly 16.99") << "01,02,03,04,05,06 16.99" << RowVerdict::Passes;
    QTest::addRow("blue written &H11 is 17") << "01,02,03,04,05,06 &H11" << RowVerdict::Malformed;
    QTest::addRow("tab instead of the blank") << "01,02,03,04,05,06\t07" << RowVerdict::Error;
    QTest::addRow("full-width comma is no separator")
        << QStringLiteral("01，02，03，04，05，06 07") << RowVerdict::Error;
    QTest::addRow("two-digit shape, red 34") << "01,02,03,34,05,06 07" << RowVerdict::Malformed;
    QTest::addRow("two-digit shape, sixth red 99")
        << "01,02,03,04,05,99 07" << RowVerdict::Malformed;
    QTest::addRow("two-digit shape, blue 16") << "33,33,33,33,33,33 16" << RowVerdict::Passes;
}

void TestHistory::rowVerdict()
{
    QFETCH(QString, row);
    QFETCH(RowVerdict, verdict);
    QCOMPARE(checkHistoryRow(row), verdict);
    QCOMPARE(checkHistoryRowGeneral(row), verdict);
}

void TestHistory::twoDigitRowsAgreeWithGeneralPath()
{
    // The quick path must never decide differently from the general one. Every value from
    // 00 to 99 in every place, and every separator swapped for a near miss.
    const QString base = QStringLiteral("01,02,03,04,05,06 07");
    for (int place = 0; place < 7; ++place) {
        for (int v = 0; v < 100; ++v) {
            QString row = base;
            row.replace(place * 3, 2, QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')));
            const std::optional<RowVerdict> quick = checkTwoDigitRow(row);
            QVERIFY2(quick, qPrintable(row));
            QCOMPARE(*quick, checkHistoryRowGeneral(row));
        }
    }
    for (qsizetype at = 0; at < base.size(); ++at) {
        for (QChar c : { u' ', u',', u'\t', u'.', u'a', u'3', u'-' }) {
            QString row = base;
            row[at] = c;
            if (const std::optional<RowVerdict> quick = checkTwoDigitRow(row))
                QCOMPARE(*quick, checkHistoryRowGeneral(row));
        }
    }
    QVERIFY(!checkTwoDigitRow(u"01,02,03,04,05,06 7"));
    QVERIFY(!checkTwoDigitRow(u"01,02,03,04,05,06,07"));
}

void TestHistory::formatMessage_data()
{
    // The row as stored wherever it fits in the box; a row as long as a file shortened to its
    // beginning and its length, never cutting a character in two.
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("quoted");
    const QString lfList = QString("04,11,12,14,20,30 13\n").repeated(877);
    // A quote is isolated: what its row holds cannot turn the program's words around.
    const auto iso = [](const QString &text) { return u'\u2068' + text + u'\u2069'; };
    const QString count = QStringLiteral("（共 %1 个字符）");
    QTest::addRow("blanks and tabs kept") << " 34,01\t,x " << iso(" 34,01\t,x ");
    QTest::addRow("200 characters kept") << QString(200, 'x') << iso(QString(200, 'x'));
    QTest::addRow("eight line breaks kept")
        << QString("1\n").repeated(8) << iso(QString("1\n").repeated(8));
    QTest::addRow("201 characters shortened")
        << QString(201, 'x') << iso(QString(100, 'x') + "…") + count.arg(201);
    QTest::addRow("nine line breaks: four shown")
        << QString("1\n").repeated(9) << iso("1\n1\n1\n1\n1…") + count.arg(18);
    QTest::addRow("shipped list with LF ends")
        << lfList << iso(lfList.left(100) + "…") + count.arg(877 * 21);
    QTest::addRow("a pair of surrogates is not cut")
        << QString(99, 'x') + QString::fromUtf16(u"\U0001F3B1").repeated(60)
        << iso(QString(99, 'x') + "…") + count.arg(99 + 60);
    // A row that looks right may not be: what a quote hides is named below it, each once.
    const QString hidden = QStringLiteral("\r\n这一行含有看不见的字符：");
    const QString marked = QStringLiteral("\uFEFF01,02,03,04,05,06\u00A007\uFEFF");
    QTest::addRow("hidden characters named")
        << marked << iso(marked) + hidden + "U+FEFF（字节顺序标记）、U+00A0（不换行空格）";
    QTest::addRow("a braille blank before the blue, and DEL")
        << "01,02,03,04,05,06\u280007\x7f"
        << iso("01,02,03,04,05,06\u280007\x7f") + hidden
            + "U+2800（不显示的字符）、U+007F（控制字符）";
    QTest::addRow("an override at the start of a long row stays inside the quote")
        << u'\u202E' + QString(300, 'x')
        << iso(u'\u202E' + QString(99, 'x') + "…") + count.arg(301) + hidden + "U+202E（格式字符）";
}

void TestHistory::formatMessage()
{
    QFETCH(QString, row);
    QFETCH(QString, quoted);
    const QString expected
        = QStringLiteral("错误的数据格式！\r\n参考格式：红球,红球,红球,红球,红球 蓝球\r\n"
                         "例如：10,11,12,15,26,29 09\r\n\r\n");
    QCOMPARE(rowFormatMessage(row), expected + quoted);
}

void TestHistory::oneLineText_data()
{
    // How a list shows a row, here on lines of at most 8 characters.
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("shown");
    QTest::addRow("every line break shown as an arrow")
        << QString::fromUtf16(u"1\n\r\v\f\u0085\u2028\u2029") << "1↵↵↵↵↵↵↵";
    QTest::addRow("8 characters kept") << QString("12345678") << "12345678";
    QTest::addRow("9 characters cut") << QString("123456789") << "12345678…";
    QTest::addRow("a pair of surrogates is not cut")
        << QString::fromUtf16(u"1234567\U0001F3B1") << "1234567…";
}

void TestHistory::oneLineText()
{
    QFETCH(QString, row);
    QFETCH(QString, shown);
    QCOMPARE(orbelune::oneLineText(row, 8), shown);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
