// The end of the session on POSIX systems: a signal, turned into an event of the loop.

#include "app/sessionend.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orbelune {

namespace {

constexpr int endingSignals[] = { SIGTERM, SIGHUP, SIGINT };

// Written by the signal handler, read by the loop: a handler may do little more than write.
int signalPipe[2] = { -1, -1 };

// Every ending signal, first or later, takes this way: one that killed the program outright
// would cut a save short (systemd follows SIGTERM with SIGHUP; Ctrl+C is often pressed twice).
void onEndingSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    if (::write(signalPipe[1], &byte, 1) != 1) {
        // The pipe is full of earlier signals: the loop has its word already.
    }
    errno = saved;
}

} // namespace

void endWithSession()
{
    if (::pipe(signalPipe) != 0)
        return;
    for (const int fd : signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        while (::read(signalPipe[0], &byte, 1) > 0) { }
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : endingSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace orbelune
