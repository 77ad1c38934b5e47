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

QString ShowOpenDialog(QWidget *owner, const QString &title, const QString &pattern, qint32 multi,
                       qint32 n)
{
    // n sized the file-name buffer of the dialog the program was first written with; the
    // dialogs now return the path whole, so a long path is never cut off or refused.
    Q_UNUSED(n);
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.owner = owner;
    request.title = title;
    request.filterList = openDialogFilterList(pattern);
    request.nameFilters = qtNameFilters(request.filterList);
    request.multiple = multi == 1;
    return askForFile(request);
}

QString ShowSaveDialog(QWidget *owner, const QString &title, const QString &filter,
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
