#include "Clock.h"

#include <QDateTime>
#include <QElapsedTimer>

Clock* Clock::system()
{
    static SystemClock clock;
    return &clock;
}

qint64 SystemClock::monotonicMs() const
{
    static const QElapsedTimer origin = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return origin.elapsed();
}

qint64 SystemClock::wallMs() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

ManualClock::ManualClock(qint64 wallStartMs, qint64 monotonicStartMs)
    : monotonic(monotonicStartMs)
    , wall(wallStartMs)
{
}

void ManualClock::advance(qint64 ms)
{
    monotonic += ms;
    wall += ms;
}
