#include "app/filedialogs.h"

#include "app/testhook.h"
#include "history/dialogrules.h"

namespace orbelune {

namespace {

TestHook<QString(const FileDialogRequest &)> hook;

QString ask(FileDialogRequest::Kind kind, const QString &title, const QString &filterList,
            const QString &initialDir = QString())
{
    return hook.call(
        runPlatformFileDialog,
        FileDialogRequest { kind, title, qtNameFilters(filterList), filterList, initialDir });
}

} // namespace

QString showOpenDialog(const QString &title, const QString &pattern)
{
    return ask(FileDialogRequest::Kind::Open, title, openDialogFilterList(pattern));
}

QString showSaveDialog(const QString &title, const QString &filter, const QString &initialDir)
{
    return withTxtEnding(ask(FileDialogRequest::Kind::Save, title, filter, initialDir));
}

void setFileDialogHandler(FileDialogHandler newHandler)
{
    hook = std::move(newHandler);
}

} // namespace orbelune
