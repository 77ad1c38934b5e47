// The history import and the result file, through the window's commands; the file dialogs
// answered through their seam, and a few times the real ones.

#include "app/form1.h"
#include "app/messagebox.h"
#include "app/taggedtimer.h"
#include "history/filedialogs.h"
#include "history/historytext.h"
#include "history/resultfile.h"
#include "scriptedrandom.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace orbelune;

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(ORBELUNE_TEST_DATA "/") + QLatin1String(name);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QByteArray heading(const QByteArray &balls)
{
    return encodeGbk(QStringLiteral("Orbelune运算获得中奖机率最大的一组球号是：")) + balls + "\r\n";
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

QFileDialog *visibleFileDialog(int *count = nullptr)
{
    QFileDialog *found = nullptr;
    int visible = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible()) {
            found = dialog;
            ++visible;
        }
    }
    if (count)
        *count = visible;
    return found;
}

// As a user types a name: selectFile() leaves the name box alone while it has the focus.
void typeFileName(QFileDialog *dialog, const QString &path)
{
    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
}

QStringList shownFilters(QFileDialog *dialog)
{
    QStringList texts;
    if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
    }
    return texts;
}

// Runs script once a real file dialog shows; a dialog still open after ten seconds is closed,
// so that a failing test never waits for a click.
void whenDialogShown(QObject *context, std::function<void(QFileDialog *)> script)
{
    auto *poll = new QTimer(context);
    auto *giveUp = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, script] {
        if (QFileDialog *dialog = visibleFileDialog()) {
            poll->stop();
            script(dialog);
        }
    });
    QObject::connect(giveUp, &QTimer::timeout, context, [poll] {
        poll->stop();
        // The dialog's own warning box first, if it put one up.
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
        closeFileDialog();
    });
    poll->start(10);
    giveUp->setSingleShot(true);
    giveUp->start(10000);
}

// Gives a command while a file dialog is open and counts the file dialogs shown. A command
// that opened a second dialog would wait for it, so the count is also taken from inside that
// wait, which then closes the second dialog.
void secondClick(QObject *context, const std::function<void()> &command, int *dialogs)
{
    *dialogs = 0;
    QTimer::singleShot(0, context, [dialogs] {
        int seen = 0;
        visibleFileDialog(&seen);
        if (seen > 1) {
            *dialogs = seen;
            closeFileDialog();
        }
    });
    command();
    int seen = 0;
    visibleFileDialog(&seen);
    *dialogs = std::max(*dialogs, seen);
}

#ifdef Q_OS_UNIX
// A disk that fills up after a few kilobytes: writes past the limit fail with EFBIG instead
// of killing the process. Both the limit and the signal are restored on leaving the scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isActive() const { return m_active; }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};
#endif

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void roundTripKeepsEveryByte();
    void importLeavesTheRestAlone();
    void importRefusedKeepsList_data();
    void importRefusedKeepsList();
    void fullListImportsAndSavesQuickly();

    void dialogsAskAsDesigned();
    void cancelChangesNothing_data();
    void cancelChangesNothing();

    void saveBeforeAnyRun();
    void saveAfterRun();
    void saveTwiceReplacesFile();
    void saveRefusedWritesNothing_data();
    void saveRefusedWritesNothing();
    void fullDiskKeepsOldFile();
    void saveRefusesWhatGbkCannotHold();
    void runStartedWhileDialogOpen_data();
    void runStartedWhileDialogOpen();

    void realOpenDialog();
    void realSaveDialog();
    void destroyedWindowClosesDialog();
    void closingWindowClosesDialogAndEndsProgram();

private:
    Form1 *m_form = nullptr;
    QTemporaryDir *m_dir = nullptr;
    QList<FileDialogRequest> m_requests;
    QString m_answer;
    std::function<void()> m_whileOpen;
    QList<MessageBoxRequest> m_messages;
};

