// The file layer: reading a file for an import and saving one in the user's place, on disks as
// a user meets them. Each row makes its own case in a fresh folder; the outcome is asserted by
// its cause and by what became of the old file, the words being the window's business.

#include "filesupport.h"
#include "syscallwatch.h"

#include "fileio/readfile.h"
#include "fileio/savefile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/fsuid.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <windows.h>

#include <aclapi.h>
#endif

using namespace orbelune;
using namespace orbelune::testing;

namespace {

// A result of the usual size: the shipped list of 877 rows makes some 19 KB.
const QByteArray result = QByteArray("Orbelune 08,08,08,08,08,08 08\r\n")
    + QByteArray("10,11,12,15,26,29 09\r\n").repeated(877);
const QByteArray earlier = "the result of an earlier run\r\n";

// Who a row must run as: root passes every permission check, and only root mounts.
enum class As { Anyone, Root, Nobody };

struct Scene;
using SetUp = std::function<QString(Scene &)>; // makes the row's case; the path it reads or saves

// Where a row works: a fresh folder holding result.txt, the result of an earlier run, and a
// folder named folder.txt. What a row mounts or locks there is undone when it goes.
struct Scene
{
    QTemporaryDir dir;
    QString skip; // why the row cannot run here
    bool unixLinks = false; // the links are Wine's, the Unix ones
    QList<std::function<void()>> undo;

