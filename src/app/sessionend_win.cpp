// The end of the session on Windows: Windows asks every program before it ends the session.

#include "app/sessionend.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace orbelune {

void endWithSession()
{
    // Windows ends the process soon after the session's end is agreed: the program ends by
    // itself while it may. A save cannot be under way here: it runs on this thread, which
    // reads the request only once the save is done.
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, qGuiApp,
                     [](QSessionManager &) { QCoreApplication::exit(0); });
}

} // namespace orbelune