void TestFiles::init()
{
    m_form = new Form1;
    m_dir = new QTemporaryDir;
    m_requests.clear();
    m_answer.clear();
    m_whileOpen = nullptr;
    m_messages.clear();
    setFileDialogHandler([this](const FileDialogRequest &request) {
        m_requests.append(request);
        if (m_whileOpen)
            m_whileOpen();
        return m_answer;
    });
    setMessageBoxHandler([this](const MessageBoxRequest &request) { m_messages.append(request); });
}

void TestFiles::cleanup()
{
    setFileDialogHandler({});
    setMessageBoxHandler({});
    delete m_form;
    m_form = nullptr;
    delete m_dir;
    m_dir = nullptr;
}

void TestFiles::roundTripKeepsEveryByte()
{
    m_answer = fixture("roundtrip-gbk.txt");
    m_form->data_Click();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
    QCOMPARE(items(m_form->List1),
             (QStringList { "04,11,12,14,20,30 13", "第一期 中文注释 丂亐", "",
                            "  10,11,12,15,26,29 09  ", "01,02,03\n04,05,06 07", "", "\t制表符\t ",
                            "双色球 33,32,31,30,29,28 16" }));

    m_answer = m_dir->filePath("result.txt");
    m_form->savejg_Click();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
    QCOMPARE(contents(m_answer),
             heading("08,08,08,08,08,08 08") + asSaved(contents(fixture("roundtrip-gbk.txt"))));
}

void TestFiles::importLeavesTheRestAlone()
{
    m_form->setBallCaption(3, QStringLiteral("27"));
    m_form->ListNumB[0]->addItems({ "5", "9" });
    m_form->List1->setCurrentRow(5);

    m_answer = fixture("roundtrip-gbk.txt");
    m_form->data_Click();
    m_form->data_Click(); // the same file again: its rows once
    QCOMPARE(m_form->List1->count(), 8);
    QCOMPARE(m_form->List1->currentRow(), -1);
    QVERIFY(m_form->List1->selectedItems().isEmpty());
    QCOMPARE(m_form->CapNum[3]->text(), QStringLiteral("27"));
    QCOMPARE(m_form->CapNum[0]->text(), QStringLiteral("08"));
    QCOMPARE(items(m_form->ListNumB[0]), (QStringList { "5", "9" }));
    QVERIFY(m_messages.isEmpty());
}

void TestFiles::importRefusedKeepsList_data()
{
    QTest::addColumn<QString>("file"); // "@" names a file the test makes
    QTest::addColumn<QString>("reason");

    QTest::addRow("missing file") << "@missing"
                                  << "文件不存在";
    QTest::addRow("a directory") << "@directory"
                                 << "文件夹";
    QTest::addRow("one row over the limit") << "@rows"
                                            << "32768 行";
    QTest::addRow("more bytes than a history file has") << "@large"
                                                        << "太大";
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
    m_answer = file;
    m_form->data_Click();

    QCOMPARE(m_messages.size(), 1);
    const MessageBoxRequest &message = m_messages.first();
    QCOMPARE(message.title, QStringLiteral("Orbelune"));
    QCOMPARE(message.icon, MessageIcon::Warning);
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(file)), qPrintable(message.text));
    QVERIFY2(message.text.contains(reason), qPrintable(message.text));
    QVERIFY2(message.text.contains("没有改动"), qPrintable(message.text));
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

    m_answer = m_dir->filePath("result.txt");
    timer.restart();
    m_form->savejg_Click();
    const qint64 saveMs = timer.elapsed();
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(contents(m_answer), heading("08,08,08,08,08,08 08") + file);

    qInfo("32767 rows: import %lld ms, save %lld ms", importMs, saveMs);
    // Generous bounds, for slow machines and sanitizers; they catch work that grows with the
    // square of the row count, not a slow disk.
    QVERIFY(importMs < 2000);
    QVERIFY(saveMs < 2000);
}

