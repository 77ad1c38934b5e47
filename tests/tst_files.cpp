// The history import and the result file, through the window's commands; the file dialogs
// answered through their seam (the real ones are tst_filedialogs').

#include "testsupport.h"

#include "app/form1.h"
#include "history/historytext.h"
#include "history/resultfile.h"

#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <optional>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <windows.h>

#include <aclapi.h>
#endif

using namespace orbelune;
using namespace orbelune::testing;

namespace {

// Absolute with its drive on Windows, where the file dialog takes a path without one on the
// drive of the folder it shows.
QString fixture(const char *name)
{
    return QFileInfo(QStringLiteral(ORBELUNE_TEST_DATA "/") + QLatin1String(name))
        .absoluteFilePath();
}

QByteArray heading(const QByteArray &balls = "08,08,08,08,08,08 08")
{
    return encodeGbk(resultHeading()) + balls + "\r\n";
}

// What a path is: a regular file's bytes, or the kind of anything else ("<dir>", "<fifo>",
// "<char 1,3>", "<socket>", "<link to …>"), never opened, so that a pipe cannot block.
QByteArray whatIs(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return "<missing>";
    if (S_ISLNK(st.st_mode))
        return "<link to " + QFile::encodeName(QFileInfo(path).symLinkTarget()) + ">";
    if (S_ISFIFO(st.st_mode))
        return "<fifo>";
    if (S_ISSOCK(st.st_mode))
        return "<socket>";
    if (S_ISCHR(st.st_mode))
        return "<char " + QByteArray::number(major(st.st_rdev)) + ","
            + QByteArray::number(minor(st.st_rdev)) + ">";
#endif
    return QFileInfo(path).isDir() ? QByteArray("<dir>") : contents(path);
}

// Everything under a folder, hidden files too, to see that nothing changed or was left.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, whatIs(path));
    }
    return files;
}

#ifdef Q_OS_UNIX
bool isRoot()
{
    return ::geteuid() == 0;
}

// Root passes every permission check: a row about permissions runs again in a child process
// of this test as the user nobody. Returns the child's exit code, 77 when it could not
// become nobody.
int rerunRowAsNobody(QByteArray &output)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({ QString::fromLatin1(QTest::currentTestFunction()) + u':'
                         + QString::fromLatin1(QTest::currentDataTag()) });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QDir::tempPath());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QGuiApplication::platformName());
    child.setProcessEnvironment(environment);
    child.setChildProcessModifier([] {
        const gid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(77);
    });
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start();
    const bool finished = child.waitForFinished(60000);
    output = child.readAll();
    return finished && child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

