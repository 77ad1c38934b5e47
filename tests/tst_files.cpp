// The history import and the result file, through the window's commands; the file dialogs
// answered through their seam (the real ones are tst_filedialogs').

#include "testsupport.h"

#include "app/mainwindow.h"
#include "history/historytext.h"
#include "history/resultfile.h"

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

QByteArray heading(const QByteArray &balls = "08,08,08,08,08,08 08")
{
    return strictEncodeGbk(resultHeading()).value() + balls + "\r\n";
}

// The lines of a file cut at the byte level, the way the result file must write them back:
// CR LF or a lone CR ends a line, and every line is written with CR LF.
QByteArray asSaved(const QByteArray &file)
{
    QByteArray text = file;
    text.replace("\r\n", "\r");
    QList<QByteArray> lines = text.split('\r');
    if (text.endsWith('\r'))
        lines.removeLast();
    QByteArray saved;
    for (const QByteArray &line : lines)
        saved += line + "\r\n";
    return saved;
}

// A file dialog that must change nothing: cancelled, or with the window used behind it.
struct DialogRow
{
    bool save;
    std::function<void(MainWindow *)> meanwhile {}; // what the user does behind it; none: a cancel
    bool runStarted = false;
};

} // namespace

Q_DECLARE_METATYPE(DialogRow)

class TestFiles : public WindowTest
{
    Q_OBJECT

private slots:
    void roundTripKeepsEveryByte();
    void fullListImportsAndSavesQuickly();
    void emptyListSavesHeadingAlone();
    void refusedCommandTellsWhyAndKeepsAll_data();
    void refusedCommandTellsWhyAndKeepsAll();
    void failedRewriteTellsWhatIsLeft_data();
    void failedRewriteTellsWhatIsLeft();
    void dialogChangesNothing_data();
    void dialogChangesNothing();
};

void TestFiles::roundTripKeepsEveryByte()
{
    // GBK with Chinese, blank rows, blanks kept, CR LF and a lone CR, a lone LF inside a row,
    // no final terminator: every row comes in as the file has it and goes out byte for byte.
    ui(m_mainWindow).ballCaptions[3]->setText(QStringLiteral("27"));
    ui(m_mainWindow).poolLists[0]->addItems({ "5", "9" });
    ui(m_mainWindow).historyList->setCurrentRow(5);
    m_seams->answer = fixture("roundtrip-gbk.txt");
    ui(m_mainWindow).importAction->trigger();
    ui(m_mainWindow).importAction->trigger(); // the same file again: its rows once
    QCOMPARE(items(ui(m_mainWindow).historyList),
             (QStringList { "04,11,12,14,20,30 13", "第一期 中文注释 丂亐", "",
                            "  10,11,12,15,26,29 09  ", "01,02,03\n04,05,06 07", "", "\t制表符\t ",
                            "双色球 33,32,31,30,29,28 16" }));
    // The import replaces the list and leaves its selection, the pools and the ball row alone.
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), -1);
    QVERIFY(ui(m_mainWindow).historyList->selectedItems().isEmpty());
    QCOMPARE(ui(m_mainWindow).ballCaptions[3]->text(), QStringLiteral("27"));
    QCOMPARE(ui(m_mainWindow).ballCaptions[0]->text(), QStringLiteral("08"));
    QCOMPARE(items(ui(m_mainWindow).poolLists[0]), (QStringList { "5", "9" }));

    m_seams->answer = m_dir->filePath("result.txt");
    ui(m_mainWindow).saveAction->trigger();
    QVERIFY2(m_seams->messages.isEmpty(), qPrintable(m_seams->lastMessage()));
    QCOMPARE(contents(m_seams->answer),
             heading("08,08,08,27,08,08 08") + asSaved(contents(fixture("roundtrip-gbk.txt"))));
}

