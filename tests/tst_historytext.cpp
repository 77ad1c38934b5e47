// Decoding history files, the save dialog's name rule and the result text: the pure logic.
// Reading and writing the files themselves is the file layer's, in tst_fileio.

#include "filesupport.h"

#include "app/failuretext.h"
#include "fileio/codepage936.h"
#include "history/dialogrules.h"
#include "history/historytext.h"
#include "history/messagequote.h"
#include "history/resultfile.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace orbelune;
using orbelune::testing::timeLimitMs;

namespace {

QByteArray gbk(const char16_t *text)
{
    return strictEncodeGbk(QString::fromUtf16(text)).value();
}

// What the system's converter makes of every character of code page 936 and of every UTF-16
// unit, one line each: every single byte and every lead byte with every second byte, decoded,
// then every character of the Basic Multilingual Plane outside the surrogates, encoded.
QList<QByteArray> wholeCodePage()
{
    QList<QByteArray> lines;
    lines.reserve(256 + 126 * 256 + 0x10000);
    const auto decoded = [&](const QByteArray &bytes) {
        const std::optional<QString> text = strictDecodeGbk(bytes);
        lines.append(
            bytes.toHex() + ' '
            + (text ? QByteArray(reinterpret_cast<const char *>(text->utf16()), 2 * text->size())
                          .toHex()
                    : QByteArray("-")));
    };
    for (int byte = 0; byte <= 0xFF; ++byte)
        decoded(QByteArray(1, char(byte)));
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail)
            decoded(QByteArray { char(lead), char(trail) });
    }
    for (char16_t unit = 0; unit < 0xFFFF; ++unit) {
        if (QChar::isSurrogate(unit))
            continue;
        const std::optional<QByteArray> bytes = strictEncodeGbk(QStringView(&unit, 1));
        lines.append(QByteArray::number(unit, 16) + ' ' + (bytes ? bytes->toHex() : "-"));
    }
    return lines;
}

QByteArray rowsOf(int count, const QByteArray &row)
{
    QByteArray bytes;
    bytes.reserve(count * (row.size() + 2));
    for (int i = 0; i < count; ++i)
        bytes += row + "\r\n";
    return bytes;
}

} // namespace

class TestHistoryText : public QObject
{
    Q_OBJECT

private slots:
    void wholeCodePageAsOnEverySystem();

    void splitsLines_data();
    void splitsLines();
    void savedNameEndsInTxt_data();
    void savedNameEndsInTxt();
    void filterListsInQtSyntax_data();
    void filterListsInQtSyntax();

    void decodesByMark_data();
    void decodesByMark();
    void refusesWhatIsNoHistoryText_data();
    void refusesWhatIsNoHistoryText();

    void resultText_data();
    void resultText();
    void namesWhatGbkCannotHold_data();
    void namesWhatGbkCannotHold();
};

// The table both systems' converters gave, Windows' own and iconv: a file is written as the
// same bytes wherever it is saved.
void TestHistoryText::wholeCodePageAsOnEverySystem()
{
    QElapsedTimer timer;
    timer.start();
    const QList<QByteArray> lines = wholeCodePage();
    QVERIFY2(timer.elapsed() < timeLimitMs(1000),
             qPrintable(QString::number(timer.elapsed()) + " ms"));
    const QByteArray digest
        = QCryptographicHash::hash(lines.join('\n'), QCryptographicHash::Sha256).toHex();
    QCOMPARE(digest,
             QByteArray("a7924f74dc7ffff76869307f8879363595b75a21ad6971ba0b0015091fc628f3"));
}