// A small disk of its own: a tmpfs of the given size, mounted on a folder for as long as
// this lives. Needs root.
class SmallDisk
{
public:
    SmallDisk(const QString &folder, const char *options)
        : m_folder(QFile::encodeName(folder))
    {
        m_mounted = QDir().mkpath(folder)
            && ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool isMounted() const { return m_mounted; }
    bool makeReadOnly(const char *options)
    {
        return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, options)
            == 0;
    }
    // Fills the disk with a file until room bytes are left.
    bool leaveRoom(qint64 room)
    {
        struct statvfs disk
        {
        };
        if (::statvfs(m_folder.constData(), &disk) != 0)
            return false;
        const qint64 free = qint64(disk.f_bavail) * qint64(disk.f_bsize);
        return free >= room
            && writeFile(QFile::decodeName(m_folder + "/filler"), QByteArray(free - room, 'f'));
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};
#endif

#ifdef Q_OS_WIN
std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// A file opened as a program opens its document when it lets no other program open it, for
// as long as this lives.
class HeldFile
{
public:
    explicit HeldFile(const QString &path)
        : m_file(CreateFileW(nativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~HeldFile()
    {
        if (isHeld())
            CloseHandle(m_file);
    }
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;
    bool isHeld() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
};

// Which file a path names, to tell a file written in place from one that replaced it.
QByteArray fileIdentity(const QString &path)
{
    const HANDLE file = CreateFileW(nativePath(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION information {};
    const bool known
        = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return known ? QByteArray::number(information.dwVolumeSerialNumber) + ':'
            + QByteArray::number((quint64(information.nFileIndexHigh) << 32)
                                 | information.nFileIndexLow)
                 : QByteArray();
}

// A folder in which no file may be created, while the files in it may still be written, for
// as long as this lives: an entry of its security that denies everyone the adding of files.
// Wine keeps such an entry as the folder's Unix mode, which does not bind root; there the
// folder is made immutable instead, which does.
class LockedFolder
{
public:
    explicit LockedFolder(const QString &folder)
        : m_folder(nativePath(folder))
    {
        PACL old = nullptr;
        if (GetNamedSecurityInfoW(m_folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, &old, nullptr, &m_security)
            != ERROR_SUCCESS)
            return;
        BYTE everyone[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof everyone;
        EXPLICIT_ACCESSW deny {};
        deny.grfAccessPermissions = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
        deny.grfAccessMode = DENY_ACCESS;
        deny.grfInheritance = NO_INHERITANCE;
        PACL denying = nullptr;
        if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size))
            return;
        BuildTrusteeWithSidW(&deny.Trustee, everyone);
        if (SetEntriesInAclW(1, &deny, old, &denying) != ERROR_SUCCESS)
            return;
        m_denied = SetNamedSecurityInfoW(m_folder.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, denying, nullptr)
            == ERROR_SUCCESS;
        LocalFree(denying);
        if (m_denied && !isLocked()) {
            m_immutable = true; // undone whatever chattr said
            setImmutable(m_folder, "+i");
        }
    }
    ~LockedFolder()
    {
        if (m_immutable)
            setImmutable(m_folder, "-i");
        if (m_denied) {
            PACL old = nullptr;
            BOOL present = FALSE;
            BOOL defaulted = FALSE;
            GetSecurityDescriptorDacl(m_security, &present, &old, &defaulted);
            SetNamedSecurityInfoW(m_folder.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, old, nullptr);
        }
        LocalFree(m_security);
    }
    LockedFolder(const LockedFolder &) = delete;
    LockedFolder &operator=(const LockedFolder &) = delete;

    bool isLocked() const
    {
        const HANDLE probe = CreateFileW((m_folder + L"\\probe").c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_ACCESS_DENIED;
        CloseHandle(probe);
        return false;
    }

private:
    // Under Wine, runs chattr on the folder. Wine cannot wait for a Unix process, and a probe
    // file made while chattr runs might stay behind: the shell leaves chattr's exit code in a
    // file beside the folder once it is done.
    static void setImmutable(const std::wstring &folder, const char *flag)
    {
        using UnixName = char *(CDECL *)(const WCHAR *);
        const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        char *unixFolder = unixName ? unixName(folder.c_str()) : nullptr;
        if (!unixFolder)
            return;
        std::wstring command = QStringLiteral("/bin/sh -c \"chattr %1 '%2'; echo $? >'%2.done'\"")
                                   .arg(QLatin1String(flag), QString::fromLocal8Bit(unixFolder))
                                   .toStdWString();
        HeapFree(GetProcessHeap(), 0, unixFolder);
        const QString done = QString::fromStdWString(folder) + QStringLiteral(".done");
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process {};
        if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            return;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        for (int wait = 0; wait < 1000 && !contents(done).endsWith('\n'); ++wait)
            Sleep(10);
        QFile::remove(done);
    }

    std::wstring m_folder;
    PSECURITY_DESCRIPTOR m_security = nullptr;
    bool m_denied = false;
    bool m_immutable = false;
};
#endif

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
    void replacedFileKeepsModeAndOwner_data();
    void replacedFileKeepsModeAndOwner();
    void windowUsedWhileDialogOpen_data();
    void windowUsedWhileDialogOpen();

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
    QTest::addRow("one stray byte before three good rows")
        << fixture("one-stray-byte.txt") << "第 1 行第 6 个字符是一个既不是 GBK 也不是 UTF-8";
#ifdef Q_OS_UNIX
    QTest::addRow("a FIFO") << QString("@fifo") << "这不是普通文件";
#endif
#ifdef Q_OS_WIN
    QTest::addRow("a file another program holds") << QString("@held") << "文件正被另一个程序使用";
    QTest::addRow("a device name, nul.txt") << QString("@nul.txt") << "这不是普通文件";
#endif
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
    } else if (file == "@fifo") {
#ifdef Q_OS_UNIX
        file = m_dir->filePath("fifo.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0644), 0);
#endif
    } else if (file == "@nul.txt") {
        file = m_dir->filePath("nul.txt");
    }
#ifdef Q_OS_WIN
    std::optional<HeldFile> held;
    if (file == "@held") {
        file = m_dir->filePath("held.txt");
        QVERIFY(writeFile(file, row));
        QVERIFY(held.emplace(file).isHeld());
    }
#endif
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
    QTest::addColumn<QString>("target"); // in the test's folder, which holds "result.txt"; "@…"
                                         // names something the test makes
    QTest::addColumn<QString>("import"); // a fixture to import first, if any
    QTest::addColumn<int>("room"); // bytes a file may grow to; 0 for no limit
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<bool>("kept"); // every file as it was, and nothing left behind
    const QString nothingWritten = QStringLiteral("没有写入任何内容");
    const QString oldKept = QStringLiteral("原有的文件没有改动");
    QTest::addRow("missing folder") << "no-such-folder/result.txt"
                                    << "" << 0 << QStringList { "不存在", nothingWritten } << true;
    QTest::addRow("a file where the folder should be")
        << "result.txt/result.txt"
        << "" << 0 << QStringList { "不存在", nothingWritten } << true;
    QTest::addRow("a folder where the file should be")
        << "folder.txt"
        << "" << 0 << QStringList { "文件夹", oldKept } << true;
    QTest::addRow("a name too long to create")
        << QString(300, u'n') + ".txt"
        << "" << 0 << QStringList { "无法创建文件（文件名或路径太长）", nothingWritten } << true;
    // A file that fits in the 16 KiB write buffer reaches the disk only when it is committed.
    QTest::addRow("size limit, small file kept in the buffer")
        << "result.txt"
        << "@empty" << 30 << QStringList { "写入文件时出错（文件超出了允许的大小）", oldKept }
        << true;
    QTest::addRow("size limit, large file written straight through")
        << "result.txt"
        << "" << 4096 << QStringList { "写入文件时出错（文件超出了允许的大小）", oldKept } << true;
    QTest::addRow("a row GBK cannot hold")
        << "result.txt" << fixture("unicode-not-in-gbk.txt") << 0
        << QStringList { "第 2 行", QString::fromUtf16(u"彩票 \U0001F3B1 33"), oldKept } << true;
#ifdef Q_OS_UNIX
    // Nothing but a regular file is replaced, whatever it is and wherever a link leads.
    const QStringList notAFile { "这不是普通文件", oldKept };
    QTest::addRow("a FIFO") << "@fifo"
                            << "" << 0 << notAFile << true;
    QTest::addRow("a socket") << "@socket"
                              << "" << 0 << notAFile << true;
    QTest::addRow("a device node") << "@device"
                                   << "" << 0 << notAFile << true;
    QTest::addRow("a link to a device node") << "@device-link"
                                             << "" << 0 << notAFile << true;
    QTest::addRow("full disk: 8 KB left for 19 KB")
        << "@tmpfs"
        << "" << 0 << QStringList { "写入文件时出错（磁盘已满，没有剩余空间）", oldKept } << true;
    QTest::addRow("read-only file system")
        << "@read-only"
        << "" << 0 << QStringList { "不能改写这个文件（文件系统是只读的）", oldKept } << true;
    QTest::addRow("folder the user cannot write")
        << "@locked-folder"
        << "" << 0 << QStringList { "无法创建文件（权限被拒绝）", nothingWritten } << true;
    QTest::addRow("read-only file")
        << "@read-only-file"
        << "" << 0 << QStringList { "不能改写这个文件（权限被拒绝）", oldKept } << true;
    // Where only the file may be written, it is written in place: no room is found before a
    // byte is overwritten; a failure after that is told as the loss it is.
    QTest::addRow("in place, no room for the longer result")
        << "@in-place"
        << "" << 4096 << QStringList { "写入文件时出错（文件超出了允许的大小）", oldKept } << true;
    QTest::addRow("in place, failing half-way")
        << "@in-place-long"
        << "" << 4096
        << QStringList { "写入文件时出错（文件超出了允许的大小）", "原有的内容已经丢失" } << false;
#endif
#ifdef Q_OS_WIN
    // Windows sends these names to a device in every folder: no file would be written.
    QTest::addRow("a device name, CON.txt")
        << "CON.txt"
        << "" << 0 << QStringList { "这不是普通文件", nothingWritten } << true;
    QTest::addRow("a device name, nul.txt")
        << "nul.txt"
        << "" << 0 << QStringList { "这不是普通文件", nothingWritten } << true;
    // A colon names a stream of the file before it, where the result would be out of sight.
    QTest::addRow("a stream of another file")
        << "result.txt:stream.txt"
        << "" << 0 << QStringList { "无法创建文件（文件名中有不允许的字符）", nothingWritten }
        << true;
    QTest::addRow("read-only file")
        << "@read-only-file"
        << "" << 0 << QStringList { "不能改写这个文件（文件带有“只读”属性", oldKept } << true;
    QTest::addRow("a file another program holds")
        << "@held"
        << "" << 0 << QStringList { "不能改写这个文件（文件正被另一个程序使用）", oldKept } << true;
    QTest::addRow("folder the user cannot write")
        << "@locked-folder"
        << "" << 0 << QStringList { "无法创建文件（权限被拒绝）", nothingWritten } << true;
#endif
}

void TestFiles::saveFailedKeepsOldFile()
{
    QFETCH(QString, target);
    QFETCH(QString, import);
    QFETCH(int, room);
    QFETCH(QStringList, reasons);
    QFETCH(bool, kept);
    QVERIFY(writeFile(m_dir->filePath("result.txt"), "the result of an earlier run\r\n"));
    QVERIFY(QDir(m_dir->path()).mkdir("folder.txt"));
    if (!import.isEmpty()) {
        m_seams->answer = import == "@empty" ? m_dir->filePath("folder.txt/empty.txt") : import;
        QVERIFY(writeFile(m_dir->filePath("folder.txt/empty.txt"), QByteArray()));
        m_form->data_Click();
        QVERIFY2(m_seams->messages.isEmpty(), qPrintable(m_seams->lastMessage()));
    }
#ifdef Q_OS_UNIX
    // What the rows that start with "@" save to, made as a user would meet it.
    std::optional<SmallDisk> disk;
    const QByteArray locked = QFile::encodeName(m_dir->filePath("locked"));
    const QString name = target.mid(1);
    const bool asNobody = target.startsWith("@locked") || target.startsWith("@in-place")
        || target == "@read-only-file";
    const bool asRoot = target == "@device" || target == "@device-link" || target == "@tmpfs"
        || target == "@read-only";
    if (asNobody && isRoot()) {
        QByteArray output;
        const int code = rerunRowAsNobody(output);
        if (code == 77)
            QSKIP("cannot run the row as the user nobody");
        QVERIFY2(code == 0, output.constData());
        return;
    }
    if (asRoot && !isRoot())
        QSKIP("devices and mounts need root");
    if (target == "@fifo") {
        target = m_dir->filePath("fifo.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0644), 0);
    } else if (target == "@socket") {
        target = m_dir->filePath("socket.txt");
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(target).constData(), sizeof address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
    } else if (target == "@device" || target == "@device-link") {
        // The same device as /dev/null: if it were written, the result would vanish.
        const QString device = m_dir->filePath("null.txt");
        if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here");
        target = device;
        if (name == "device-link") {
            target = m_dir->filePath("link.txt");
            QVERIFY(QFile::link(device, target));
        }
    } else if (target == "@tmpfs" || target == "@read-only") {
        disk.emplace(m_dir->filePath("disk"), "size=64k");
        if (!disk->isMounted())
            QSKIP("cannot mount a tmpfs here");
        target = m_dir->filePath("disk/result.txt");
        QVERIFY(writeFile(target, "the result of an earlier run\r\n"));
        // The shipped list makes a result of some 19 KB.
        QVERIFY(name == "tmpfs" ? disk->leaveRoom(8 * 1024) : disk->makeReadOnly("size=64k"));
    } else if (asNobody) {
        QVERIFY2(!isRoot(), "must run as nobody");
        QVERIFY(QDir(m_dir->path()).mkdir("locked"));
        target = m_dir->filePath("locked/result.txt");
        if (name != "locked-folder") {
            const QByteArray old = name == "in-place-long"
                ? QByteArray(30000, 'o')
                : QByteArray("the result of an earlier run\r\n");
            QVERIFY(writeFile(target, old));
        }
        if (name == "read-only-file")
            QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0444), 0);
        else
            QCOMPARE(::chmod(locked.constData(), 0555), 0);
    }
    const auto unlock = qScopeGuard([&locked] { ::chmod(locked.constData(), 0755); });
#endif
#ifdef Q_OS_WIN
    std::optional<LockedFolder> lockedFolder;
    const bool holdTarget = target == "@held";
    if (target == "@read-only-file") {
        target = m_dir->filePath("result.txt");
        QVERIFY(SetFileAttributesW(nativePath(target).c_str(), FILE_ATTRIBUTE_READONLY));
    } else if (target == "@held") {
        target = m_dir->filePath("result.txt");
    } else if (target == "@locked-folder") {
        QVERIFY(QDir(m_dir->path()).mkdir("locked"));
        target = m_dir->filePath("locked/result.txt");
        if (!lockedFolder.emplace(m_dir->filePath("locked")).isLocked())
            QSKIP("cannot keep files from being created in a folder here");
    }
#endif
    const QMap<QString, QByteArray> before = snapshot(m_dir->path());
    const QStringList list = items(m_form->List1);

    m_seams->answer = QDir::isAbsolutePath(target) ? target : m_dir->filePath(target);
    {
#ifdef Q_OS_UNIX
        std::optional<FileSizeLimit> fullDisk;
        if (room > 0 && !fullDisk.emplace(qint64(room)).isActive())
            QSKIP("cannot limit the file size here");
#else
        if (room > 0)
            QSKIP("the file-size limit is a POSIX feature");
#endif
#ifdef Q_OS_WIN
        // Held only now: the snapshot before reads the file.
        std::optional<HeldFile> held;
        if (holdTarget)
            QVERIFY(held.emplace(target).isHeld());
#endif
        m_form->savejg_Click();
    }
    QCOMPARE(m_seams->messages.size(), 1);
    const MessageBoxRequest &message = m_seams->messages.first();
    QCOMPARE(message.icon, MessageIcon::Warning);
    for (const QString &part : QStringList { QDir::toNativeSeparators(m_seams->answer) } + reasons)
        QVERIFY2(message.text.contains(part), qPrintable(message.text));
    QCOMPARE(items(m_form->List1), list);
    if (kept) {
        // No file changed, and no temporary file left behind.
        QCOMPARE(snapshot(m_dir->path()), before);
    } else {
        QMap<QString, QByteArray> after = snapshot(m_dir->path());
        QCOMPARE(after.keys(), before.keys());
        QVERIFY(after.value(m_seams->answer).startsWith(heading()));
    }
}

void TestFiles::replacedFileKeepsModeAndOwner_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("otherOwner"); // owned by uid 1234, gid 5678
    QTest::addColumn<bool>("lockedFolder"); // in a folder the user cannot write
    QTest::addRow("0644") << 0644 << false << false;
    QTest::addRow("0600") << 0600 << false << false;
#ifdef Q_OS_UNIX
    QTest::addRow("read-only 0444, as root") << 0444 << false << false;
    QTest::addRow("read-only 0400, as root") << 0400 << false << false;
    QTest::addRow("0640 of another owner, as root") << 0640 << true << false;
#endif
    QTest::addRow("writable file, folder not: written in place") << 0640 << false << true;
}

void TestFiles::replacedFileKeepsModeAndOwner()
{
    QFETCH(int, mode);
    QFETCH(bool, otherOwner);
    QFETCH(bool, lockedFolder);
    const QString folder = m_dir->filePath("folder");
    const QString path = folder + "/result.txt";
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(path, QByteArray(30000, 'o')));
#ifndef Q_OS_UNIX
    // Modes and owners are POSIX's: elsewhere only the replacement itself is checked.
    Q_UNUSED(mode);
    Q_UNUSED(otherOwner);
#endif
#ifdef Q_OS_WIN
    std::optional<LockedFolder> locked;
    if (lockedFolder && !locked.emplace(folder).isLocked())
        QSKIP("cannot keep files from being created in a folder here");
    const QByteArray before = fileIdentity(path);
#endif
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    if (lockedFolder && isRoot()) {
        QByteArray output;
        const int code = rerunRowAsNobody(output);
        if (code == 77)
            QSKIP("cannot run the row as the user nobody");
        QVERIFY2(code == 0, output.constData());
        return;
    }
    if (((mode & 0200) == 0 || otherOwner) && !isRoot())
        QSKIP("only root may write a read-only file or one of another owner");
    QCOMPARE(::chmod(native.constData(), mode_t(mode)), 0);
    if (otherOwner)
        QCOMPARE(::chown(native.constData(), 1234, 5678), 0);
    const QByteArray nativeFolder = QFile::encodeName(folder);
    if (lockedFolder)
        QCOMPARE(::chmod(nativeFolder.constData(), 0555), 0);
    const auto unlock = qScopeGuard([&nativeFolder] { ::chmod(nativeFolder.constData(), 0755); });
    struct stat before
    {
    };
    QCOMPARE(::stat(native.constData(), &before), 0);
#endif

    m_seams->answer = path;
    m_form->savejg_Click();
    QVERIFY2(m_seams->messages.isEmpty(), qPrintable(m_seams->lastMessage()));
    QCOMPARE(contents(path), heading() + asSaved(encodeGbk(items(m_form->List1).join("\r\n"))));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                    | QDir::NoDotAndDotDot),
             QStringList { "result.txt" });
#ifdef Q_OS_UNIX
    struct stat after
    {
    };
    QCOMPARE(::stat(native.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_ino == before.st_ino, lockedFolder);
#endif
#ifdef Q_OS_WIN
    QCOMPARE(fileIdentity(path) == before, lockedFolder);
#endif
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

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
