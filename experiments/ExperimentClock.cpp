#include "ExperimentClock.h"

#include <QDateTime>
#include <QElapsedTimer>

ExperimentClock* ExperimentClock::system()
{
    static SystemExperimentClock clock;
    return &clock;
}

qint64 SystemExperimentClock::monotonicMs() const
{
    static const QElapsedTimer origin = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return origin.elapsed();
}

qint64 SystemExperimentClock::wallMs() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

ManualExperimentClock::ManualExperimentClock(qint64 wallStartMs, qint64 monotonicStartMs)
    : monotonic(monotonicStartMs)
    , wall(wallStartMs)
{
}

void ManualExperimentClock::advance(qint64 ms)
{
    monotonic += ms;
    wall += ms;
}