    Scene()
    {
        writeFile(path("result.txt"), earlier);
        QDir(dir.path()).mkdir(QStringLiteral("folder.txt"));
        // Another user may look in, for the rows that save as one.
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
    }
    ~Scene()
    {
        while (!undo.isEmpty())
            undo.takeLast()();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    // Whether done: where not, the row cannot run here, for that reason.
    bool need(bool done, const QString &why)
    {
        if (!done && skip.isEmpty())
            skip = why;
        return done;
    }

    // Makes the row's case: its path, or empty text where the row is skipped here.
    QString make(const SetUp &setUp, As as = As::Anyone)
    {
#ifdef Q_OS_UNIX
        need(as != As::Root || ::geteuid() == 0, "devices, mounts and other owners need root");
#else
        Q_UNUSED(as);
#endif
        const QString made = skip.isEmpty() ? setUp(*this) : QString();
        if (!skip.isEmpty())
            QTest::qSkip(qPrintable(skip), __FILE__, __LINE__);
        return skip.isEmpty() ? made : QString();
    }
};

QString oldResult(Scene &scene)
{
    return scene.path("result.txt");
}

// Runs a command of the system's shell in folder; whether it succeeded.
bool shell(const QString &folder, const QString &command)
{
    return QProcess::execute("/bin/sh", { "-c", "cd \"$0\" && " + command, folder }) == 0;
}

#ifdef Q_OS_UNIX
// A case made by the system's own tools: the shell runs command in the scene's folder, and undo
// when the scene goes; the row is skipped where the command fails here. Its path is the one
// given, in the scene.
SetUp made(const QString &command, const QString &path = "result.txt", const QString &undo = {})
{
    return [=](Scene &scene) {
        if (!undo.isEmpty())
            scene.undo.append([folder = scene.dir.path(), undo] { shell(folder, undo); });
        scene.need(shell(scene.dir.path(), command), "cannot make this case here: " + command);
        return scene.path(path);
    };
}

// The result of an earlier run on a tmpfs of its own, of 64 KB and 16 files, then what more is
// done there; nothing more where none is mounted, so that no row fills the disk underneath.
SetUp onSmallDisk(const QString &more)
{
    const QString disk = "mkdir disk && mount -t tmpfs -o size=64k,nr_inodes=16 tmpfs disk";
    return made(disk + " && cp result.txt disk/ && " + more, "disk/result.txt", "umount -l disk");
}

// A folder of the user nobody's own, holding the result of an earlier run of owner's (nobody
// or another user), in a group nobody is not in, writable by the group and, for another
// owner's, by all.
SetUp inNobodysFolder(const QString &owner, const QString &mode)
{
    return made(QStringLiteral("mkdir mine && cp result.txt mine/ && chmod %1 mine/result.txt && "
                               "chown 65534:65534 mine && chown %2:5678 mine/result.txt")
                    .arg(mode, owner),
                "mine/result.txt");
}

// A folder of the scene in which the user may create nothing, until the scene goes.
void lockFolder(Scene &scene, const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    ::chmod(native.constData(), 0555);
    scene.undo.append([native] { ::chmod(native.constData(), 0755); });
}

// Lets no file in the folder be renamed or removed (chattr +a), or lets them again.
bool setAppendOnly(const QString &folder, bool on)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && (flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL,
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        ::close(fd);
    return done;
}

// A folder that lets no file be renamed or removed, holding the result of an earlier run or,
// for a new file, not.
template <bool holdsOld> QString inAppendOnlyFolder(Scene &scene)
{
    if (holdsOld)
        writeFile(scene.path("folder.txt/result.txt"), earlier);
    scene.need(setAppendOnly(scene.path("folder.txt"), true),
               "this file system has no append-only folder");
    scene.undo.append([&scene] { setAppendOnly(scene.path("folder.txt"), false); });
    return scene.path("folder.txt/result.txt");
}

// The result of an earlier run, saved where /proc is not mounted (a bare chroot): the test goes
// on in a mount namespace of its own, where an empty tmpfs hides /proc for the row.
QString withoutProc(Scene &scene)
{
    static const bool own = ::unshare(CLONE_NEWNS) == 0
        && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    if (scene.need(own && ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0,
                   "cannot hide /proc here"))
        scene.undo.append([] { ::umount2("/proc", MNT_DETACH); });
    return oldResult(scene);
}

bool makeLink(Scene &scene, const char *link, const char *target)
{
    return ::symlink(target, QFile::encodeName(scene.path(QString::fromUtf8(link))).constData())
        == 0;
}

#endif

#ifdef Q_OS_WIN
std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The result of an earlier run held open, as a program holds a document it shares with none.
QString heldResult(Scene &scene)
{
    const HANDLE file
        = CreateFileW(nativePath(oldResult(scene)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        scene.skip = QStringLiteral("cannot hold the file");
    else
        scene.undo.append([file] { CloseHandle(file); });
    return oldResult(scene);
}

// Under Wine, runs a command of the Unix shell in a folder and waits for it. Wine cannot wait
// for a Unix process: the shell leaves the command's exit code in a file beside the folder.
bool runUnixShell(const QString &folder, const QString &command)
{
    using UnixName = char *(CDECL *)(const WCHAR *);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char *unixFolder = unixName ? unixName(nativePath(folder).c_str()) : nullptr;
    if (!unixFolder)
        return false;
    std::wstring line = QStringLiteral("/bin/sh -c \"cd '%1' && %2; echo $? >'%1.done'\"")
                            .arg(QString::fromLocal8Bit(unixFolder), command)
                            .toStdWString();
    HeapFree(GetProcessHeap(), 0, unixFolder);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const QString done = folder + QStringLiteral(".done");
    for (int wait = 0; wait < 1000 && !contents(done).endsWith('\n'); ++wait)
        Sleep(10);
    const bool ran = contents(done) == "0\n";
    QFile::remove(done);
    return ran;
}

bool isLocked(const std::wstring &folder)
{
    const HANDLE probe = CreateFileW((folder + L"\\probe").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(probe);
    return false;
}

// A folder of the scene in which no file may be created while the files in it may still be
// written, until the scene goes: an entry of its security that denies everyone the adding of
// files. Wine keeps such an entry as the folder's Unix mode, which does not bind root; there
// the folder is made immutable instead, which does.
void lockFolder(Scene &scene, const QString &path)
{
    const std::wstring folder = nativePath(path);
    PACL old = nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof everyone;
    EXPLICIT_ACCESSW deny {};
    deny.grfAccessPermissions = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
    deny.grfAccessMode = DENY_ACCESS;
    deny.grfInheritance = NO_INHERITANCE;
    PACL denying = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &old, nullptr, &security)
            == ERROR_SUCCESS
        && CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size)) {
        BuildTrusteeWithSidW(&deny.Trustee, everyone);
        SetEntriesInAclW(1, &deny, old, &denying);
    }
    scene.undo.append([folder, old, security] {
        SetNamedSecurityInfoW(const_cast<wchar_t *>(folder.c_str()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION, nullptr, nullptr, old, nullptr);
        LocalFree(security);
    });
    if (!denying
        || SetNamedSecurityInfoW(const_cast<wchar_t *>(folder.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION, nullptr, nullptr, denying, nullptr)
            != ERROR_SUCCESS) {
        scene.skip = QStringLiteral("cannot keep files from being created in a folder here");
        return;
    }
    LocalFree(denying);
    if (!isLocked(folder)) {
        runUnixShell(path, QStringLiteral("chattr +i ."));
        scene.undo.append([path] { runUnixShell(path, QStringLiteral("chattr -i .")); });
    }
    if (!isLocked(folder))
        scene.skip = QStringLiteral("cannot keep files from being created in a folder here");
}

// A symbolic link at link, in the scene, holding target as it is. Wine makes none, though it
// says it did; its links are the Unix ones, which it follows as the kernel does.
bool makeLink(Scene &scene, const char *link, const char *target)
{
    const QFileInfo path(scene.path(QString::fromUtf8(link)));
    const QString to = QString::fromUtf8(target);
    const DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
        | (QFileInfo(path.absolutePath() + u'/' + to).isDir() ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    if (CreateSymbolicLinkW(nativePath(path.filePath()).c_str(), nativePath(to).c_str(), flags)
        && GetFileAttributesW(nativePath(path.filePath()).c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    // Wine cannot remove a loop of them: they go with the shell too.
    scene.unixLinks = true;
    const QString folder = path.absolutePath();
    const QString name = path.fileName();
    scene.undo.append(
        [folder, name] { runUnixShell(folder, QStringLiteral("rm '%1'").arg(name)); });
    return runUnixShell(folder, QStringLiteral("ln -s '%1' '%2'").arg(to, name));
}
#endif

// Which file a path names, to tell a file written in place from one that replaced it.
QByteArray identity(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st = {};
    const bool known = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    return known ? QByteArray::number(st.st_dev) + ':' + QByteArray::number(st.st_ino) : "";
#else
    const HANDLE file = CreateFileW(nativePath(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION information {};
    const bool known
        = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    return known ? QByteArray::number(information.dwVolumeSerialNumber) + ':'
            + QByteArray::number((quint64(information.nFileIndexHigh) << 32)
                                 | information.nFileIndexLow)
                 : QByteArray();
#endif
}

// The result of an earlier run made read-only: on Windows, the file's attribute.
QString readOnlyFile(Scene &scene)
{
    QFile::setPermissions(oldResult(scene), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    return oldResult(scene);
}

// The result of an earlier run, writable by everyone, in a folder where no file may be created.
QString inLockedFolder(Scene &scene)
{
    QFile::setPermissions(oldResult(scene),
                          QFile::permissions(oldResult(scene)) | QFile::WriteGroup
                              | QFile::WriteOther);
    lockFolder(scene, scene.dir.path());
    return oldResult(scene);
}

QString newInLockedFolder(Scene &scene)
{
    lockFolder(scene, scene.path("folder.txt"));
    return scene.path("folder.txt/result.txt");
}

// The same, of 30000 bytes: longer than the new content.
QString longInLockedFolder(Scene &scene)
{
    writeFile(oldResult(scene), QByteArray(30000, 'o'));
    return inLockedFolder(scene);
}

#ifdef Q_OS_UNIX
// The same, writable but not readable, by its owner and by others: its old content cannot be
// kept, whoever saves.
QString writeOnlyInLockedFolder(Scene &scene)
{
    const QString path = longInLockedFolder(scene);
    ::chmod(QFile::encodeName(path).constData(), 0202);
    return path;
}
#endif

template <int size> QString fileOf(Scene &scene)
{
    writeFile(scene.path("sized.txt"), QByteArray(size, 'h'));
    return scene.path("sized.txt");
}

// A sparse file of 3 GiB: it costs no disk space; read, it would cost 3 GiB of memory.
QString hugeFile(Scene &scene)
{
    QFile huge(scene.path("huge.txt"));
    scene.need(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30),
               "this file system cannot make a sparse file");
    return huge.fileName();
}

// The set-up of a row whose case is a plain name in the scene.
SetUp named(const QString &name)
{
    return [name](Scene &scene) { return scene.path(name); };
}

// Saves as the row's user: a row about permissions, run as root, which passes every check, saves
// with the file system's checks for the user nobody. Root's supplementary groups go too: a
// login of root is in the group root, whose permission bits would then apply, not others'.
Failure saveAs(As as, const QString &path, const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    const bool asNobody = as == As::Nobody && ::geteuid() == 0;
    std::vector<gid_t> groups;
    if (asNobody) {
        groups.resize(std::size_t(std::max(0, ::getgroups(0, nullptr))));
        groups.resize(std::size_t(std::max(0, ::getgroups(int(groups.size()), groups.data()))));
        if (::setgroups(0, nullptr) != 0)
            qFatal("cannot leave root's groups");
        ::setfsgid(65534);
        ::setfsuid(65534);
    }
    const Failure saved = writeWholeFile(path, bytes);
    if (asNobody) {
        ::setfsuid(0);
        ::setfsgid(0);
        ::setgroups(groups.size(), groups.data());
    }
    return saved;
#else
    Q_UNUSED(as);
    return writeWholeFile(path, bytes);
#endif
}

// A file that cannot be read for an import.
struct ReadRow
{
    SetUp setUp;
    FileFault fault;
    qint64 limit = 1000;
    QString whileRead = {}; // what another program does, at the first read: a shell command
};

// A save of the result and what it must leave: where it fails, every file as it was (or the old
// content put back); where it succeeds, the new content in a file with the old one's mode and
// owner. Where another program moves names under it (move, once, before the call named), what
// the folder root holds afterwards, by names relative to it ("<link>" for any link).
struct SaveRow
{
    SetUp setUp = oldResult;
    FailureStep step = FailureStep::Write; // where it failed
    FileFault fault = FileFault::None;
    As as = As::Anyone;
    OldContent old = OldContent::Untouched;
    qint64 room = 0; // bytes a file may grow to; 0 for no limit
    bool inPlace = false; // the old file itself is written, rather than replaced
    int failures = 0; // of the file flushes, the first ones
    QStringList flushes {}; // checked where given
    const char *call = nullptr;
    QString move = {}; // a command of the shell, in the scene's folder
    QMap<QString, QByteArray> left = {};
    const char *root = "";
};

// A path through links, and the file the system reaches by it, in the scene: the file
// that an import reads is the one a save writes. Null for a loop of links.
struct LinkRow
{
    const char *path;
    const char *file;
};

// A failure as a row's message shows it, the window's words aside.
QString causeOf(const Failure &failure)
{
    return QStringLiteral("step %1, fault %2, code %3")
        .arg(int(failure.step))
        .arg(int(failure.fault))
        .arg(failure.code);
}

// What the saved file holds, as the flushes are recorded: "old", "new", "none", "part".
QString heldIn(const QString &path)
{
    const QByteArray bytes = contents(path);
    return bytes == earlier       ? "old"
        : bytes == result         ? "new"
        : bytes == "<unreadable>" ? "none"
                                  : "part";
}

} // namespace

Q_DECLARE_METATYPE(ReadRow)
Q_DECLARE_METATYPE(SaveRow)
Q_DECLARE_METATYPE(LinkRow)

class TestFileIo : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void save_data();
    void save();
    void linkedPathNamesOneFile_data();
    void linkedPathNamesOneFile();
};

void TestFileIo::read_data()
{
    QTest::addColumn<ReadRow>("row");
    QTest::addRow("missing file") << ReadRow { named("missing.txt"), FileFault::NotFound };
    QTest::addRow("a folder") << ReadRow { named("folder.txt"), FileFault::IsADirectory };
    QTest::addRow("exactly the limit") << ReadRow { fileOf<10000>, FileFault::None, 10000 };
    QTest::addRow("one byte over the limit, refused unread")
        << ReadRow { fileOf<10000>, FileFault::TooLarge, 9999 };
    QTest::addRow("a sparse file of 3 GiB, refused at once")
        << ReadRow { hugeFile, FileFault::TooLarge, 4 << 20 };
#ifdef Q_OS_UNIX
    QTest::addRow("a FIFO") << ReadRow { made("mkfifo fifo.txt", "fifo.txt"),
                                         FileFault::NotRegularFile };
    // What another program does to the file while it is read gives no list of either.
    QTest::addRow("cut short while it is read")
        << ReadRow { fileOf<10000>, FileFault::Changed, 20000, "truncate -s 100 sized.txt" };
    QTest::addRow("grown while it is read")
        << ReadRow { fileOf<10000>, FileFault::Changed, 20000, "truncate -s 10100 sized.txt" };
    QTest::addRow("written over while it is read, its size kept")
        << ReadRow { made("truncate -s 10000 sized.txt && touch -d @0 sized.txt", "sized.txt"),
                     FileFault::Changed, 20000, "printf %10000s '' >sized.txt" };
#endif
#ifdef Q_OS_WIN
    QTest::addRow("a file another program holds")
        << ReadRow { heldResult, FileFault::HeldByOtherProgram };
    QTest::addRow("a device name, nul.txt")
        << ReadRow { named("nul.txt"), FileFault::NotRegularFile };
#endif
}

void TestFileIo::read()
{
    QFETCH(ReadRow, row);
    Scene scene;
    const QString path = scene.make(row.setUp);
    if (path.isEmpty())
        return;
    QElapsedTimer timer;
    timer.start();
    const qint64 before = bytesRead();
    SystemCallWatch watch;
    watch.before = [&row, &scene](const char *call) {
        if (!row.whileRead.isEmpty() && qstrcmp(call, "pread") == 0)
            QVERIFY(shell(scene.dir.path(), std::exchange(row.whileRead, {})));
    };
    const Result<QByteArray> read = readWholeFile(path, row.limit);
    QVERIFY(timer.elapsed() < timeLimitMs(1000));
    QCOMPARE(read.failure.fault, row.fault);
    QCOMPARE(read.value, read.ok() ? contents(path) : QByteArray());
    if (row.fault == FileFault::TooLarge)
        QVERIFY(bytesRead() - before < 4096); // what the count's own reading costs
}

void TestFileIo::save_data()
{
    QTest::addColumn<SaveRow>("row");
    using enum FailureStep;
    using enum FileFault;
    using enum As;
    using enum OldContent;
    QTest::addRow("missing folder")
        << SaveRow { named("no-such-folder/result.txt"), Look, NotFound };
    QTest::addRow("a file where the folder should be")
        << SaveRow { named("result.txt/result.txt"), Look, NotADirectory };
    QTest::addRow("a folder where the file should be")
        << SaveRow { named("folder.txt"), Look, IsADirectory };
    QTest::addRow("a name too long to create")
        << SaveRow { named(QString(300, u'n') + ".txt"), Create, NameTooLong };
#ifdef Q_OS_UNIX
    QTest::addRow("size limit") << SaveRow { .setUp = oldResult, .fault = TooLarge, .room = 4096 };
    QTest::addRow("a link another user planted in a shared folder: the kernel refuses it")
        << SaveRow {
               made("test \"$(cat /proc/sys/fs/protected_symlinks)\" = 1 && mkdir -m 1777 shared "
                    "&& ln -s ../result.txt shared/ && chown -h 65534:65534 shared/result.txt",
                    "shared/result.txt"),
               Create, PermissionDenied, Root
           };
    // Nothing but a regular file is replaced: a FIFO, or the device of /dev/null, which would lose
    // the result if it were written.
    QTest::addRow("a FIFO") << SaveRow { made("mkfifo fifo.txt", "fifo.txt"), Look,
                                         NotRegularFile };
    QTest::addRow("a device node")
        << SaveRow { made("mknod null.txt c 1 3", "null.txt"), Look, NotRegularFile, Root };
    QTest::addRow("full disk: 8 KB left for 19 KB") << SaveRow {
        onSmallDisk("(yes >disk/filler 2>/dev/null; true) && truncate -s -8K disk/filler"), Write,
        NoSpace, Root
    };
    QTest::addRow("read-only file system")
        << SaveRow { onSmallDisk("mount -o remount,ro disk"), Open, ReadOnlyFileSystem, Root };
    QTest::addRow("folder the user cannot write")
        << SaveRow { newInLockedFolder, Create, PermissionDenied, Nobody };
    QTest::addRow("read-only file") << SaveRow { readOnlyFile, Open, PermissionDenied, Nobody };
    // Where only the file may be written, it is written in place: no room is found before a
    // byte is overwritten; after a failure past that, the old content goes back, unless it could
    // not be read to be kept.
    QTest::addRow("in place, no room for the longer result")
        << SaveRow { .setUp = inLockedFolder, .fault = TooLarge, .as = Nobody, .room = 4096 };
    QTest::addRow("in place, failing half-way: the old content put back") << SaveRow {
        .setUp = longInLockedFolder, .fault = TooLarge, .as = Nobody, .old = PutBack, .room = 4096
    };
    QTest::addRow("in place, an unreadable file failing half-way: the old content lost")
        << SaveRow { .setUp = writeOnlyInLockedFolder,
                     .fault = TooLarge,
                     .as = Nobody,
                     .old = Lost,
                     .room = 4096 };
#endif
#ifdef Q_OS_WIN
    // Windows sends these names to a device in every folder: no file would be written.
    QTest::addRow("a device name, CON.txt") << SaveRow { named("CON.txt"), Look, NotRegularFile };
    QTest::addRow("a device name, nul.txt") << SaveRow { named("nul.txt"), Look, NotRegularFile };
    // A colon names a stream of the file before it, where the result would be out of sight.
    QTest::addRow("a stream of another file")
        << SaveRow { named("result.txt:stream.txt"), Create, ColonInName };
    // A name typed as "a:b.txt" comes back from a dialog as a path on a drive A:.
    QTest::addRow("a colon in a name typed alone")
        << SaveRow { [](Scene &) { return QStringLiteral("a:b.txt"); }, Create, ColonInName };
    QTest::addRow("read-only file") << SaveRow { readOnlyFile, Open, ReadOnlyFile };
    QTest::addRow("a file another program holds")
        << SaveRow { heldResult, Open, HeldByOtherProgram };
    QTest::addRow("folder the user cannot write")
        << SaveRow { newInLockedFolder, Create, PermissionDenied };
#endif
    // A file is flushed once it holds all its data, a new name once the folder holds it.
    QTest::addRow("a new file: its data, then its folder's names")
        << SaveRow { .setUp = named("new.txt"), .flushes = { "file none", "folder new" } };
    QTest::addRow("a file of the user's: its data flushed before it takes the old one's place")
        << SaveRow { .setUp = oldResult, .flushes = { "file old", "folder new" } };
    QTest::addRow("a failing disk found at the flush: the old file stays")
        << SaveRow { .setUp = oldResult, .fault = Io, .failures = 1, .flushes = { "file old" } };
    // Where the old file may be written but not replaced, it is written in place, and flushed
    // once it holds the new content alone; where that flush fails, the old content goes back
    // and is flushed, and a flush that fails again then loses nothing more.
    QTest::addRow("writable file, folder not: written in place") << SaveRow {
        .setUp = longInLockedFolder, .as = Nobody, .inPlace = true, .flushes = { "file new" }
    };
    QTest::addRow("in place, failing at the flush and again as it goes back: the old content back")
        << SaveRow { .setUp = inLockedFolder,
                     .fault = Io,
                     .as = Nobody,
                     .old = PutBack,
                     .failures = 2,
                     .flushes = { "file new", "file old" } };
    QTest::addRow("in place over a longer file, failing at the flush: its tail put back")
        << SaveRow {
               .setUp = longInLockedFolder, .fault = Io, .as = Nobody, .old = PutBack, .failures = 1
           };
    QTest::addRow("a name of 250 bytes") << SaveRow { named(QString(82, u'中') + ".txt") };
#ifdef Q_OS_UNIX
    QTest::addRow("0600") << SaveRow { .setUp = made("chmod 600 result.txt") };
    QTest::addRow("read-only 0444, as root")
        << SaveRow { .setUp = made("chmod 444 result.txt"), .as = Root };
    QTest::addRow("an ACL denying nobody")
        << SaveRow { .setUp = made("chmod 644 result.txt && setfacl -m user:nobody:--- result.txt"),
                     .as = Root };
    QTest::addRow("0640 of another owner, as root")
        << SaveRow { .setUp = made("chmod 640 result.txt && chown 1234:5678 result.txt"),
                     .as = Root };
    QTest::addRow("a folder's default ACL: no entry the old file lacked")
        << SaveRow { .setUp
                     = made("cp result.txt folder.txt/ && setfacl -d -m user:nobody:--- folder.txt",
                            "folder.txt/result.txt") };
    // Another user's file, writable by all, in a shared folder: the sticky bit keeps others from
    // replacing it.
    QTest::addRow("another's writable file in a shared folder: written in place")
        << SaveRow { .setUp = made("mkdir -m 1777 shared && cp result.txt shared/ && chmod o+w "
                                   "shared/result.txt && chown 1234:1234 shared/result.txt",
                                   "shared/result.txt"),
                     .as = Nobody,
                     .inPlace = true };
    QTest::addRow("a file mounted on itself: written in place")
        << SaveRow { .setUp = made("mount --bind result.txt result.txt", "result.txt",
                                   "umount -l result.txt"),
                     .as = Root,
                     .inPlace = true };
    QTest::addRow("no free inode on the disk: written in place")
        << SaveRow { .setUp = onSmallDisk("i=0; while [ $i -lt 100 ] && touch disk/$i 2>/dev/null; "
                                          "do i=$((i + 1)); done; [ $i -lt 100 ]"),
                     .as = Root,
                     .inPlace = true };
    QTest::addRow("a file of two hard links: written in place")
        << SaveRow { .setUp = made("ln result.txt folder.txt/same.txt"), .inPlace = true };
    QTest::addRow("an append-only folder: written in place")
        << SaveRow { .setUp = inAppendOnlyFolder<true>, .as = Root, .inPlace = true };
    QTest::addRow("a new file in an append-only folder")
        << SaveRow { .setUp = inAppendOnlyFolder<false>, .as = Root };
    // What the saver may not give the new file stays with the old one, written in place.
    QTest::addRow("another user's file the user may write, in the user's folder: still theirs")
        << SaveRow { .setUp = inNobodysFolder("1234", "666"), .as = Nobody, .inPlace = true };
    QTest::addRow("the user's own file in a group the user is not in: the group kept")
        << SaveRow { .setUp = inNobodysFolder("65534", "660"), .as = Nobody, .inPlace = true };
    // As a sandbox hands out one file: mounted writable on its own, in a folder then mounted
    // read-only with it.
    QTest::addRow("a file mounted writable in a read-only folder: written in place") << SaveRow {
        .setUp = made(
            "cp result.txt folder.txt/ && mount --bind folder.txt/result.txt folder.txt/result.txt "
            "&& mount --rbind folder.txt folder.txt && mount -o remount,bind,ro folder.txt",
            "folder.txt/result.txt", "umount -l folder.txt; umount -l folder.txt/result.txt"),
        .as = Root,
        .inPlace = true
    };
    // Two hard links on a ramfs, which reserves no room (no fallocate).
    QTest::addRow("in place where no room can be reserved (ramfs)")
        << SaveRow { .setUp = made("mkdir disk && mount -t ramfs ramfs disk && cp result.txt disk/ "
                                   "&& ln disk/result.txt disk/same.txt",
                                   "disk/result.txt", "umount -l disk"),
                     .as = Root,
                     .inPlace = true };
    // Without /proc nothing reads the old file's attributes through what holds it.
    QTest::addRow("no /proc mounted: written in place")
        << SaveRow { .setUp = withoutProc, .as = Root, .inPlace = true };
    // A failed save leaves no file it made.
    QTest::addRow("through a link to nothing, failing: no empty file left")
        << SaveRow { .setUp = made("ln -s folder.txt/new.txt new-link.txt", "new-link.txt"),
                     .fault = TooLarge,
                     .room = 4096 };
    QTest::addRow("a new file in an append-only folder, failing: no empty file left") << SaveRow {
        .setUp = inAppendOnlyFolder<false>, .fault = TooLarge, .as = Root, .room = 4096
    };
    // Names moved under the save: it follows the file and the folder it holds, not their names.
    const QByteArray dir = "<dir>";
    QTest::addRow("renamed as it is looked at: a new file at its name") << SaveRow {
        .call = "readlink",
        .move = "mv result.txt result-old.txt",
        .left = { { "folder.txt", dir }, { "result.txt", result }, { "result-old.txt", earlier } }
    };
    QTest::addRow("removed as it is looked at, beside a name such as /proc gives a removed file")
        << SaveRow { .setUp = made("printf 'a bystander' >'result.txt (deleted)'"),
                     .call = "readlink",
                     .move = "rm result.txt",
                     .left = { { "folder.txt", dir },
                               { "result.txt", result },
                               { "result.txt (deleted)", "a bystander" } } };
    QTest::addRow("replaced by an editor's save as it is looked at")
        << SaveRow { .call = "readlink",
                     .move = "printf edited >result.txt~ && mv result.txt~ result.txt",
                     .left = { { "folder.txt", dir }, { "result.txt", result } } };
    QTest::addRow("its folder renamed as the new file is flushed: saved there, nothing left")
        << SaveRow { .setUp = made("mkdir sub && cp result.txt sub/", "sub/result.txt"),
                     .call = "fsync",
                     .move = "mv sub moved",
                     .left = { { "folder.txt", dir },
                               { "result.txt", earlier },
                               { "moved", dir },
                               { "moved/result.txt", result } } };
    QTest::addRow("its folder swapped for a link as the new file is flushed")
        << SaveRow { .setUp = made("mkdir sub && cp result.txt sub/", "sub/result.txt"),
                     .call = "fsync",
                     .move = "mv sub moved && ln -s \"$PWD/folder.txt\" sub",
                     .left = { { "folder.txt", dir },
                               { "result.txt", earlier },
                               { "moved", dir },
                               { "moved/result.txt", result },
                               { "sub", "<link>" } } };
    // 彩票 in GBK, from an archive made on Chinese Windows, reached through a link; beside it
    // the folder whose name those bytes make when read as UTF-8. The other folder's file is
    // left untouched; the path's is checked.
    QTest::addRow("a folder named in GBK bytes") << SaveRow {
        .setUp
        = made("g=$(printf '\\262\\312\\306\\261') && mkdir \"$g\" && cp result.txt \"$g\"/ && ln "
               "-s \"$g\" lottery && mkdir \uFFFD\uFFFD\u01B1 && cp result.txt \uFFFD\uFFFD\u01B1/",
               "lottery/result.txt", "rm -r \"$(printf '\\262\\312\\306\\261')\""),
        .left = { { "result.txt", earlier } },
        .root = "\uFFFD\uFFFD\u01B1"
    }; // Qt 6.8 stops listing a folder at a name it cannot decode
    // Opened to be written, a file of an overlay's lower layer is copied up, which splits its
    // hard links: the copy is a file of another inode.
    QTest::addRow("hard-linked in an overlay's lower layer: copied up and saved") << SaveRow {
        .setUp = made(
            "mkdir -p merged layers/lower layers/upper layers/work && cp result.txt layers/lower/ "
            "&& ln layers/lower/result.txt layers/lower/same.txt && mount -t overlay -o "
            "lowerdir=$PWD/layers/lower,upperdir=$PWD/layers/upper,workdir=$PWD/layers/work "
            "overlay merged",
            "merged/result.txt", "umount -l merged"),
        .as = Root,
        .left = { { "result.txt", result }, { "same.txt", earlier } },
        .root = "merged"
    };
#endif
}

void TestFileIo::save()
{
    QFETCH(SaveRow, row);
    Scene scene;
    const QString path = scene.make(row.setUp, row.as);
    if (path.isEmpty())
        return;
    QMap<QString, QByteArray> expected = snapshot(scene.dir.path());
    const auto carried = [&path] {
        const QFileInfo file(path);
        return QByteArray::number(uint(file.permissions())) + ' '
            + QByteArray::number(file.ownerId()) + ' ' + QByteArray::number(file.groupId()) + ' '
            + attributes(path);
    };
    // Which file the path names, where the save must succeed: no device is opened to ask.
    const bool succeeds = row.fault == FileFault::None;
    const QByteArray before = succeeds ? identity(path) : QByteArray();
    const QByteArray old = carried();

    SystemCallWatch watch;
    watch.held = [&path] { return heldIn(path); };
    watch.folder = QFileInfo(path).absolutePath();
    watch.failingFlushes = row.failures;
    bool moved = row.move.isEmpty();
    watch.before = [&row, &scene, &moved](const char *call) {
        if (!row.move.isEmpty() && qstrcmp(call, row.call) == 0)
            moved = shell(scene.dir.path(), std::exchange(row.move, {}));
    };
    Failure saved;
    if (!withFileSizeLimit(row.room, [&] { saved = saveAs(row.as, path, result); }))
        QSKIP("cannot limit the file size here");
    QVERIFY2(saved.fault == row.fault, qPrintable(causeOf(saved)));
    QVERIFY(moved);
    QCOMPARE(saved.old, row.old);
#ifdef Q_OS_WIN
    // Windows puts a folder's names on the disk with the move itself, written through.
    row.flushes.removeIf([](const QString &flush) { return flush.startsWith("folder"); });
#endif
    if (!row.flushes.isEmpty())
        QCOMPARE(watch.flushes, row.flushes);
    if (!row.left.isEmpty()) {
        if (QFileInfo::exists(path))
            QCOMPARE(contents(path), result);
        const QString root = scene.path(QString::fromUtf8(row.root));
        QMap<QString, QByteArray> found;
        const QMap<QString, QByteArray> all = snapshot(root);
        for (auto it = all.begin(); it != all.end(); ++it)
            found.insert(it.key().mid(root.size() + 1),
                         it.value().startsWith("<link") ? QByteArray("<link>") : it.value());
        QCOMPARE(found.keys().join(u' '), row.left.keys().join(u' ')); // what was left or lost
        QCOMPARE(found, row.left);
        return;
    }
    if (succeeds) {
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if (!before.isEmpty() && identity(it.key()) == before)
                it.value() = result; // every name of the file
        }
        expected.insert(path, result);
        QCOMPARE(identity(path) == before, row.inPlace);
        if (!before.isEmpty())
            QCOMPARE(carried(), old);
    } else {
        QCOMPARE(saved.step, row.step);
    }
    // Nothing else changed (an old content written over is back), no temporary file is left.
    if (saved.old != OldContent::Lost)
        QCOMPARE(snapshot(scene.dir.path()), expected);
}

void TestFileIo::linkedPathNamesOneFile_data()
{
    QTest::addColumn<LinkRow>("row");
    QTest::addRow("a linked folder") << LinkRow { "home/data/plain.txt", "real/data/plain.txt" };
    QTest::addRow("a link whose target climbs with ..")
        << LinkRow { "home/data/latest.txt", "real/archive/2024.txt" };
    QTest::addRow("a chain of links across folders")
        << LinkRow { "home/data/chained.txt", "real/archive/2024.txt" };
    QTest::addRow("a link to nothing yet")
        << LinkRow { "home/data/new.txt", "real/archive/new.txt" };
    QTest::addRow("a loop") << LinkRow { "loop.txt", nullptr };
}

void TestFileIo::linkedPathNamesOneFile()
{
    // Relative targets are the link's own business: "../archive" from real/data, reached
    // through home/data, is real/archive, where home/archive is another file.
    QFETCH(LinkRow, row);
    Scene scene;
    const QStringList files { "real/data/plain.txt", "real/archive/2024.txt",
                              "home/archive/2024.txt" };
    for (const QString &file : files) {
        QVERIFY(QDir().mkpath(scene.path(QFileInfo(file).path())));
        QVERIFY(writeFile(scene.path(file), file.toUtf8()));
    }
    QVERIFY(QDir().mkpath(scene.path("real/links")));
    for (const auto &[link, target] : { std::pair { "home/data", "../real/data" },
                                        { "real/data/latest.txt", "../archive/2024.txt" },
                                        { "real/data/chained.txt", "../links/now.txt" },
                                        { "real/links/now.txt", "../archive/2024.txt" },
                                        { "real/data/new.txt", "../archive/new.txt" },
                                        { "loop.txt", "loop-back.txt" },
                                        { "loop-back.txt", "loop.txt" } }) {
        if (!makeLink(scene, link, target))
            QSKIP("cannot make a symbolic link here");
    }
    const QString path = scene.path(row.path);
    const QString file = row.file ? scene.path(row.file) : QString();
    if (scene.unixLinks && row.file && !QFileInfo::exists(file))
        QSKIP("Wine shows no link to nothing");
    QMap<QString, QByteArray> expected = snapshot(scene.dir.path());

    const QByteArray saved = "the new result\r\n";
    const Result<QByteArray> read = readWholeFile(path, 1000);
    const Failure outcome = writeWholeFile(path, saved);
    if (!row.file) {
        QCOMPARE(read.failure.fault, FileFault::LinkLoop);
        QCOMPARE(outcome.fault, FileFault::LinkLoop);
    } else {
        QCOMPARE(read.value, expected.value(file));
        QVERIFY2(!outcome.failed(), qPrintable(causeOf(outcome)));
        expected.insert(file, saved);
    }
    if (!scene.unixLinks) {
        QCOMPARE(snapshot(scene.dir.path()), expected); // the links as they were, too
        return;
    }
    // Wine shows a link as the file it names: the files themselves are compared.
    for (const QString &other : files)
        QCOMPARE(contents(scene.path(other)), scene.path(other) == file ? saved : other.toUtf8());
}

QTEST_GUILESS_MAIN(TestFileIo)
#include "tst_fileio.moc"
