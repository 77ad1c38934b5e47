#include "app/filedialogs.h"

#include "app/testhook.h"
#include "history/dialogrules.h"

namespace orbelune {

namespace {

TestHook<QString(const FileDialogRequest &)> hook;

QString askForFile(const FileDialogRequest &request)
{
    return hook.call(runPlatformFileDialog, request);
}

} // namespace

QString showOpenDialog(QWidget *owner, const QString &title, const QString &pattern)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.owner = owner;
    request.title = title;
    request.filterList = openDialogFilterList(pattern);
    request.nameFilters = qtNameFilters(request.filterList);
    return askForFile(request);
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
    return withTxtEnding(askForFile(request));
}

void setFileDialogHandler(FileDialogHandler newHandler)
{
    hook.set(std::move(newHandler));
}

} // namespace orbelune
