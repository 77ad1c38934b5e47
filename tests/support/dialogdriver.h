#pragma once

// The real file dialog driven as a user would: Qt's own dialog, or the system's on Windows
// (dialogdriver_qt.cpp, dialogdriver_win.cpp). Each call acts on the file dialog on the
// screen; the actions are posted, as a key press would be, and take effect in the event loop.

#include <QString>
#include <QStringList>

namespace orbelune::testing {

struct ShownFileDialog
{
    int count = 0; // file dialogs on the screen; the rest tells of the last one
    QString title;
    QStringList filters; // as its type box lists them
    bool hasOwner = true;
    QString folder; // the folder it shows; Qt's dialog only
    bool existingOnly = true; // it takes only a file that exists; Qt's dialog tells
    QString question; // the question it asks before replacing a file, or empty text
};

ShownFileDialog shownFileDialog();

// Types name into the dialog's name box and presses its button.
void chooseInFileDialog(const QString &name);
void answerFileDialogQuestion(bool yes);
// Presses Enter at that question, where the key's focus is.
void pressEnterAtFileDialogQuestion();

} // namespace orbelune::testing