void TestHistoryText::splitsLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");

    QTest::addRow("three lines ended by CR LF") << "a\r\nb\r\nc\r\n"
                                                << QStringList { "a", "b", "c" };
    QTest::addRow("LF only: one row holding the LFs") << "a\nb\nc\n" << QStringList { "a\nb\nc\n" };
    QTest::addRow("last line without terminator") << "a\r\nb" << QStringList { "a", "b" };
    QTest::addRow("lone CR ends a line") << "a\rb\r" << QStringList { "a", "b" };
    QTest::addRow("empty line in the middle") << "a\r\n\r\nb\r\n" << QStringList { "a", "", "b" };
    QTest::addRow("empty text gives no row") << "" << QStringList {};
    QTest::addRow("a terminator alone is one empty row") << "\r\n" << QStringList { "" };
    QTest::addRow("CR CR LF: an empty row between") << "a\r\r\nb" << QStringList { "a", "", "b" };
    QTest::addRow("LF CR: the LF stays in the row") << "a\n\rb" << QStringList { "a\n", "b" };
    QTest::addRow("blanks are kept")
        << "  a  \r\n \r\n\tb\t" << QStringList { "  a  ", " ", "\tb\t" };
}

void TestHistoryText::splitsLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    QCOMPARE(splitHistoryLines(text), rows);
}

void TestHistoryText::savedNameEndsInTxt_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");

    QTest::addRow("no extension") << QString("C:\\a\\result") << "C:\\a\\result.txt";
    QTest::addRow("upper-case TXT unchanged")
        << QString("C:\\a\\RESULT.TXT") << "C:\\a\\RESULT.TXT";
    QTest::addRow("mixed-case Txt unchanged")
        << QString("/home/u/result.Txt") << "/home/u/result.Txt";
    QTest::addRow("txt without a dot unchanged")
        << QString("C:\\a\\resulttxt") << "C:\\a\\resulttxt";
    QTest::addRow("other extension kept, .txt appended")
        << QString("C:\\a\\result.doc") << "C:\\a\\result.doc.txt";
    QTest::addRow("trailing dot") << QString("result.") << "result..txt";
    QTest::addRow("name of three characters: txt") << QString("txt") << "txt";
    QTest::addRow("name of two characters") << QString("tx") << "tx.txt";
    QTest::addRow("name of one character") << QString("t") << "t.txt";
    QTest::addRow("Chinese name") << QString("/home/u/结果") << "/home/u/结果.txt";
    QTest::addRow("empty stays empty") << QString("") << "";
}

void TestHistoryText::savedNameEndsInTxt()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    QCOMPARE(withTxtEnding(chosen), saved);
}

void TestHistoryText::filterListsInQtSyntax_data()
{
    QTest::addColumn<QString>("filterList");
    QTest::addColumn<QStringList>("nameFilters");

    const QChar nul(u'\0');
    QTest::addRow("open dialog for *.txt")
        << openDialogFilterList("*.txt")
        << QStringList { "文本文件(*.txt) (*.txt)", "所有文件(*.*) (*)" };
    QTest::addRow("open dialog for another pattern")
        << openDialogFilterList("*.dat")
        << QStringList { "文本文件(*.txt) (*.dat)", "所有文件(*.*) (*)" };
    QTest::addRow("save dialog, without the closing NULs")
        << QString(QString("文本文件 (*.txt)") + nul + "*.txt")
        << QStringList { "文本文件 (*.txt) (*.txt)" };
    QTest::addRow("patterns separated by semicolons")
        << QString(QString("数据") + nul + "*.txt; *.csv" + nul + nul)
        << QStringList { "数据 (*.txt *.csv)" };
    QTest::addRow("description without a pattern") << QString("全部") << QStringList { "全部 (*)" };
}

void TestHistoryText::filterListsInQtSyntax()
{
    QFETCH(QString, filterList);
    QFETCH(QStringList, nameFilters);
    QCOMPARE(qtNameFilters(filterList), nameFilters);
}

