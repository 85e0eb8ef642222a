#pragma once

#include <QMutex>
#include <QThread>

#include <atomic>

// A thread that emits doWork() every interval milliseconds while it is working, polling a
// monotonic clock with a small sleep (a wall-clock jump must not stall or rush the work).
// doWork() is emitted in the worker thread; receivers living elsewhere get it queued.
//
// The loop is the base's own (run() is final), so stopping and waiting in the base destructor
// is enough: no code of a subclass can still be running in it once the subclass part is gone.
class ZBackgroundThread : public QThread
{
    Q_OBJECT

public:
    explicit ZBackgroundThread(unsigned int intervalMs = 1000, bool start = true);
    // Stops the loop and waits for it.
    ~ZBackgroundThread() override;

    void startWorking();
    // The loop ends after its current pass.
    void stopWorking();
    // The next doWork() comes one full interval from the next pass.
    void restart();
    // The next pass emits doWork() at once.
    void trigger();
    void setSleep(unsigned int ms);
    // Clamped into 1 .. interval.
    void setSmallSleep(unsigned int ms);

    bool isWorking() const;
    // True from the start of the thread until its loop has decided to end.
    bool isRunning() const;
    bool isCurrentlyProcessing() const;
    unsigned int getCount() const;
    unsigned int getInterval() const;
    unsigned int getSmallSleep() const;

signals:
    void doWork();

protected:
    void run() final;

private:
    void startThread();
    bool continueOrLeave();
    bool isDue(qint64 now);

    std::atomic<unsigned int> count{0};
    std::atomic<unsigned int> interval;
    std::atomic<unsigned int> smallSleep{10};
    std::atomic<bool> working{false};
    std::atomic<bool> running{false};
    std::atomic<bool> processing{false};
    std::atomic<bool> rearmRequested{false};
    std::atomic<bool> triggerRequested{false};
    qint64 lastTime = 0; // owned by the loop
    // Written last by the loop and read by the destructor after wait(): Qt's wait is invisible
    // to ThreadSanitizer, this hand-over is not.
    std::atomic<bool> loopEnded{false};

    // Makes "does the loop go on" and "must the thread be started again" one decision, so a
    // startWorking() can never meet a loop that has already read working as false but not yet
    // ended, and leave the work undone.
    QMutex lifeMutex;
};