void TestFiles::fullListImportsAndSavesQuickly()
{
    QByteArray file;
    for (int i = 0; i < maxHistoryRows; ++i)
        file += QByteArray::number(10 + i % 90) + ",11,12,15,26,29 0" + QByteArray::number(i % 10)
            + "\r\n";
    const QString path = m_dir->filePath("full.txt");
    QVERIFY(writeFile(path, file));

    m_seams->answer = path;
    QElapsedTimer timer;
    timer.start();
    ui(m_mainWindow).importAction->trigger();
    const qint64 importMs = timer.elapsed();
    QCOMPARE(ui(m_mainWindow).historyList->count(), maxHistoryRows);

    m_seams->answer = m_dir->filePath("result.txt");
    timer.restart();
    ui(m_mainWindow).saveAction->trigger();
    const qint64 saveMs = timer.elapsed();
    QVERIFY(m_seams->messages.isEmpty());
    QCOMPARE(contents(m_seams->answer), heading() + file);

    qInfo("32767 rows: import %lld ms, save %lld ms", importMs, saveMs);
    // Generous bounds, for slow machines and sanitizers; they catch work that grows with the
    // square of the row count, not a slow disk.
    QVERIFY(importMs < timeLimitMs(2000));
    QVERIFY(saveMs < timeLimitMs(2000));
}

void TestFiles::emptyListSavesHeadingAlone()
{
    // An empty list, saved over a file by its name typed without the ending: the heading alone
    // replaces it, and nothing is written under the name as typed.
    QVERIFY(writeFile(m_dir->filePath("result.txt"), "the result of an earlier run\r\n"));
    m_seams->answer = m_dir->filePath("empty.txt");
    QVERIFY(writeFile(m_seams->answer, QByteArray()));
    ui(m_mainWindow).importAction->trigger();
    QCOMPARE(ui(m_mainWindow).historyList->count(), 0);
    m_seams->answer = m_dir->filePath("result");
    ui(m_mainWindow).saveAction->trigger();
    QCOMPARE(contents(m_dir->filePath("result.txt")), heading());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList { "empty.txt", "result.txt" }));
    QVERIFY(m_seams->messages.isEmpty());
}

void TestFiles::refusedCommandTellsWhyAndKeepsAll_data()
{
    // The causes themselves are the file layer's (tst_fileio) and the text's (tst_historytext):
    // here, that the window tells them, with what became of an old file, and keeps the list.
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("file"); // to import, or to save in the test's folder
    QTest::addColumn<QString>("import"); // a fixture to import before the save, if any
    QTest::addColumn<int>("room"); // bytes a file may grow to; 0 for no limit
    QTest::addColumn<QStringList>("reasons");
    const QString nothingWritten = QStringLiteral("没有写入任何内容");
    const QString oldKept = QStringLiteral("原有的文件没有改动");
    QTest::addRow("import, missing file") << false << fixture("missing.txt") << QString() << 0
                                          << QStringList { "文件不存在", "没有改动" };
    QTest::addRow("import, one stray byte before three good rows")
        << false << fixture("one-stray-byte.txt") << QString() << 0
        << QStringList { "第 1 行第 6 个字符是一个既不是 GBK 也不是 UTF-8", "没有改动" };
    QTest::addRow("save, missing folder") << true << QString("none/result.txt") << QString() << 0
                                          << QStringList { "不存在", nothingWritten };
    QTest::addRow("save, a row GBK cannot hold")
        << true << QString("result.txt") << fixture("unicode-not-in-gbk.txt") << 0
        << QStringList { "第 2 行", QString::fromUtf16(u"彩票 \U0001F3B1 33"), oldKept };
    QTest::addRow("save, two UTF-8 files joined: a mark inside")
        << true << QString("result.txt") << fixture("two-files-joined.txt") << 0
        << QStringList { "第 2 行含有 GBK 编码不能表示的字符：U+FEFF（字节顺序标记）", oldKept };
#ifdef Q_OS_UNIX
    QTest::addRow("save, size limit")
        << true << QString("result.txt") << QString() << 4096
        << QStringList { "写入文件时出错（文件超出了允许的大小）", oldKept };
#endif
}