void TestHistoryText::decodesByMark_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    const QStringList chinese { "04,11,12,14,20,30 13", "往期 中文" };
    QTest::addRow("GBK") << gbk(u"04,11,12,14,20,30 13\r\n往期 中文") << chinese;
    QTest::addRow("UTF-8 with its mark")
        << QByteArray("\xEF\xBB\xBF" + QString("04,11,12,14,20,30 13\r\n往期 中文").toUtf8())
        << chinese;
    QStringEncoder le(QStringEncoder::Utf16LE);
    QTest::addRow("UTF-16 LE with its mark")
        << QByteArray("\xFF\xFE" + le.encode(u"04,11,12,14,20,30 13\r\n往期 中文\r\n")) << chinese;
    QStringEncoder be(QStringEncoder::Utf16BE);
    QTest::addRow("UTF-16 BE with its mark")
        << QByteArray("\xFE\xFF" + be.encode(u"04,11,12,14,20,30 13\r往期 中文")) << chinese;
    QTest::addRow("a mark alone is an empty file") << QByteArray("\xEF\xBB\xBF") << QStringList {};
    QTest::addRow("only the first mark is removed")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                      "01")
        << QStringList { QChar(0xFEFF) + QString("01") };
    // "锘" is EF BB in GBK: the first two bytes of a UTF-8 mark, but not the third.
    QTest::addRow("GBK that starts like a UTF-8 mark")
        << gbk(u"锘a") << QStringList { QString::fromUtf16(u"锘a") };
    QTest::addRow("empty file") << QByteArray() << QStringList {};
    QTest::addRow("UTF-8 without a mark, not GBK")
        << QString("04,11,12,14,20,30 13\r\n往期 中文").toUtf8() << chinese;
    // Where GBK, GB18030 and Windows' code page 936 part ways, the file reads as Windows
    // wrote it.
    QTest::addRow("euro sign, one byte in code page 936")
        << QByteArray("\x80\r\n") << QStringList { QString::fromUtf16(u"\u20AC") };
    QTest::addRow("middle dot and em dash")
        << QByteArray("\xA1\xA4\xA1\xAA") << QStringList { QString::fromUtf16(u"\u00B7\u2014") };
    // Plain digits are the same bytes in both: such a file stays GBK.
    QTest::addRow("digits only, valid in both")
        << QByteArray("01,02\r\n") << QStringList { "01,02" };
}

void TestHistoryText::decodesByMark()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    const Result<QStringList> file = decodeHistoryFile(bytes);
    QVERIFY2(file.ok(), qPrintable(importFailureText(file.failure)));
    QCOMPARE(file.value, rows);
}