void TestFiles::dialogsAskAsDesigned()
{
    m_form->data_Click();
    m_form->savejg_Click();
    QCOMPARE(m_requests.size(), 2);

    const FileDialogRequest &open = m_requests.at(0);
    QCOMPARE(open.kind, FileDialogRequest::Kind::Open);
    QCOMPARE(open.owner, nullptr);
    QCOMPARE(open.title, QStringLiteral("请选择要导入的彩票数据文件"));
    QCOMPARE(open.nameFilters, (QStringList { "文本文件(*.txt) (*.txt)", "所有文件(*.*) (*)" }));
    QVERIFY(!open.multiple);

    const FileDialogRequest &save = m_requests.at(1);
    QCOMPARE(save.kind, FileDialogRequest::Kind::Save);
    QCOMPARE(save.owner, nullptr);
    QCOMPARE(save.title, QStringLiteral("保存运算出来的彩球结果"));
    QCOMPARE(save.nameFilters, (QStringList { "文本文件 (*.txt) (*.txt)" }));
    QVERIFY2(QFileInfo(save.initialDir).isDir(), qPrintable(save.initialDir));
#ifndef Q_OS_WIN
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(save.initialDir, QFileInfo(documents).isDir() ? documents : QDir::homePath());
#endif
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
    m_answer.clear();
    if (save)
        m_form->savejg_Click();
    else
        m_form->data_Click();
    QCOMPARE(m_requests.size(), 1);
    QCOMPARE(items(m_form->List1), before);
    QVERIFY(m_messages.isEmpty());
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestFiles::saveBeforeAnyRun()
{
    // Typed without an ending: the file gets ".txt".
    m_answer = m_dir->filePath("result");
    m_form->savejg_Click();
    QVERIFY(!QFileInfo::exists(m_answer));

    const QByteArray saved = contents(m_dir->filePath("result.txt"));
    QVERIFY(saved.endsWith("\r\n"));
    const QStringList lines = decodeGbk(saved).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1 + 877 + 1);
    QCOMPARE(lines.first(),
             QStringLiteral("Orbelune运算获得中奖机率最大的一组球号是：08,08,08,08,08,08 08"));
    QCOMPARE(lines.mid(1, 877), items(m_form->List1));
}

void TestFiles::saveAfterRun()
{
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.25f, 0.5f, 0.75f }));
    for (int stage = 0; stage <= 9; ++stage)
        m_form->TimSa_Timer();
    QVERIFY(!m_form->isRunActive());

    m_answer = m_dir->filePath("result.txt");
    m_form->savejg_Click();
    const QString first = decodeGbk(contents(m_answer)).section(QStringLiteral("\r\n"), 0, 0);
    const QString balls = first.mid(resultHeading().size());
    QVERIFY2(
        QRegularExpression(QStringLiteral("^(\\d\\d,){5}\\d\\d \\d\\d$")).match(balls).hasMatch(),
        qPrintable(balls));
    QString expected;
    for (int p = 0; p < 7; ++p)
        expected += (p == 0 ? "" : p < 6 ? "," : " ") + m_form->CapNum[std::size_t(p)]->text();
    QCOMPARE(balls, expected);
}

void TestFiles::saveTwiceReplacesFile()
{
    m_answer = m_dir->filePath("result.txt");
    m_form->savejg_Click();
    QVERIFY(contents(m_answer).size() > 877 * 20);

    // An empty list: the heading alone.
    m_answer = m_dir->filePath("empty.txt");
    QVERIFY(writeFile(m_answer, QByteArray()));
    m_form->data_Click();
    QCOMPARE(m_form->List1->count(), 0);
    m_answer = m_dir->filePath("result.txt");
    m_form->savejg_Click();
    QCOMPARE(contents(m_answer), heading("08,08,08,08,08,08 08"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList { "empty.txt", "result.txt" }));
    QVERIFY(m_messages.isEmpty());
}

void TestFiles::saveRefusedWritesNothing_data()
{
    QTest::addColumn<QString>("target"); // relative to the test's folder
    QTest::addColumn<QString>("reason");
    QTest::addRow("missing folder") << "no-such-folder/result.txt"
                                    << "不存在";
    QTest::addRow("a file where the folder should be") << "plain/result.txt"
                                                       << "不存在";
    QTest::addRow("a folder where the file should be") << "folder.txt"
                                                       << "文件夹";
}

