#include "ZBackgroundThread.h"

#include <QMutexLocker>

#include <algorithm>
#include <chrono>

static qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ZBackgroundThread::ZBackgroundThread(unsigned int intervalMs, bool start)
    : interval(intervalMs)
{
    if (start) {
        QMutexLocker locker(&lifeMutex);
        startThread();
    }
}

ZBackgroundThread::~ZBackgroundThread()
{
    stopWorking();
    wait();
    loopEnded.load(std::memory_order_acquire);
}

// Called with lifeMutex held and the loop known to be ended or ending.
void ZBackgroundThread::startThread()
{
    wait();
    running = true;
    QThread::start(QThread::InheritPriority);
}

void ZBackgroundThread::startWorking()
{
    QMutexLocker locker(&lifeMutex);
    working = true;
    if (!running)
        startThread();
}

void ZBackgroundThread::stopWorking()
{
    working = false;
}

void ZBackgroundThread::restart()
{
    rearmRequested = true;
}

void ZBackgroundThread::trigger()
{
    triggerRequested = true;
}

void ZBackgroundThread::setSleep(unsigned int ms)
{
    interval = ms;
}

void ZBackgroundThread::setSmallSleep(unsigned int ms)
{
    smallSleep = std::max(1u, std::min(ms, interval.load()));
}

bool ZBackgroundThread::isWorking() const
{
    return working;
}

bool ZBackgroundThread::isRunning() const
{
    return running;
}

bool ZBackgroundThread::isCurrentlyProcessing() const
{
    return processing;
}

unsigned int ZBackgroundThread::getCount() const
{
    return count;
}

unsigned int ZBackgroundThread::getInterval() const
{
    return interval;
}

unsigned int ZBackgroundThread::getSmallSleep() const
{
    return smallSleep;
}

bool ZBackgroundThread::continueOrLeave()
{
    if (working)
        return true;
    QMutexLocker locker(&lifeMutex);
    if (working)
        return true;
    running = false;
    processing = false;
    return false;
}

bool ZBackgroundThread::isDue(qint64 now)
{
    if (rearmRequested.exchange(false))
        lastTime = now;
    return triggerRequested.exchange(false) || now - lastTime >= static_cast<qint64>(interval.load());
}

void ZBackgroundThread::run()
{
    lastTime = monotonicMs(); // the first doWork() comes one interval after the loop starts
    while (continueOrLeave()) {
        const qint64 now = monotonicMs();
        if (isDue(now)) {
            lastTime = now;
            processing = true;
            emit doWork();
            ++count;
            processing = false;
        }
        if (interval != 0)
            msleep(smallSleep);
    }
    loopEnded.store(true, std::memory_order_release);
}