void TestHistoryText::refusesWhatIsNoHistoryText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("reasons");

    QTest::addRow("NUL byte in GBK text")
        << QByteArray("04,11,12\0,14,20,30 13\r\n", 23) << QStringList { "空字符" };
    QStringEncoder le(QStringEncoder::Utf16LE);
    QTest::addRow("UTF-16 without a mark, named as such")
        << QByteArray(le.encode(u"04,11\r\n")) << QStringList { "没有字节顺序标记的 UTF-16" };
    QTest::addRow("UTF-16 with a mark, holding NUL")
        << QByteArray("\xFF\xFE" + le.encode(QStringView(u"04\0\r\n", 5)))
        << QStringList { "空字符" };
    QTest::addRow("bytes that are not GBK, line named")
        << QByteArray("04,11\r\n10,11\r\n\xFF\xFE\r\n") << QStringList { "第 3 行" };
    QTest::addRow("a lone first byte of a GBK character at the end")
        << QByteArray("04,11\r\n\x81") << QStringList { "第 2 行" };
    QTest::addRow("a lone first byte of a GBK character before CR")
        << QByteArray("04,11\x81\r\n10,11")
        << QStringList { "第 1 行第 6 个字符", "（0x81）", "\r\n\u206804,11\\x81\u2069\r\n" };
    // One byte that is neither GBK nor UTF-8 refuses the file; the user is shown where it
    // is, what it is, and how to mend the file.
    QTest::addRow("one stray byte in a comment before good rows")
        << QByteArray("# caf\xE9\r\n04,11,12,14,20,30 13\r\n10,11,12,15,26,29 09\r\n")
        << QStringList { "第 1 行第 6 个字符", "（0xE9）", "\r\n\u2068# caf\\xE9\u2069\r\n",
                         "另存为 GBK 或 UTF-8 编码" };
    QTest::addRow("a GBK line quoted with its euro sign (0x80)")
        << QByteArray("# \x80 caf\xE9\r\n04,11,12,14,20,30 13\r\n")
        << QStringList { "\u2068# € caf\\xE9\u2069" };
    QTest::addRow("a stray byte in UTF-8 text: counted in UTF-8 characters")
        << QString("往期数据\r\n第二行 \uFFFF 01").toUtf8().replace("\xEF\xBF\xBF", "\xFF")
        << QStringList { "第 2 行第 5 个字符", "（0xFF）", "第二行 \\xFF 01" };
    QTest::addRow("a stray byte far into a long line is shown")
        << QByteArray(1000, 'x') + "\x81," + QByteArray(1000, 'y')
        << QStringList { "第 1 行第 1001 个字符", "x\\x81,y", "（共 2002 个字符）" };
    QTest::addRow("a stray byte just before the quote's cut is shown with what follows")
        << QByteArray(95, 'x') + "\x81," + QByteArray(200, 'y')
        << QStringList { "…" + QString(33, 'x') + "\\x81," + QString(20, 'y') };
    // Where both encodings stop at the same byte, text of UTF-8 characters before it names
    // UTF-8: "é" is also one GBK character, "茅".
    QTest::addRow("a tie after UTF-8 text goes to UTF-8")
        << QByteArray("caf\xC3\xA9\xFF") << QStringList { "第 1 行第 5 个字符", "café\\xFF" };
    // Converters disagree on user-defined characters and on 0xFF: no platform takes them.
    QTest::addRow("a user-defined character")
        << QByteArray("04,11\r\n\xAA\xA1\r\n") << QStringList { "第 2 行第 1 个字符" };
    QTest::addRow("a character GBK 1.0 left in the private-use area")
        << QByteArray("\xFE\x51") << QStringList { "第 1 行" };
    QTest::addRow("byte 0xFF, and a tie after ASCII goes to GBK")
        << QByteArray("04,11\xFF" + gbk(u"中文"))
        << QStringList { "第 1 行第 6 个字符", "04,11\\xFF中文" };
    QTest::addRow("UTF-8 mark, then no UTF-8") << QByteArray("\xEF\xBB\xBF"
                                                             "04,\xC0\xAF")
                                               << QStringList { "UTF-8" };
    // A surrogate alone is no character: Qt's UTF-16 decoder lets it through, its UTF-8 one
    // makes it U+FFFD.
    QTest::addRow("UTF-16 mark, then a surrogate alone: line and column named")
        << QByteArray("\xFF\xFE" + le.encode(u"04\r\n1") + QByteArray("\x00\xD8", 2)
                      + le.encode(u"2"))
        << QStringList { "第 2 行第 2 个字符不是有效的 UTF-16" };
    QStringEncoder be(QStringEncoder::Utf16BE);
    QTest::addRow("UTF-16 BE mark, then a low surrogate first")
        << QByteArray("\xFE\xFF" + QByteArray("\xDC\x00", 2) + be.encode(u"1"))
        << QStringList { "第 1 行第 1 个字符不是有效的 UTF-16" };
    QTest::addRow("UTF-8 mark, then a surrogate written in UTF-8")
        << QByteArray("\xEF\xBB\xBF"
                      "01\r\n2\xED\xA0\x80")
        << QStringList { "第 2 行第 2 个字符不是有效的 UTF-8" };
    QTest::addRow("UTF-16 mark, odd number of bytes")
        << QByteArray("\xFF\xFE" + le.encode(u"04") + "\x31") << QStringList { "UTF-16" };
    QTest::addRow("one row over the limit")
        << rowsOf(maxHistoryRows + 1, "04,11,12,14,20,30 13") << QStringList { "32768 行" };
}

void TestHistoryText::refusesWhatIsNoHistoryText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, reasons);
    const Result<QStringList> file = decodeHistoryFile(bytes);
    QVERIFY(!file.ok());
    const QString said = importFailureText(file.failure);
    for (const QString &reason : reasons)
        QVERIFY2(said.contains(reason), qPrintable(said));
    QVERIFY(file.value.isEmpty());
}

