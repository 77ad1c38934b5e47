// The history import and the result file.

#include "app/mainwindow.h"

#include "app/failuretext.h"
#include "app/filedialogs.h"
#include "app/messagebox.h"
#include "fileio/readfile.h"
#include "fileio/savefile.h"
#include "history/historytext.h"
#include "history/messagequote.h"
#include "history/resultfile.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>

namespace orbelune {

namespace {

void warn(QWidget *parent, const QStringList &lines)
{
    showMessageBox(
        { parent, applicationTitle(), lines.join(QLatin1String("\r\n")), MessageIcon::Warning });
}

// The save dialog opens on drive D on Windows, where the program has always put its results;
// elsewhere, and on a Windows without drive D, in the user's documents.
QString resultFolder()
{
#ifdef Q_OS_WIN
    if (QFileInfo(QStringLiteral("d:/")).isDir())
        return QStringLiteral("d:\\");
#endif
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

} // namespace

QString MainWindow::askForPath(const std::function<QString()> &dialog,
                               const QStringList &busyMessage)
{
    QString path;
    if (!yieldToEvents([&dialog, &path] { path = dialog(); }) || path.isEmpty())
        return QString();
    // While the dialog was open a run may have started; the run locks both commands, and the
    // list must not change under it.
    if (isRunActive()) {
        warn(this, busyMessage);
        return QString();
    }
    return path;
}

void MainWindow::chooseHistoryFile()
{
    const QString path = askForPath(
        [] {
            return showOpenDialog(QStringLiteral("请选择要导入的彩票数据文件"),
                                  QStringLiteral("*.txt"));
        },
        { QStringLiteral("正在分析，不能导入数据。"), QStringLiteral("请在分析结束后再导入。") });
    if (!path.isEmpty())
        importHistory(path);
}

void MainWindow::importHistory(const QString &path)
{
    // Read and checked whole first: a file that cannot be imported leaves the list as it was.
    const Result<QByteArray> read = readWholeFile(path, maxHistoryFileBytes);
    const Result<QStringList> file
        = read.ok() ? decodeHistoryFile(read.value) : Result<QStringList> {};
    if (!read.ok() || !file.ok()) {
        warn(this,
             { QStringLiteral("无法导入数据文件："), QDir::toNativeSeparators(path),
               importFailureText(read.ok() ? file.failure : read.failure),
               QStringLiteral("往期数据列表没有改动。") });
        return;
    }
    m_historyList->clear();
    m_historyList->addItems(file.value);
    m_historyList->setCurrentItem(nullptr);
    m_historyList->clearSelection();
}

void MainWindow::saveResult()
{
    const QString path = askForPath(
        [] {
            const QChar nul(u'\0');
            return showSaveDialog(
                QStringLiteral("保存运算出来的彩球结果"),
                QStringLiteral("文本文件 (*.txt)") + nul + QStringLiteral("*.txt"), resultFolder());
        },
        { QStringLiteral("正在分析，不能保存结果。"), QStringLiteral("请在分析结束后再保存。") });
    if (path.isEmpty())
        return;

    QStringList captions;
    for (const QLabel *caption : m_ballCaptions)
        captions.append(caption->text());
    QStringList rows;
    rows.reserve(m_historyList->count());
    for (int i = 0; i < m_historyList->count(); ++i)
        rows.append(m_historyList->item(i)->text());

    const bool existed = QFileInfo::exists(path);
    const QString shownPath = QDir::toNativeSeparators(path);

    // The file is GBK text. A row from a Unicode file may hold a character GBK has not; a "?"
    // in its place would silently make the file differ from the list, so the row is named.
    const ResultFileBytes result = encodeResultFile(captions, rows);
    if (result.unencodableLine > 0) {
        const QString where = result.unencodableLine == 1
            ? QStringLiteral("彩球号码含有 GBK 编码不能表示的字符：")
            : QStringLiteral("往期数据列表第 %1 行含有 GBK 编码不能表示的字符：")
                  .arg(result.unencodableLine - 1);
        const QString line = result.unencodableLine == 1 ? ballText(captions)
                                                         : rows.at(result.unencodableLine - 2);
        warn(this,
             { QStringLiteral("无法保存结果文件："), shownPath,
               QStringLiteral("结果文件使用 GBK 编码，") + where
                   + characterForMessage(result.unencodableChar),
               quotedForMessage(line), leftBySaveText(Failure {}, existed) });
        return;
    }

    const Failure saved = writeWholeFile(path, result.bytes);
    if (saved.failed())
        warn(this,
             { QStringLiteral("无法保存结果文件："), shownPath, saveFailureText(saved),
               leftBySaveText(saved, existed) });
}

} // namespace orbelune
