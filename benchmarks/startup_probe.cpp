// Loaded into the real orbelune binary by the bench (LD_PRELOAD), so that start-up is measured
// on the program as it ships, not on a copy of its main(). When the main window has been
// painted for the first time it writes one line to standard output,
//     first-paint <CLOCK_MONOTONIC in ns> <peak resident memory in KiB>
// and ends the program the ordinary way.

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QPaintEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

long long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType()
            && qobject_cast<QMainWindow *>(static_cast<QWidget *>(watched)->window())) {
            m_seen = true;
            // The window and its children are painted in one pass, and the frame is handed
            // to the platform at its end: a zero timer runs once that pass is over.
            QTimer::singleShot(0, [] {
                timespec now {};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("first-paint %lld %lld\n",
                            static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                            peakResidentKiB());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

void watchForFirstPaint()
{
    qApp->installEventFilter(new FirstPaint(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchForFirstPaint)