void TestHistoryText::resultText_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("bytes");

    const QStringList eights(7, "08");
    const QByteArray heading = gbk(u"Orbelune运算获得中奖机率最大的一组球号是：");
    QTest::addRow("empty list: the heading alone")
        << eights << QStringList {} << QByteArray(heading + "08,08,08,08,08,08 08\r\n");
    QTest::addRow("rows exactly as stored")
        << QStringList { "10", "11", "12", "15", "26", "29", "09" }
        << QStringList { "", "  01,02 ", "a\nb", "中文" }
        << QByteArray(heading + "10,11,12,15,26,29 09\r\n\r\n  01,02 \r\na\nb\r\n" + gbk(u"中文")
                      + "\r\n");
    QTest::addRow("euro sign as one byte")
        << eights << QStringList { QString::fromUtf16(u"\u20AC") }
        << QByteArray(heading + "08,08,08,08,08,08 08\r\n\x80\r\n");
    QTest::addRow("captions as they stand")
        << QStringList { "1", "", "333", "08", "08", "08", "x" } << QStringList { "r" }
        << QByteArray(heading + "1,,333,08,08,08 x\r\nr\r\n");
}

void TestHistoryText::resultText()
{
    QFETCH(QStringList, captions);
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, bytes);
    const ResultFileBytes result = encodeResultFile(captions, rows);
    QCOMPARE(result.unencodableLine, 0);
    QCOMPARE(result.bytes, bytes);
}

void TestHistoryText::namesWhatGbkCannotHold_data()
{
    // The first line GBK cannot hold and, where given, its first such character as the refusal
    // names it: by its code, and a name where it shows as nothing.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<qsizetype>("line");
    QTest::addColumn<QString>("named");

    QTest::addRow("emoji in the second row")
        << QStringList { "01", QString::fromUtf16(u"彩票 \U0001F3B1"), "\U0001F3B1" }
        << qsizetype(3) << QString();
    // GBK writes U+30FB as the middle dot, which reads back as U+00B7.
    QTest::addRow("a character GBK maps one way only")
        << QStringList { QString::fromUtf16(u"\u30FB") } << qsizetype(2) << QString();
    QTest::addRow("a private-use character")
        << QStringList { QString::fromUtf16(u"\uE000") } << qsizetype(2) << QString();
    QTest::addRow("U+F8F5, which Windows alone writes as 0xFF")
        << QStringList { "01", QString::fromUtf16(u"\uF8F5") } << qsizetype(3) << QString();
    QTest::addRow("U+FFFD") << QStringList { "a", "b", QString::fromUtf16(u"\uFFFD") }
                            << qsizetype(4) << QString();
    // Two UTF-8 files joined into one: the second one's byte-order mark starts a row.
    QTest::addRow("a byte-order mark")
        << QStringList { "01", QStringLiteral("\uFEFF01,02,03,04,05,06 07") } << qsizetype(3)
        << QStringLiteral("U+FEFF（字节顺序标记）");
    QTest::addRow("a pair of surrogates far into a long row")
        << QStringList { "01", QString(100000, 'x') + QStringLiteral("\U0001F3B1\uFEFF") }
        << qsizetype(3) << QStringLiteral("“\U0001F3B1”（U+1F3B1）");
}

void TestHistoryText::namesWhatGbkCannotHold()
{
    QFETCH(QStringList, rows);
    QFETCH(qsizetype, line);
    QFETCH(QString, named);
    const ResultFileBytes result = encodeResultFile(QStringList(7, "08"), rows);
    QCOMPARE(result.unencodableLine, line);
    QVERIFY(result.bytes.isEmpty());
    if (!named.isEmpty())
        QCOMPARE(characterForMessage(result.unencodableChar), named);
}

QTEST_GUILESS_MAIN(TestHistoryText)
#include "tst_historytext.moc"
