// Qt's own file dialog, in the program's look, on every system but Windows.

#include "app/filedialogs.h"

#include "app/qttranslations.h"
#include "history/dialogrules.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPointer>
#include <QSettings>

namespace orbelune {

namespace {

// Shows a file by its name and what stat() tells, never by its contents. Qt's own provider
// reads a file to learn its type, on the window's thread, for a typed name and for each file
// listed: a stalled network share, a FUSE disk or /proc/kmsg would freeze the window until the
// read returns. Qt has no option for this (DontUseCustomDirectoryIcons is about folders).
class NameOnlyIconProvider final : public QFileIconProvider
{
public:
    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isRoot())
            return QFileIconProvider::icon(Drive);
        return QFileIconProvider::icon(info.isDir() ? Folder : File);
    }

    QString type(const QFileInfo &info) const override
    {
        if (!info.isFile()) // a folder, a drive, a device: Qt tells these apart by stat()
            return QFileIconProvider::type(info);
        const QMimeType byName
            = m_mimeTypes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        return byName.comment().isEmpty() ? byName.name() : byName.comment();
    }

private:
    QMimeDatabase m_mimeTypes;
};

// Qt's dialog asks before replacing the name as typed, but the save appends ".txt" where it is
// missing: the question is asked here, in Qt's words, about the file the save will write. It
// names the whole path: a typed ".." is cleaned as text, so the folder may not be the one meant.
class FileDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString chosen = selectedFiles().value(0);
        const QFileInfo target(withTxtEnding(chosen));
        // A folder typed into the name box is opened by Qt's accept.
        if (acceptMode() == AcceptSave && !chosen.isEmpty() && !QFileInfo(chosen).isDir()
            && target.exists() && !target.isDir()) {
            QMessageBox question(QMessageBox::Warning, windowTitle(),
                                 tr("%1 already exists.\nDo you want to replace it?")
                                     .arg(QDir::toNativeSeparators(target.filePath())),
                                 QMessageBox::Yes | QMessageBox::No, this);
            question.setDefaultButton(QMessageBox::No);
            // Like the dialog, the question leaves the main window usable.
            question.setWindowModality(Qt::WindowModal);
            if (question.exec() != QMessageBox::Yes)
                return;
        }
        QFileDialog::accept();
    }
};

QPointer<QFileDialog> openDialog;

} // namespace

QString runPlatformFileDialog(const FileDialogRequest &request)
{
    if (QFileDialog *open = openDialog) {
        open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
        open->raise();
        open->activateWindow();
        return QString();
    }

    installQtTranslations();
    // Qt's dialog keeps its recent folders, view and sidebar in the settings every Qt program
    // shares (~/.config/QtProject.conf), which the program promises not to write and no
    // uninstall could safely remove. Inside /dev/null no folder can ever be made: Qt reads
    // nothing there, and gives up writing before it creates so much as a lock file.
    for (const auto scope : { QSettings::UserScope, QSettings::SystemScope })
        QSettings::setPath(QSettings::NativeFormat, scope, QStringLiteral("/dev/null"));
    FileDialog dialog(nullptr, request.title, request.initialDir);
#ifndef Q_OS_MACOS
    // A platform theme (gtk3, qt6ct, KDE, the desktop portal) would put its own dialog here,
    // in the desktop's colours, dark on a dark desktop; Qt's own follows the program's palette.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    // The descriptions already name their patterns ("文本文件(*.txt)").
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    static NameOnlyIconProvider iconProvider; // used by Qt's gatherer thread until it ends
    dialog.setIconProvider(&iconProvider);
    dialog.setNameFilters(request.nameFilters);
    const bool saving = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The dialog's accept asks its own question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, saving);

    // Not exec(), which would block the main window: shown without modality, waited for here.
    dialog.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    openDialog = &dialog;
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    loop.exec();
    openDialog = nullptr;

    if (dialog.result() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

void closeFileDialog()
{
    if (!openDialog)
        return;
    // A question still open is answered "no" first, so that its accept returns.
    for (QMessageBox *question : openDialog->findChildren<QMessageBox *>())
        question->done(QMessageBox::No);
    openDialog->close();
}

} // namespace orbelune
