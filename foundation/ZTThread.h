#pragma once

#include "UnstoppedThreadCheck.h"

#include <QString>
#include <QThread>

#include <atomic>

// A thread whose loop calls process() pass after pass while processing is on, sleeping
// between passes and emitting idle() after each. The flags are atomics: the owner writes them,
// the loop reads them between passes, so a stop takes effect after at most one pass.
//
// A subclass must call stopAndWait() in its own destructor: once the subclass part is gone the
// loop could otherwise still be inside its process(). Debug builds stop the program, naming the
// thread, when the loop still runs as the base is destroyed.
class ZTThread : public QThread
{
    Q_OBJECT

public:
    explicit ZTThread(QObject* parent = nullptr);
    ~ZTThread() override;

    // After finish(), waits for the old loop to end before starting a new one.
    void init();
    void initAndStart();
    // Runs endwork() in the caller's thread, then lets the loop end after its current pass.
    void finish();
    // finish() and wait for the loop to end.
    void stopAndWait();

    void startProcessing();
    void stopProcessing();
    void setIsProcessing(bool on);

    bool isProcessing() const;
    bool isWorking() const;
    bool isCurrentlyProcessing() const;

    void setPauseAfterWork(bool pause);
    void setWorkSleepMs(int ms);
    void setIdleSleepMs(int ms);
    void setName(const QString& name);
    QString getName() const;

public slots:
    // Called once at the start of the loop, in the worker thread.
    virtual void startwork();
    // One unit of work.
    virtual void process() = 0;
    // Called by finish(), in the caller's thread.
    virtual void endwork();

signals:
    void idle();

protected:
    void run() override;
    // Lets the loop end after the current pass without endwork(): for a subclass whose loop
    // decides by itself that its work is done, from inside process().
    void endLoop();

private:
    void processEventsFor(int ms);

    std::atomic<bool> pauseAfterWork{true};
    QString name;
    std::atomic<int> workSleepMs{10};
    std::atomic<int> idleSleepMs{100};
    std::atomic<bool> processing{false};
    std::atomic<bool> running{false};
    std::atomic<bool> currentlyProcessing{false};
    // Written last by the loop and read by stopAndWait() and the destructor after wait(): Qt's
    // wait is invisible to ThreadSanitizer, this hand-over is not.
    std::atomic<bool> loopEnded{false};
    UnstoppedThreadCheck stopCheck;
};
