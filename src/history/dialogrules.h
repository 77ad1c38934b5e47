#pragma once

#include <QString>
#include <QStringList>

namespace orbelune {

// The file dialogs' rules (src/app/filedialogs*), as text only: they stay in the core so that
// the core's tests and the fuzz target reach them without widgets.

// The save dialog's rule for the chosen name: when its last three characters, lower-cased,
// are not "txt", ".txt" is appended (result → result.txt, result.doc → result.doc.txt;
// RESULT.TXT and resulttxt stay). Empty text stays empty.
QString withTxtEnding(const QString &path);

// The open dialog's filter list for pattern: description and pattern pairs, each ended by NUL:
// "文本文件(*.txt)", pattern, "所有文件(*.*)", "*.*".
QString openDialogFilterList(const QString &pattern);

// Turns a filter list of NUL-separated description and pattern pairs into Qt's name filters,
// "description (patterns)". Patterns separated by ";" are separated by blanks, and "*.*",
// which means every file, becomes "*". A missing last pattern counts as "*".
QStringList qtNameFilters(const QString &filterList);

} // namespace orbelune
