// The history import and the result file, through the window's commands; the file dialogs
// answered through their seam, and a few times the real ones.

#include "testsupport.h"

#include "app/form1.h"
#include "history/historytext.h"
#include "history/resultfile.h"

#include <QComboBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

using namespace orbelune;
using namespace orbelune::testing;

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(ORBELUNE_TEST_DATA "/") + QLatin1String(name);
}

QByteArray heading(const QByteArray &balls = "08,08,08,08,08,08 08")
{
    return encodeGbk(resultHeading()) + balls + "\r\n";
}

// Every file under a folder with its bytes (a folder as "<dir>"), to see that nothing changed.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, it.fileInfo().isDir() ? QByteArray("<dir>") : contents(path));
    }
    return files;
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

QString documentsOrHome()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(QFileInfo(documents).isDir() ? documents : QDir::homePath()).absolutePath();
}

int visibleFileDialogs(QFileDialog **last = nullptr)
{
    int visible = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible()) {
            ++visible;
            if (last)
                *last = dialog;
        }
    }
    return visible;
}

// As a user types a name: selectFile() leaves the name box alone while it has the focus.
void typeName(QFileDialog *dialog, const QString &path)
{
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
}

// QFileDialog checks the typed name in accept().
void typeAndAccept(QFileDialog *dialog, const QString &path)
{
    typeName(dialog, path);
    static_cast<QDialog *>(dialog)->accept();
}

QStringList shownFilters(QFileDialog *dialog)
{
    QStringList texts;
    if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
    return texts;
}

// Runs script once a real file dialog shows; a dialog still open after ten seconds is closed,
// so that a failing test never waits for a click.
void whenDialogShown(QObject *context, std::function<void(QFileDialog *)> script)
{
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, script] {
        QFileDialog *dialog = nullptr;
        if (visibleFileDialogs(&dialog) > 0) {
            poll->stop();
            script(dialog);
        }
    });
    QTimer::singleShot(10000, context, [poll] {
        poll->stop();
        // The dialog's own warning box first, if it put one up.
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
        closeFileDialog();
    });
    poll->start(10);
}

// The number of file dialogs shown after a second command given while one is open. A
// command that opened a second dialog would wait for it, so the count is also taken from
// inside that wait, which then closes the second dialog.
int dialogsAfter(QObject *context, const std::function<void()> &command)
{
    auto seen = std::make_shared<int>(0);
    QTimer::singleShot(0, context, [seen] {
        if ((*seen = visibleFileDialogs()) > 1)
            closeFileDialog();
    });
    command();
    return std::max(*seen, visibleFileDialogs());
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_form = new Form1;
        m_dir.emplace();
        m_seams.emplace();
    }
    void cleanup()
    {
        m_seams.reset();
        delete m_form;
        m_dir.reset();
    }

    void roundTripKeepsEveryByte();
    void importRefusedKeepsList_data();
    void importRefusedKeepsList();
    void fullListImportsAndSavesQuickly();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void saveBeforeAnyRunAndWithEmptyList();
    void saveFailedKeepsOldFile_data();
    void saveFailedKeepsOldFile();
    void windowUsedWhileDialogOpen_data();
    void windowUsedWhileDialogOpen();

    void realDialog_data();
    void realDialog();
    void destroyedWindowClosesDialog();
    void closingWindowClosesDialogAndEndsProgram();

private:
    Form1 *m_form = nullptr;
    std::optional<QTemporaryDir> m_dir;
    std::optional<Seams> m_seams;
};

