#include "FrameRateCounter.h"

#include "Clock.h"

FrameRateCounter::FrameRateCounter(QObject* parent)
    : QObject(parent)
    , clock(Clock::system())
{
    clear();
}

void FrameRateCounter::nextFrame()
{
    ++frameCount;
    const qint64 now = clock->monotonicMs();
    dropOldEvents(now);
    frameTimes.append(now);
    const qsizetype n = frameTimes.size();
    if (n < 2)
        return;
    const qint64 span = frameTimes.last() - frameTimes.first();
    const double rate = double(n - 1) * 1000.0 / double(span == 0 ? 1 : span);
    frameRate = rate;
    emit frameRateChanged(rate);
}

void FrameRateCounter::dropOldEvents(qint64 now)
{
    if (maxWatchTime >= 1) {
        while (!frameTimes.isEmpty() && frameTimes.first() < now - maxWatchTime)
            frameTimes.removeFirst();
    } else {
        while (frameTimes.size() > accumulator)
            frameTimes.removeFirst();
    }
}

void FrameRateCounter::clear()
{
    frameTimes.clear();
    frameCount = 0;
    startTime = QDateTime::fromMSecsSinceEpoch(clock->wallMs());
    frameRate = 0;
    emit frameRateChanged(0);
}

void FrameRateCounter::restart()
{
    clear();
}

void FrameRateCounter::setAccumulator(int n)
{
    accumulator = qMax(n, 1);
}

void FrameRateCounter::setMaxWatchTime(qint64 ms)
{
    maxWatchTime = ms;
}

void FrameRateCounter::setFrameRate(double value)
{
    frameRate = value;
    emit frameRateChanged(value);
}

double FrameRateCounter::getFrameRate() const
{
    return frameRate;
}

int FrameRateCounter::getFrameCount() const
{
    return frameCount;
}

void FrameRateCounter::setClock(Clock* newClock)
{
    clock = newClock;
}
