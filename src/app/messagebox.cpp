#include "app/messagebox.h"

#include "app/qttranslations.h"
#include "app/testhook.h"
#include "orbelune/appinfo.h"

#include <QMessageBox>

namespace orbelune {

namespace {

TestHook<void(const MessageBoxRequest &)> hook;

void showRealMessageBox(const MessageBoxRequest &request)
{
    installQtTranslations();
    QMessageBox box(request.icon == MessageIcon::Warning ? QMessageBox::Warning
                                                         : QMessageBox::NoIcon,
                    request.title, QString(), QMessageBox::Ok, request.parent);
    // The text may quote a history row, which is whatever a file held: never let it be read
    // as markup. Qt's labels break lines at LF, so CR LF pairs are shown as one break.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString(request.text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

void showMessageBox(const MessageBoxRequest &request)
{
    hook.call(showRealMessageBox, request);
}

void setMessageBoxHandler(MessageBoxHandler newHandler)
{
    hook = std::move(newHandler);
}

QString applicationTitle()
{
    return QString::fromLatin1(appinfo::name);
}

} // namespace orbelune
