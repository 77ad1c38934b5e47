// The end of the session on Windows: Windows asks every program before it ends the session.

#include "app/sessionend.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace orbelune {

void endWithSession()
{
    // Windows ends the process soon after the session's end is agreed, so the program ends
    // itself while it may. No save is under way here: it runs on this thread, to its end.
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, qGuiApp,
                     [](QSessionManager &) { QCoreApplication::exit(0); });
}

} // namespace orbelune
