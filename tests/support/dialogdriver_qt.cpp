#include "dialogdriver.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

namespace orbelune::testing {

namespace {

QList<QFileDialog *> visibleDialogs()
{
    QList<QFileDialog *> found;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
            found.append(dialog);
    return found;
}

QMessageBox *question(QFileDialog *dialog)
{
    for (QMessageBox *box : dialog->findChildren<QMessageBox *>())
        if (box->isVisible())
            return box;
    return nullptr;
}

} // namespace

ShownFileDialog shownFileDialog()
{
    ShownFileDialog shown;
    const QList<QFileDialog *> dialogs = visibleDialogs();
    if (dialogs.isEmpty())
        return shown;
    QFileDialog *dialog = dialogs.last();
    shown.count = int(dialogs.size());
    shown.title = dialog->windowTitle();
    if (auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < types->count(); ++i)
            shown.filters.append(types->itemText(i));
    shown.hasOwner = dialog->parentWidget() != nullptr || dialog->windowModality() != Qt::NonModal;
    shown.folder = dialog->directory().absolutePath();
    shown.existingOnly = dialog->fileMode() == QFileDialog::ExistingFile;
    if (QMessageBox *box = question(dialog))
        shown.question = box->text();
    return shown;
}

void chooseInFileDialog(const QString &name)
{
    for (QFileDialog *dialog : visibleDialogs()) {
        // As a user types: selectFile() leaves the name box alone while it has the focus.
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    }
}

void answerFileDialogQuestion(bool yes)
{
    for (QFileDialog *dialog : visibleDialogs())
        if (QMessageBox *box = question(dialog))
            QMetaObject::invokeMethod(
                box, [box, yes] { box->done(yes ? QMessageBox::Yes : QMessageBox::No); },
                Qt::QueuedConnection);
}

void pressEnterAtFileDialogQuestion()
{
    for (QFileDialog *dialog : visibleDialogs())
        if (QMessageBox *box = question(dialog))
            QMetaObject::invokeMethod(
                box,
                [box] {
                    QWidget *focus = box->focusWidget();
                    QTest::keyClick(focus ? focus : box, Qt::Key_Return);
                },
                Qt::QueuedConnection);
}

} // namespace orbelune::testing