void TestFiles::roundTripKeepsEveryByte()
{
    // GBK with Chinese, blank rows, blanks kept, CR LF and a lone CR, a lone LF inside a row,
    // no final terminator: every row comes in as the file has it and goes out byte for byte.
    m_form->setBallCaption(3, QStringLiteral("27"));
    m_form->ListNumB[0]->addItems({ "5", "9" });
    m_form->List1->setCurrentRow(5);
    m_seams->answer = fixture("roundtrip-gbk.txt");
    m_form->data_Click();
    m_form->data_Click(); // the same file again: its rows once
    QCOMPARE(items(m_form->List1),
             (QStringList { "04,11,12,14,20,30 13", "第一期 中文注释 丂亐", "",
                            "  10,11,12,15,26,29 09  ", "01,02,03\n04,05,06 07", "", "\t制表符\t ",
                            "双色球 33,32,31,30,29,28 16" }));
    // The import replaces the list and leaves its selection, the pools and the ball row alone.
    QCOMPARE(m_form->List1->currentRow(), -1);
    QVERIFY(m_form->List1->selectedItems().isEmpty());
    QCOMPARE(m_form->CapNum[3]->text(), QStringLiteral("27"));
    QCOMPARE(m_form->CapNum[0]->text(), QStringLiteral("08"));
    QCOMPARE(items(m_form->ListNumB[0]), (QStringList { "5", "9" }));

    m_seams->answer = m_dir->filePath("result.txt");
    m_form->savejg_Click();
    QVERIFY2(m_seams->messages.isEmpty(), qPrintable(m_seams->lastMessage()));
    QCOMPARE(contents(m_seams->answer),
             heading("08,08,08,27,08,08 08") + asSaved(contents(fixture("roundtrip-gbk.txt"))));
}

void TestFiles::importRefusedKeepsList_data()
{
    QTest::addColumn<QString>("file"); // "@" names a file the test makes
    QTest::addColumn<QString>("reason");
    QTest::addRow("missing file") << QString("@missing") << "文件不存在";
    QTest::addRow("a directory") << QString("@directory") << "文件夹";
    QTest::addRow("one row over the limit") << QString("@rows") << "32768 行";
    QTest::addRow("more bytes than a history file has") << QString("@large") << "太大";
    QTest::addRow("binary file") << fixture("binary.bin") << "空字符";
    QTest::addRow("UTF-16 without its mark") << fixture("utf16le-without-bom.txt") << "空字符";
    QTest::addRow("bytes that are not GBK") << fixture("invalid-gbk.txt") << "第 3 行";
}

void TestFiles::importRefusedKeepsList()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    const QByteArray row = "01,02,03,04,05,06 07\r\n";
    if (file == "@missing") {
        file = m_dir->filePath("missing.txt");
    } else if (file == "@directory") {
        file = m_dir->path();
    } else if (file == "@rows") {
        file = m_dir->filePath("rows.txt");
        QVERIFY(writeFile(file, row.repeated(maxHistoryRows + 1)));
    } else if (file == "@large") {
        file = m_dir->filePath("large.txt");
        QVERIFY(writeFile(file, row.repeated(maxHistoryFileBytes / row.size() + 1)));
    }
    m_form->List1->setCurrentRow(7);
    const QStringList before = items(m_form->List1);
    m_seams->answer = file;
    m_form->data_Click();

    QCOMPARE(m_seams->messages.size(), 1);
    const MessageBoxRequest &message = m_seams->messages.first();
    QCOMPARE(message.title, QStringLiteral("Orbelune"));
    QCOMPARE(message.icon, MessageIcon::Warning);
    for (const QString &part : { QDir::toNativeSeparators(file), reason, QString("没有改动") })
        QVERIFY2(message.text.contains(part), qPrintable(message.text));
    QCOMPARE(items(m_form->List1), before);
    QCOMPARE(m_form->List1->currentRow(), 7);
}

