#pragma once

#include <QString>
#include <QTimer>

namespace orbelune {

// A timer that carries a text tag, the way the stage timer keeps the number of the next
// stage of an analysis run.
class TaggedTimer : public QTimer
{
public:
    using QTimer::QTimer;

    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    // Switching a timer on that is already running leaves its rhythm alone.
    void setEnabled(bool enabled)
    {
        if (!enabled)
            stop();
        else if (!isActive())
            start();
    }

private:
    QString m_tag;
};

} // namespace orbelune
