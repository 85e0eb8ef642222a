#include "UpdateTimer.h"

#include <QTimer>

UpdateTimer::UpdateTimer(uchar intervalMs, uchar maxUpdates, QObject* parent)
    : QObject(parent)
    , maxUpdates(maxUpdates)
    , timeout(intervalMs)
{
    initialise();
}

void UpdateTimer::initialise()
{
    const bool pending = isPending();
    if (!timer) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &UpdateTimer::timerFired, Qt::QueuedConnection);
    }
    timer->stop();
    timer->setInterval(timeout);
    if (pending)
        timer->start();
}

void UpdateTimer::setTimeout(uchar ms)
{
    timeout = ms;
    initialise();
}

void UpdateTimer::setMaxUpdates(uchar value)
{
    maxUpdates = value;
}

uchar UpdateTimer::getTimeout() const
{
    return timeout;
}

uchar UpdateTimer::getMaxUpdates() const
{
    return maxUpdates;
}

bool UpdateTimer::isPending() const
{
    return timer && timer->isActive();
}

void UpdateTimer::setInfoValue(int value)
{
    infoValue = value;
}

int UpdateTimer::getInfoValue() const
{
    return infoValue;
}

void UpdateTimer::setInfoObject(QObject* object)
{
    infoObject = object;
}

QObject* UpdateTimer::getInfoObject() const
{
    return infoObject;
}

void UpdateTimer::start()
{
    if (count < 255)
        ++count;
    if (count >= maxUpdates && timer->isActive())
        return;
    restartTimer();
}

void UpdateTimer::cancel()
{
    timer->stop();
    due = false;
    count = 0;
}

void UpdateTimer::timerTimeout()
{
    timer->stop();
    due = false;
    count = 0;
    emit update();
}

// The firing arrives queued: an update cancelled, or postponed again, since then is not due.
void UpdateTimer::timerFired()
{
    if (due && !timer->isActive())
        timerTimeout();
}

void UpdateTimer::restartTimer()
{
    timer->stop();
    timer->start();
    due = true;
}