void TestFiles::fullListImportsAndSavesQuickly()
{
    QByteArray file;
    for (int i = 0; i < maxHistoryRows; ++i)
        file += QByteArray::number(10 + i % 90) + ",11,12,15,26,29 0" + QByteArray::number(i % 10)
            + "\r\n";
    const QString path = m_dir->filePath("full.txt");
    QVERIFY(writeFile(path, file));

    QElapsedTimer timer;
    timer.start();
    m_form->导入数据(path);
    const qint64 importMs = timer.elapsed();
    QCOMPARE(m_form->List1->count(), maxHistoryRows);

    m_seams->answer = m_dir->filePath("result.txt");
    timer.restart();
    m_form->savejg_Click();
    const qint64 saveMs = timer.elapsed();
    QVERIFY(m_seams->messages.isEmpty());
    QCOMPARE(contents(m_seams->answer), heading() + file);

    qInfo("32767 rows: import %lld ms, save %lld ms", importMs, saveMs);
    // Generous bounds, for slow machines and sanitizers; they catch work that grows with the
    // square of the row count, not a slow disk.
    QVERIFY(importMs < 2000);
    QVERIFY(saveMs < 2000);
}

void TestFiles::cancelChangesNothing_data()
{
    QTest::addColumn<bool>("save");
    QTest::addRow("open dialog") << false;
    QTest::addRow("save dialog") << true;
}

void TestFiles::cancelChangesNothing()
{
    QFETCH(bool, save);
    const QStringList before = items(m_form->List1);
    if (save)
        m_form->savejg_Click();
    else
        m_form->data_Click();
    QCOMPARE(m_seams->dialogs.size(), 1);
    QCOMPARE(items(m_form->List1), before);
    QVERIFY(m_seams->messages.isEmpty());
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestFiles::saveBeforeAnyRunAndWithEmptyList()
{
    // Typed without an ending: the file gets ".txt".
    m_seams->answer = m_dir->filePath("result");
    m_form->savejg_Click();
    QVERIFY(!QFileInfo::exists(m_seams->answer));
    const QByteArray saved = contents(m_dir->filePath("result.txt"));
    QVERIFY(saved.endsWith("\r\n"));
    const QStringList lines = decodeGbk(saved).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1 + 877 + 1);
    QCOMPARE(lines.first(), resultHeading() + "08,08,08,08,08,08 08");
    QCOMPARE(lines.mid(1, 877), items(m_form->List1));

    // An empty list, saved over the same file: the heading alone replaces it.
    m_seams->answer = m_dir->filePath("empty.txt");
    QVERIFY(writeFile(m_seams->answer, QByteArray()));
    m_form->data_Click();
    QCOMPARE(m_form->List1->count(), 0);
    m_seams->answer = m_dir->filePath("result.txt");
    m_form->savejg_Click();
    QCOMPARE(contents(m_seams->answer), heading());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList { "empty.txt", "result.txt" }));
    QVERIFY(m_seams->messages.isEmpty());
}

void TestFiles::saveFailedKeepsOldFile_data()
{
    QTest::addColumn<QString>("target"); // in the test's folder, which holds "result.txt"
    QTest::addColumn<QString>("import"); // a fixture to import first, if any
    QTest::addColumn<int>("room"); // bytes left on the disk; 0 for no limit
    QTest::addColumn<QStringList>("reasons");
    const QString nothingWritten = QStringLiteral("没有写入任何内容");
    const QString oldKept = QStringLiteral("原有的文件没有改动");
    QTest::addRow("missing folder") << "no-such-folder/result.txt"
                                    << "" << 0 << QStringList { "不存在", nothingWritten };
    QTest::addRow("a file where the folder should be")
        << "result.txt/result.txt"
        << "" << 0 << QStringList { "不存在", nothingWritten };
    QTest::addRow("a folder where the file should be")
        << "folder.txt"
        << "" << 0 << QStringList { "文件夹", oldKept };
    // A file that fits in the 16 KiB write buffer reaches the disk only when it is committed.
    QTest::addRow("full disk, small file kept in the buffer")
        << "result.txt"
        << "@empty" << 30 << QStringList { "写入文件时出错", oldKept };
    QTest::addRow("full disk, large file written straight through")
        << "result.txt"
        << "" << 4096 << QStringList { "写入文件时出错", oldKept };
    QTest::addRow("a row GBK cannot hold")
        << "result.txt" << fixture("unicode-not-in-gbk.txt") << 0
        << QStringList { "第 2 行", QString::fromUtf16(u"彩票 \U0001F3B1 33"), oldKept };
}

