#include "app/filedialogs.h"

#include "app/qttranslations.h"
#include "history/dialogrules.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QPointer>

namespace orbelune {

namespace {

FileDialogHandler &handler()
{
    static FileDialogHandler current;
    return current;
}

QPointer<QFileDialog> &openDialog()
{
    static QPointer<QFileDialog> current;
    return current;
}

QString runRealDialog(const FileDialogRequest &request)
{
    if (QFileDialog *open = openDialog()) {
        open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
        open->raise();
        open->activateWindow();
        return QString();
    }

    installQtTranslations();
    QFileDialog dialog(request.owner, request.title, request.initialDir);
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    // A platform theme (gtk3, qt6ct, KDE, the desktop portal) would put its own dialog here,
    // in the desktop's colours, dark on a dark desktop; Qt's own follows the program's palette.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    // The descriptions already name their patterns ("文本文件(*.txt)"); Qt's details would
    // only repeat them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(request.nameFilters);
    if (request.kind == FileDialogRequest::Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles
                                            : QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Saving over an existing file asks no question: it is simply replaced.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }

    // Not exec(): that would block the main window. The dialog is shown without modality
    // and the call waits in a loop of its own until the dialog is finished.
    dialog.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    openDialog() = &dialog;
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    loop.exec();
    openDialog() = nullptr;

    if (dialog.result() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QString askForFile(const FileDialogRequest &request)
{
    return handler() ? handler()(request) : runRealDialog(request);
}

} // namespace

QString ShowOpenDialog(QWidget *owner, const QString &title, const QString &pattern, qint32 multi,
                       qint32 n)
{
    // n sized the file-name buffer of the system dialog; Qt returns the path whole, so a
    // long path is never cut off or refused.
    Q_UNUSED(n);
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.owner = owner;
    request.title = title;
    request.nameFilters = qtNameFilters(openDialogFilterList(pattern));
    request.multiple = multi == 1;
    return askForFile(request);
}

QString ShowSaveDialog(QWidget *owner, const QString &title, const QString &filter,
                       const QString &initialDir)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.owner = owner;
    request.title = title;
    request.nameFilters = qtNameFilters(filter);
    request.initialDir = initialDir;
    return withTxtEnding(askForFile(request));
}

void setFileDialogHandler(FileDialogHandler newHandler)
{
    handler() = std::move(newHandler);
}

bool isFileDialogOpen()
{
    return !openDialog().isNull();
}

void closeFileDialog()
{
    if (QFileDialog *open = openDialog())
        open->close();
}

} // namespace orbelune
