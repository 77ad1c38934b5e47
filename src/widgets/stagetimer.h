#pragma once

#include <QTimer>

namespace orbelune {

// The timer of an analysis run, which also keeps the number of the stage its next tick runs.
class StageTimer : public QTimer
{
    Q_OBJECT

public:
    using QTimer::QTimer;

    int stage() const { return m_stage; }
    void setStage(int stage) { m_stage = stage; }

private:
    int m_stage = 0;
};

} // namespace orbelune
