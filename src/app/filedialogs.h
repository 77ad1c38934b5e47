#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace orbelune {

// Asks for an existing file to open. The filter list offers "文本文件(*.txt)" with pattern,
// then "所有文件(*.*)". Returns the path, whole however long, or empty text when the user
// cancelled.
QString showOpenDialog(QWidget *owner, const QString &title, const QString &pattern);

// Asks for a file name to save to; filter holds NUL-separated description and pattern pairs.
// Returns the path, with ".txt" appended unless it ends in txt, or empty text when the user
// cancelled. Where that file exists, the dialog first asks whether to replace it; "no" keeps
// the dialog open.
QString showSaveDialog(QWidget *owner, const QString &title, const QString &filter,
                       const QString &initialDir);

// What a file dialog is asked to show, for the seam below.
struct FileDialogRequest
{
    enum class Kind { Open, Save };

    Kind kind = Kind::Open;
    QWidget *owner = nullptr;
    QString title;
    QStringList nameFilters; // in Qt's syntax, "description (patterns)"
    QString filterList; // the same as the system's dialog takes it: NUL-separated pairs
    QString initialDir;
};

// Returns the chosen path, or empty text for a cancel.
using FileDialogHandler = std::function<QString(const FileDialogRequest &)>;

// A test cannot click a real dialog, so it answers through a handler of its own; an empty
// handler restores the real dialogs.
void setFileDialogHandler(FileDialogHandler handler);

// The dialog itself, when no handler answers: Qt's own on Linux (filedialogs_unix.cpp), the
// system's on Windows (filedialogs_win.cpp). Returns the path as chosen, or empty text for a
// cancel or a dialog that could not be shown. The dialogs have no owner, so the window stays
// usable while one is open. Only one is open at a time: asking for another raises the open
// one and returns empty text at once.
QString runPlatformFileDialog(const FileDialogRequest &request);

// Closes the open file dialog, if any, and any question it asks, as a cancel: its caller gets
// empty text.
void closeFileDialog();

} // namespace orbelune