void TestFiles::saveRefusedWritesNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    QVERIFY(writeFile(m_dir->filePath("plain"), "keep"));
    QVERIFY(QDir(m_dir->path()).mkdir("folder.txt"));
    const QStringList before
        = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    m_answer = m_dir->filePath(target);
    m_form->savejg_Click();

    QCOMPARE(m_messages.size(), 1);
    const MessageBoxRequest &message = m_messages.first();
    QCOMPARE(message.title, QStringLiteral("Orbelune"));
    QCOMPARE(message.icon, MessageIcon::Warning);
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(m_answer)), qPrintable(message.text));
    QVERIFY2(message.text.contains(reason), qPrintable(message.text));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(contents(m_dir->filePath("plain")), QByteArray("keep"));
    QVERIFY(QDir(m_dir->filePath("folder.txt")).isEmpty());
}

void TestFiles::fullDiskKeepsOldFile()
{
#ifdef Q_OS_UNIX
    m_answer = m_dir->filePath("result.txt");
    const QByteArray old = "the result of an earlier run\r\n";
    QVERIFY(writeFile(m_answer, old));
    {
        // 877 rows take about 19 KB; the disk is full after 4 KiB.
        FileSizeLimit fullDisk(4096);
        if (!fullDisk.isActive())
            QSKIP("cannot limit the file size here");
        m_form->savejg_Click();
    }
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().text.contains("写入文件时出错"),
             qPrintable(m_messages.first().text));
    QVERIFY2(m_messages.first().text.contains("原有的文件没有改动"),
             qPrintable(m_messages.first().text));
    QCOMPARE(contents(m_answer), old);
    // No temporary file left behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList { "result.txt" });
#else
    QSKIP("the file-size limit is a POSIX feature");
#endif
}

void TestFiles::saveRefusesWhatGbkCannotHold()
{
    m_answer = fixture("unicode-not-in-gbk.txt");
    m_form->data_Click();
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_form->List1->count(), 2);

    m_answer = m_dir->filePath("result.txt");
    QVERIFY(writeFile(m_answer, "old"));
    m_form->savejg_Click();
    QCOMPARE(m_messages.size(), 1);
    const QString text = m_messages.first().text;
    QVERIFY2(text.contains("第 2 行"), qPrintable(text));
    QVERIFY2(text.contains(QString::fromUtf16(u"彩票 \U0001F3B1 33")), qPrintable(text));
    QVERIFY2(text.contains("原有的文件没有改动"), qPrintable(text));
    QCOMPARE(contents(m_answer), QByteArray("old"));
}

void TestFiles::runStartedWhileDialogOpen_data()
{
    QTest::addColumn<bool>("save");
    QTest::addRow("import") << false;
    QTest::addRow("save") << true;
}