void TestFiles::saveFailedKeepsOldFile()
{
    QFETCH(QString, target);
    QFETCH(QString, import);
    QFETCH(int, room);
    QFETCH(QStringList, reasons);
    QVERIFY(writeFile(m_dir->filePath("result.txt"), "the result of an earlier run\r\n"));
    QVERIFY(QDir(m_dir->path()).mkdir("folder.txt"));
    if (!import.isEmpty()) {
        m_seams->answer = import == "@empty" ? m_dir->filePath("folder.txt/empty.txt") : import;
        QVERIFY(writeFile(m_dir->filePath("folder.txt/empty.txt"), QByteArray()));
        m_form->data_Click();
        QVERIFY2(m_seams->messages.isEmpty(), qPrintable(m_seams->lastMessage()));
    }
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    const QStringList list = items(m_form->List1);

    m_seams->answer = m_dir->filePath(target);
    {
#ifdef Q_OS_UNIX
        std::optional<FileSizeLimit> fullDisk;
        if (room > 0 && !fullDisk.emplace(qint64(room)).isActive())
            QSKIP("cannot limit the file size here");
#else
        if (room > 0)
            QSKIP("the file-size limit is a POSIX feature");
#endif
        m_form->savejg_Click();
    }
    QCOMPARE(m_seams->messages.size(), 1);
    const MessageBoxRequest &message = m_seams->messages.first();
    QCOMPARE(message.icon, MessageIcon::Warning);
    for (const QString &part : QStringList { QDir::toNativeSeparators(m_seams->answer) } + reasons)
        QVERIFY2(message.text.contains(part), qPrintable(message.text));
    // No file changed, and no temporary file left behind.
    QCOMPARE(snapshot(m_dir->path()), before);
    QCOMPARE(items(m_form->List1), list);
}

void TestFiles::windowUsedWhileDialogOpen_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("close"); // the window is closed, rather than a run started
    QTest::addRow("run started behind the import") << false << false;
    QTest::addRow("run started behind the save") << true << false;
    QTest::addRow("window closed behind the import") << false << true;
    QTest::addRow("window closed behind the save") << true << true;
}

void TestFiles::windowUsedWhileDialogOpen()
{
    // The dialogs leave the window usable. A run started behind one holds its command lock
    // for what the dialog returns; a window closed behind one takes nothing from it.
    QFETCH(bool, save);
    QFETCH(bool, close);
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.5f }));
    const QStringList before = items(m_form->List1);
    m_seams->answer = save ? m_dir->filePath("result.txt") : fixture("roundtrip-gbk.txt");
    m_seams->whileDialogOpen = [this, close] {
        if (close)
            m_form->close();
        else
            m_form->start_Click();
    };
    if (save)
        m_form->savejg_Click();
    else
        m_form->data_Click();
    if (close) {
        QVERIFY(m_seams->messages.isEmpty());
    } else {
        QVERIFY(m_form->isRunActive());
        m_form->stopfx_Click();
        QCOMPARE(m_seams->messages.size(), 1);
        QVERIFY2(m_seams->lastMessage().contains("正在分析"), qPrintable(m_seams->lastMessage()));
    }
    QCOMPARE(items(m_form->List1), before);
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestFiles::realDialog_data()
{
    QTest::addColumn<bool>("save");
    QTest::addRow("open dialog") << false;
    QTest::addRow("save dialog") << true;
}

