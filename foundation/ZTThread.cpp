#include "ZTThread.h"

#include <QCoreApplication>

ZTThread::ZTThread(QObject* parent)
    : QThread(parent)
{
}

ZTThread::~ZTThread()
{
    stopCheck.verifyStopped(*this, name, "stopAndWait()");
    running = false;
    wait();
    loopEnded.load(std::memory_order_acquire);
}

void ZTThread::init()
{
    // A loop told to end may still be winding up; starting the thread again then does nothing,
    // and the new start would be lost with the old loop. The new loop begins once the old is over.
    if (!running)
        wait();
    stopCheck.noteStart(*this);
    loopEnded = false;
    running = true;
    start(QThread::InheritPriority);
}

void ZTThread::initAndStart()
{
    init();
    processing = true;
}

void ZTThread::finish()
{
    endwork();
    running = false;
}

void ZTThread::stopAndWait()
{
    finish();
    wait();
    // Before the subclass part goes: the loop's last calls into it happened before this.
    loopEnded.load(std::memory_order_acquire);
}

void ZTThread::endLoop()
{
    running = false;
}

void ZTThread::startProcessing()
{
    processing = true;
}

void ZTThread::stopProcessing()
{
    processing = false;
}

void ZTThread::setIsProcessing(bool on)
{
    processing = on;
}

bool ZTThread::isProcessing() const
{
    return processing;
}

bool ZTThread::isWorking() const
{
    return running;
}

bool ZTThread::isCurrentlyProcessing() const
{
    return currentlyProcessing;
}

void ZTThread::setPauseAfterWork(bool pause)
{
    pauseAfterWork = pause;
}

void ZTThread::setWorkSleepMs(int ms)
{
    workSleepMs = ms;
}

void ZTThread::setIdleSleepMs(int ms)
{
    idleSleepMs = ms;
}

void ZTThread::setName(const QString& text)
{
    name = text;
}

QString ZTThread::getName() const
{
    return name;
}

void ZTThread::startwork()
{
}

void ZTThread::endwork()
{
}

void ZTThread::processEventsFor(int ms)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
}

// The running flag is tested between passes, so a pass once begun always completes.
void ZTThread::run()
{
    startwork();
    while (running) {
        if (processing) {
            currentlyProcessing = true;
            process();
            currentlyProcessing = false;
            const int sleepMs = workSleepMs;
            if (pauseAfterWork && sleepMs != 0) {
                msleep(static_cast<unsigned long>(sleepMs));
                processEventsFor(sleepMs);
            }
        } else {
            msleep(static_cast<unsigned long>(idleSleepMs.load()));
        }
        processEventsFor(workSleepMs);
        emit idle();
    }
    loopEnded.store(true, std::memory_order_release);
}
