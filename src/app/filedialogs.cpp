#include "app/filedialogs.h"

#include "app/testhook.h"
#include "history/dialogrules.h"

namespace orbelune {

namespace {

TestHook<QString(const FileDialogRequest &)> hook;

} // namespace

QString showOpenDialog(QWidget *owner, const QString &title, const QString &pattern)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.owner = owner;
    request.title = title;
    request.filterList = openDialogFilterList(pattern);
    request.nameFilters = qtNameFilters(request.filterList);
    return hook.call(runPlatformFileDialog, request);
}

QString showSaveDialog(QWidget *owner, const QString &title, const QString &filter,
                       const QString &initialDir)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.owner = owner;
    request.title = title;
    request.filterList = filter;
    request.nameFilters = qtNameFilters(filter);
    request.initialDir = initialDir;
    return withTxtEnding(hook.call(runPlatformFileDialog, request));
}

void setFileDialogHandler(FileDialogHandler newHandler)
{
    hook = std::move(newHandler);
}

} // namespace orbelune