void TestFiles::runStartedWhileDialogOpen()
{
    // The dialogs leave the window usable, so a run can start behind one; the command lock
    // of the run then holds for what the dialog returns.
    QFETCH(bool, save);
    m_form->setRandomSource(std::make_unique<ScriptedRandom>(QList<float> { 0.5f }));
    const QStringList before = items(m_form->List1);
    m_answer = save ? m_dir->filePath("result.txt") : fixture("roundtrip-gbk.txt");
    m_whileOpen = [this] { m_form->start_Click(); };
    if (save)
        m_form->savejg_Click();
    else
        m_form->data_Click();
    QVERIFY(m_form->isRunActive());
    m_form->stopfx_Click();

    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().text.contains("正在分析"), qPrintable(m_messages.first().text));
    QCOMPARE(items(m_form->List1), before);
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestFiles::realOpenDialog()
{
    setFileDialogHandler({});
    m_form->show();

    QString title;
    QWidget *parent = m_form;
    Qt::WindowModality modality = Qt::ApplicationModal;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    QStringList filters;
    bool windowUsable = false;
    int dialogsAfterSecondClick = 0;
    QObject context;
    whenDialogShown(&context, [&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        parent = dialog->parentWidget();
        modality = dialog->windowModality();
        mode = dialog->fileMode();
        filters = shownFilters(dialog);
        windowUsable = m_form->isEnabled() && !QApplication::activeModalWidget();
        // A second click while the dialog is open brings no second dialog.
        secondClick(
            &context, [this] { m_form->data_Click(); }, &dialogsAfterSecondClick);
        typeFileName(dialog, fixture("roundtrip-gbk.txt"));
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog checks the name here
    });
    m_form->data_Click();

    QCOMPARE(title, QStringLiteral("请选择要导入的彩票数据文件"));
    QCOMPARE(parent, nullptr);
    QCOMPARE(modality, Qt::NonModal);
    QCOMPARE(mode, QFileDialog::ExistingFile);
    QCOMPARE(filters, (QStringList { "文本文件(*.txt)", "所有文件(*.*)" }));
    QVERIFY(windowUsable);
    QCOMPARE(dialogsAfterSecondClick, 1);
    QVERIFY(!isFileDialogOpen());
    QCOMPARE(m_form->List1->count(), 8);
    QVERIFY(m_messages.isEmpty());
}

void TestFiles::realSaveDialog()
{
    setFileDialogHandler({});
    m_form->show();

    QString title;
    QString folder;
    QStringList filters;
    bool asksBeforeReplacing = true;
    int dialogsAfterImportClick = 0;
    QObject context;
    whenDialogShown(&context, [&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        folder = dialog->directory().absolutePath();
        filters = shownFilters(dialog);
        asksBeforeReplacing = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        // One file dialog at a time, whichever command asks.
        secondClick(
            &context, [this] { m_form->data_Click(); }, &dialogsAfterImportClick);
        typeFileName(dialog, m_dir->filePath("out"));
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog checks the name here
    });
    m_form->savejg_Click();

    QCOMPARE(title, QStringLiteral("保存运算出来的彩球结果"));
    QCOMPARE(filters, QStringList { "文本文件 (*.txt)" });
    QVERIFY(!asksBeforeReplacing);
    QCOMPARE(dialogsAfterImportClick, 1);
#ifndef Q_OS_WIN
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(folder,
             QDir(QFileInfo(documents).isDir() ? documents : QDir::homePath()).absolutePath());
#endif
    QVERIFY(QFileInfo::exists(m_dir->filePath("out.txt")));
    QCOMPARE(m_form->List1->count(), 877);
}

void TestFiles::destroyedWindowClosesDialog()
{
    setFileDialogHandler({});
    m_form->show();

    bool dialogOutlivedWindow = true;
    QObject context;
    whenDialogShown(&context, [&](QFileDialog *dialog) {
        typeFileName(dialog, fixture("roundtrip-gbk.txt"));
        delete m_form;
        m_form = nullptr;
        dialogOutlivedWindow = dialog->isVisible();
    });
    // The command returns into a window that is gone: it must touch nothing of it.
    Form1 *form = m_form;
    form->data_Click();
    QVERIFY(!dialogOutlivedWindow);
    QVERIFY(!isFileDialogOpen());
    QVERIFY(m_messages.isEmpty());
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
        typeFileName(dialog, fixture("roundtrip-gbk.txt"));
        m_form->close();
        dialogOutlivedWindow = dialog->isVisible();
    });
    QTimer safety;
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, &context, [] {
        closeFileDialog();
        QCoreApplication::exit(1);
    });
    safety.start(15000);

    // The program's own loop: it must end by itself once the window is closed.
    QApplication::setQuitOnLastWindowClosed(true);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!dialogOutlivedWindow);
    QVERIFY(returned);
    QVERIFY(!isFileDialogOpen());
    QVERIFY(!visibleFileDialog());
    QCOMPARE(items(m_form->List1), before);
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