void TestFiles::refusedCommandTellsWhyAndKeepsAll()
{
    QFETCH(bool, save);
    QFETCH(QString, file);
    QFETCH(QString, import);
    QFETCH(int, room);
    QFETCH(QStringList, reasons);
    QVERIFY(writeFile(m_dir->filePath("result.txt"), "the result of an earlier run\r\n"));
    if (!import.isEmpty()) {
        m_seams->answer = import;
        ui(m_mainWindow).importAction->trigger();
        QVERIFY2(m_seams->messages.isEmpty(), qPrintable(m_seams->lastMessage()));
    }
    ui(m_mainWindow).historyList->setCurrentRow(7);
    const int current = ui(m_mainWindow).historyList->currentRow();
    const QStringList list = items(ui(m_mainWindow).historyList);
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    m_seams->answer = save ? m_dir->filePath(file) : file;
    if (!withFileSizeLimit(room, [this, save] { openOrSave(save); }))
        QSKIP("cannot limit the file size here");
    QCOMPARE(m_seams->messages.size(), 1);
    const MessageBoxRequest &message = m_seams->messages.first();
    QCOMPARE(message.title, QStringLiteral("Orbelune"));
    QCOMPARE(message.icon, MessageIcon::Warning);
    for (const QString &part : QStringList { QDir::toNativeSeparators(m_seams->answer) } + reasons)
        QVERIFY2(message.text.contains(part), qPrintable(message.text));
    QCOMPARE(items(ui(m_mainWindow).historyList), list);
    QCOMPARE(ui(m_mainWindow).historyList->currentRow(), current);
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestFiles::failedRewriteTellsWhatIsLeft_data()
{
    QTest::addColumn<qint64>("oldSize");
    QTest::addColumn<QString>("told");
    QTest::addRow("put back") << qint64(32 * 1024) << "已经把原有的内容写回，原有的文件完好无损";
    // Too large to keep in memory, so it cannot be written back.
    QTest::addRow("lost") << qint64(64 * 1024 * 1024 + 1) << "原有的内容已经丢失";
}

void TestFiles::failedRewriteTellsWhatIsLeft()
{
    // A folder that takes no new file (root is stopped by the immutable flag alone) has the
    // old file written over in place, which fails here past 4 KB.
    QFETCH(qint64, oldSize);
    QFETCH(QString, told);
    m_seams->answer = m_dir->filePath("result.txt");
    QFile file(m_seams->answer);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(32 * 1024, 'o'))
            && file.resize(oldSize));
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    QProcess::execute("chattr", { "+i", m_dir->path() });
    const bool closed = !QFile(m_dir->filePath("probe")).open(QIODevice::WriteOnly);
    const bool limited
        = closed && withFileSizeLimit(4096, [this] { ui(m_mainWindow).saveAction->trigger(); });
    QProcess::execute("chattr", { "-i", m_dir->path() });
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!limited)
        QSKIP("no folder closed to new files, or no file size limit here");
    QVERIFY2(m_seams->lastMessage().contains(told), qPrintable(m_seams->lastMessage()));
}

void TestFiles::dialogChangesNothing_data()
{
    QTest::addColumn<DialogRow>("row");
    const auto start = [](MainWindow *form) { ui(form).startButton->click(); };
    const auto close = [](MainWindow *form) { form->close(); };
    QTest::addRow("open dialog cancelled") << DialogRow { false };
    QTest::addRow("save dialog cancelled") << DialogRow { true };
    QTest::addRow("run started behind the import") << DialogRow { false, start, true };
    QTest::addRow("run started behind the save") << DialogRow { true, start, true };
    QTest::addRow("window closed behind the import") << DialogRow { false, close };
    QTest::addRow("window closed behind the save") << DialogRow { true, close };
}

void TestFiles::dialogChangesNothing()
{
    // The dialogs leave the window usable. A run started behind one holds its command lock
    // for what the dialog returns; a window closed behind one takes nothing from it.
    QFETCH(DialogRow, row);
    m_mainWindow->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.5f }));
    const QStringList before = items(ui(m_mainWindow).historyList);
    if (row.meanwhile) {
        m_seams->answer = row.save ? m_dir->filePath("result.txt") : fixture("roundtrip-gbk.txt");
        m_seams->whileDialogOpen = [this, row] { row.meanwhile(m_mainWindow); };
    }
    openOrSave(row.save);
    QCOMPARE(m_seams->dialogs.size(), 1);
    QCOMPARE(isRunning(m_mainWindow), row.runStarted);
    QCOMPARE(m_seams->messages.size(), row.runStarted ? 1 : 0);
    QVERIFY2(!row.runStarted || m_seams->lastMessage().contains("正在分析"),
             qPrintable(m_seams->lastMessage()));
    QCOMPARE(items(ui(m_mainWindow).historyList), before);
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