void TestFiles::realDialog()
{
    // What the user meets in each real dialog: its title and filters, no owner and no
    // modality (the window stays usable), one file dialog at a time whichever command asks,
    // and the name typed taken.
    QFETCH(bool, save);
    setFileDialogHandler({});
    m_form->show();
    QString title;
    QStringList filters;
    QWidget *parent = m_form;
    QString folder;
    bool windowUsable = false;
    bool mustExist = false;
    bool asksBeforeReplacing = true;
    int dialogs = 0;
    QObject context;
    whenDialogShown(&context, [&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = shownFilters(dialog);
        parent = dialog->parentWidget();
        folder = dialog->directory().absolutePath();
        windowUsable = dialog->windowModality() == Qt::NonModal && m_form->isEnabled()
            && !QApplication::activeModalWidget();
        mustExist = dialog->fileMode() == QFileDialog::ExistingFile;
        asksBeforeReplacing = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialogs = dialogsAfter(&context, [this] { m_form->data_Click(); });
        typeAndAccept(dialog, save ? m_dir->filePath("out") : fixture("roundtrip-gbk.txt"));
    });
    if (save)
        m_form->savejg_Click();
    else
        m_form->data_Click();

    QCOMPARE(title,
             save ? QStringLiteral("保存运算出来的彩球结果")
                  : QStringLiteral("请选择要导入的彩票数据文件"));
    const QStringList expectedFilters = save ? QStringList { "文本文件 (*.txt)" }
                                             : QStringList { "文本文件(*.txt)", "所有文件(*.*)" };
    QCOMPARE(filters, expectedFilters);
    QCOMPARE(parent, nullptr);
    QVERIFY(windowUsable);
    QCOMPARE(dialogs, 1);
    QVERIFY(!isFileDialogOpen());
    QVERIFY(m_seams->messages.isEmpty());
    if (save) {
        // Saving over a file asks nothing; the dialog opens in the documents.
        QVERIFY(!asksBeforeReplacing);
#ifndef Q_OS_WIN
        QCOMPARE(folder, documentsOrHome());
#endif
        QVERIFY(QFileInfo::exists(m_dir->filePath("out.txt")));
        QCOMPARE(m_form->List1->count(), 877);
    } else {
        QVERIFY(mustExist);
        QCOMPARE(m_form->List1->count(), 8);
    }
}

void TestFiles::destroyedWindowClosesDialog()
{
    setFileDialogHandler({});
    m_form->show();
    bool dialogOutlivedWindow = true;
    QObject context;
    whenDialogShown(&context, [&](QFileDialog *dialog) {
        typeName(dialog, fixture("roundtrip-gbk.txt"));
        delete m_form;
        m_form = nullptr;
        dialogOutlivedWindow = dialog->isVisible();
    });
    // The command returns into a window that is gone: it must touch nothing of it.
    Form1 *form = m_form;
    form->data_Click();
    QVERIFY(!dialogOutlivedWindow);
    QVERIFY(!isFileDialogOpen());
    QVERIFY(m_seams->messages.isEmpty());
}

void TestFiles::closingWindowClosesDialogAndEndsProgram()
{
    setFileDialogHandler({});
    m_form->show();
    const QStringList before = items(m_form->List1);
    bool returned = false;
    bool dialogOutlivedWindow = true;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        m_form->data_Click();
        returned = true;
    });
    whenDialogShown(&context, [&](QFileDialog *dialog) {
        typeName(dialog, fixture("roundtrip-gbk.txt"));
        m_form->close();
        dialogOutlivedWindow = dialog->isVisible();
    });
    QTimer::singleShot(15000, &context, [] {
        closeFileDialog();
        QCoreApplication::exit(1);
    });

    // The program's own loop: it must end by itself once the window is closed.
    QApplication::setQuitOnLastWindowClosed(true);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!dialogOutlivedWindow);
    QVERIFY(returned);
    QVERIFY(!isFileDialogOpen());
    QCOMPARE(visibleFileDialogs(), 0);
    QCOMPARE(items(m_form->List1), before);
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
