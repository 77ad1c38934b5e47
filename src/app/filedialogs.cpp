#include "app/filedialogs.h"

#include "history/dialogrules.h"

namespace orbelune {

namespace {

FileDialogHandler &handler()
{
    static FileDialogHandler current;
    return current;
}

QString askForFile(const FileDialogRequest &request)
{
    return handler() ? handler()(request) : runPlatformFileDialog(request);
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
    handler() = std::move(newHandler);
}

} // namespace orbelune
