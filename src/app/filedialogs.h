#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace orbelune {

// Asks for an existing file to open, offering "文本文件(*.txt)" with pattern, then
// "所有文件(*.*)". Returns the whole path, or empty text for a cancel.
QString showOpenDialog(const QString &title, const QString &pattern);

// Asks for a file name to save to; filter holds NUL-separated description and pattern pairs.
// Returns the path, with ".txt" appended unless it ends in txt, or empty text for a cancel.
// Where that file exists, the dialog first asks whether to replace it; "no" keeps it open.
QString showSaveDialog(const QString &title, const QString &filter, const QString &initialDir);

// What a file dialog is asked to show, for the seam below.
struct FileDialogRequest
{
    enum class Kind { Open, Save };

    Kind kind = Kind::Open;
    QString title;
    QStringList nameFilters; // in Qt's syntax, "description (patterns)"
    QString filterList; // the same as the system's dialog takes it: NUL-separated pairs
    QString initialDir;
};

// A test cannot click a real dialog, so it answers through a handler of its own (the chosen
// path, or empty text for a cancel); an empty handler restores the real dialogs.
using FileDialogHandler = std::function<QString(const FileDialogRequest &)>;
void setFileDialogHandler(FileDialogHandler handler);

// The dialog itself, when no handler answers: Qt's own on Linux, the system's on Windows.
// Returns the path as chosen, or empty text for a cancel or a dialog that could not be shown.
// The dialogs have no owner, so the window stays usable while one is open. Only one is open at
// a time: asking for another raises the open one and returns empty text at once.
QString runPlatformFileDialog(const FileDialogRequest &request);

// Closes the open file dialog and any question it asks, as a cancel: its caller gets empty text.
void closeFileDialog();

} // namespace orbelune
