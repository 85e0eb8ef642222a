#include "ChildScenario.h"
#include "Patience.h"
#include "SyncInvoke.h"
#include "UpdateTimer.h"
#include "ZBackgroundThread.h"
#include "ZTThread.h"
#include "ZTimer.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {
QMutex debugMutex;
QStringList debugLines;

void collectDebugOutput(QtMsgType, const QMessageLogContext&, const QString& message)
{
    QMutexLocker locker(&debugMutex);
    debugLines.append(message);
}
} // namespace

class CountingThread : public ZTThread
{
    Q_OBJECT
public:
    std::atomic<int> passes{0};
    std::atomic<QThread*> startworkThread{nullptr};
    QThread* endworkThread = nullptr;
    QSemaphore* gate = nullptr; // when set, every pass waits for one release

    ~CountingThread() override { stopAndWait(); }

protected:
    void startwork() override { startworkThread = QThread::currentThread(); }
    void process() override
    {
        if (gate)
            gate->acquire();
        ++passes;
    }
    void endwork() override { endworkThread = QThread::currentThread(); }
};

// Stays in its thread a while after its loop has ended, as every thread does while it winds up,
// until it is told to work again or the while is over.
class LingeringThread : public CountingThread
{
    Q_OBJECT
public:
    QSemaphore loopEnded;

    // Stops before this class's part goes: its loop still calls this class's overrides.
    ~LingeringThread() override { stopAndWait(); }

protected:
    void run() override
    {
        ZTThread::run();
        loopEnded.release();
        const QDeadlineTimer lingering(200);
        while (!isWorking() && !lingering.hasExpired())
            QThread::yieldCurrentThread();
    }
};

std::atomic<bool> forgetfulThreadEntered{false};

// Leaves stopping to the base's destructor, which debug builds refuse.
class ForgetfulThread : public ZTThread
{
    Q_OBJECT
protected:
    void process() override { enterAndBlockForGood(forgetfulThreadEntered); }
};

#if defined(__SANITIZE_THREAD__)
constexpr bool threadSanitizerBuild = true;
#elif defined(__has_feature)
constexpr bool threadSanitizerBuild = __has_feature(thread_sanitizer);
#else
constexpr bool threadSanitizerBuild = false;
#endif

int unguardedCount = 0;

Q_NEVER_INLINE void bumpUnguarded()
{
    ++unguardedCount;
}

// Calls queued into a worker thread and the main thread both add to one plain counter, with
// nothing to order them: a race of our own, which the suite's ThreadSanitizer settings must
// still report however much of Qt's own work they excuse. The main thread adds once more after
// the worker's calls have run: where the worker only comes to them after the main thread's
// (a late start on a busy machine), ThreadSanitizer can let the race pass, but never one where
// the main thread's access comes last. The flag is relaxed so that it orders nothing.
int raceOnPurpose()
{
    QThread worker;
    QObject target;
    target.moveToThread(&worker);
    worker.start();
    for (int i = 0; i < 200; ++i) {
        QMetaObject::invokeMethod(&target, bumpUnguarded, Qt::QueuedConnection);
        bumpUnguarded();
    }
    std::atomic<bool> workerCallsRun = false;
    QMetaObject::invokeMethod(
        &target, [&workerCallsRun] { workerCallsRun.store(true, std::memory_order_relaxed); }, Qt::QueuedConnection);
    while (!workerCallsRun.load(std::memory_order_relaxed))
        QThread::yieldCurrentThread();
    bumpUnguarded();
    QMetaObject::invokeMethod(
        &target, [&worker] { worker.quit(); }, Qt::QueuedConnection);
    worker.wait();
    return 0;
}

// The child scenarios: destroys a thread while its loop runs, the right way or by forgetting to
// stop it; or races.
int runScenario(const QString& scenario)
{
    if (scenario == QLatin1String("race"))
        return raceOnPurpose();
    if (scenario == QLatin1String("stops")) {
        CountingThread thread;
        thread.setWorkSleepMs(0);
        thread.initAndStart();
        while (thread.passes == 0)
            QThread::yieldCurrentThread();
        return 0;
    }
    auto* thread = new ForgetfulThread;
    thread->setName(QStringLiteral("recorder"));
    thread->initAndStart();
    awaitEntered(forgetfulThreadEntered);
    delete thread;
    return 0;
}

// Counts signals in the test's thread, where they arrive queued from the workers.
class Receiver : public QObject
{
    Q_OBJECT
public:
    int received = 0;
    QElapsedTimer clock;
    QList<qint64> times;
    Receiver() { clock.start(); }
public slots:
    void onSignal()
    {
        ++received;
        times.append(clock.elapsed());
    }
};

class TestThreads : public QObject
{
    Q_OBJECT

private slots:
    // ZTThread

    void processesPassAfterPassAndIdles()
    {
        CountingThread thread;
        Receiver idles;
        connect(&thread, &ZTThread::idle, &idles, &Receiver::onSignal);
        thread.setWorkSleepMs(1);
        thread.initAndStart();
        QVERIFY(thread.isWorking());
        QVERIFY(thread.isProcessing());
        QTRY_VERIFY_WITH_TIMEOUT(thread.passes >= 3, generous);
        QTRY_VERIFY_WITH_TIMEOUT(idles.received >= 3, generous);
        QCOMPARE(thread.startworkThread.load(), static_cast<QThread*>(&thread));
    }

    void stoppedProcessingOnlyIdles()
    {
        CountingThread thread;
        Receiver idles;
        connect(&thread, &ZTThread::idle, &idles, &Receiver::onSignal);
        thread.setIdleSleepMs(1);
        thread.init();
        QTRY_VERIFY_WITH_TIMEOUT(idles.received >= 3, generous);
        QCOMPARE(thread.passes.load(), 0);

        thread.startProcessing();
        QTRY_VERIFY_WITH_TIMEOUT(thread.passes >= 1, generous);
        thread.setIsProcessing(false);
        QVERIFY(!thread.isProcessing());
    }

    void currentlyProcessingDuringAPass()
    {
        QSemaphore gate;
        CountingThread thread;
        thread.gate = &gate;
        thread.initAndStart();
        QTRY_VERIFY_WITH_TIMEOUT(thread.isCurrentlyProcessing(), generous);
        thread.stopProcessing();
        gate.release();
        QTRY_VERIFY_WITH_TIMEOUT(!thread.isCurrentlyProcessing(), generous);
        QCOMPARE(thread.passes.load(), 1);
    }

    void finishRunsEndworkInTheCallersThreadAndEndsTheLoop()
    {
        CountingThread thread;
        thread.initAndStart();
        QTRY_VERIFY_WITH_TIMEOUT(thread.passes >= 1, generous);
        thread.finish();
        QCOMPARE(thread.endworkThread, QThread::currentThread());
        QVERIFY(!thread.isWorking());
        QVERIFY(thread.wait(generous));
    }

    // A start right after a finish, while the old loop is still winding up, runs a new loop.
    void initRightAfterFinishStartsTheLoopAgain()
    {
        LingeringThread thread;
        thread.setWorkSleepMs(0);
        thread.initAndStart();
        QTRY_VERIFY_WITH_TIMEOUT(thread.passes >= 1, generous);
        thread.finish();
        thread.loopEnded.acquire();
        thread.init();
        const int before = thread.passes;
        QTRY_VERIFY_WITH_TIMEOUT(thread.passes > before, generous);
        QVERIFY(thread.isWorking());
    }

    void startworkRunsEvenWhenTheLoopWasNeverSwitchedOn()
    {
        CountingThread thread;
        thread.start();
        QVERIFY(thread.wait(generous));
        QCOMPARE(thread.startworkThread.load(), static_cast<QThread*>(&thread));
        QCOMPARE(thread.passes.load(), 0);
    }

    void destroyingARunningThreadStopsAndWaitsForIt_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("fatalMessage");
        QTest::newRow("subclass stops") << QStringLiteral("stops") << QString();
        QTest::newRow("subclass forgets")
            << QStringLiteral("forgets")
            << QStringLiteral("The thread ForgetfulThread \"recorder\" was destroyed while its loop still ran: the "
                              "destructor of ForgetfulThread must call stopAndWait()");
    }

    void destroyingARunningThreadStopsAndWaitsForIt()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, fatalMessage);
        expectChildEnding(scenario, fatalMessage);
    }

    void aRaceOfOurOwnStillFailsTheThreadSanitizerRun()
    {
        if (!threadSanitizerBuild)
            QSKIP("Only a ThreadSanitizer build sees races");
        const ChildOutcome outcome = runChildScenario(QStringLiteral("race"));
        QVERIFY2(outcome.errorOutput.contains(QStringLiteral("ThreadSanitizer: data race"))
                     && outcome.errorOutput.contains(QStringLiteral("bumpUnguarded")),
                 qPrintable(outcome.errorOutput));
        QVERIFY(outcome.crashed || outcome.exitCode != 0);
    }

    // ZBackgroundThread

    void startedThreadDoesNothingUntilStartWorking()
    {
        ZBackgroundThread thread(1, true);
        Receiver work;
        connect(&thread, &ZBackgroundThread::doWork, &work, &Receiver::onSignal);
        QVERIFY(thread.wait(generous)); // the first, empty run ends by itself
        QVERIFY(!thread.isRunning());
        QCOMPARE(thread.getCount(), 0u);

        thread.startWorking();
        QVERIFY(thread.isWorking());
        QTRY_VERIFY_WITH_TIMEOUT(work.received >= 2, generous);
    }

    void startWorkingRightAfterConstructionNeverGetsLost()
    {
        for (int i = 0; i < 50; ++i) {
            ZBackgroundThread thread(1, true);
            thread.startWorking();
            QTRY_VERIFY_WITH_TIMEOUT(thread.getCount() >= 1, generous);
        }
    }

    void stopWorkingEndsTheLoopAndItCanStartAgain()
    {
        ZBackgroundThread thread(1, false);
        thread.startWorking();
        QTRY_VERIFY_WITH_TIMEOUT(thread.getCount() >= 1, generous);
        thread.stopWorking();
        QVERIFY(thread.wait(generous));
        QVERIFY(!thread.isRunning());
        QVERIFY(!thread.isCurrentlyProcessing());
        const unsigned int countAfterStop = thread.getCount();

        thread.startWorking();
        QTRY_VERIFY_WITH_TIMEOUT(thread.getCount() > countAfterStop, generous);
    }

    void triggerEmitsAtOnce()
    {
        ZBackgroundThread thread(3600000, false);
        Receiver work;
        connect(&thread, &ZBackgroundThread::doWork, &work, &Receiver::onSignal);
        thread.startWorking();
        thread.trigger();
        QTRY_COMPARE_WITH_TIMEOUT(work.received, 1, generous);
        thread.trigger();
        QTRY_COMPARE_WITH_TIMEOUT(work.received, 2, generous);
    }

    void emissionsKeepTheIntervalAndRestartPostponesByAFullOne()
    {
        const unsigned int interval = 150;
        ZBackgroundThread thread(interval, false);
        Receiver work;
        connect(&thread, &ZBackgroundThread::doWork, &work, &Receiver::onSignal);
        QElapsedTimer sinceStart;
        sinceStart.start();
        thread.startWorking();
        QTRY_VERIFY_WITH_TIMEOUT(work.received >= 3, generous);
        QVERIFY(sinceStart.elapsed() >= 3 * interval);

        QElapsedTimer sinceRestart;
        const int before = work.received;
        sinceRestart.start();
        thread.restart();
        QTRY_VERIFY_WITH_TIMEOUT(work.received > before + 1, generous);
        // The first emission after restart() may already have been queued; the next cannot
        // come before a full interval has passed since restart().
        QVERIFY(sinceRestart.elapsed() >= interval);
    }

    void smallSleepIsClampedIntoOneToInterval()
    {
        ZBackgroundThread thread(20, false);
        thread.setSmallSleep(0);
        QCOMPARE(thread.getSmallSleep(), 1u);
        thread.setSmallSleep(50);
        QCOMPARE(thread.getSmallSleep(), 20u);
        thread.setSleep(100);
        QCOMPARE(thread.getInterval(), 100u);
        thread.setSmallSleep(50);
        QCOMPARE(thread.getSmallSleep(), 50u);
    }

    void destroyingAWorkingBackgroundThreadStopsIt()
    {
        auto thread = std::make_unique<ZBackgroundThread>(0, false);
        thread->startWorking();
        QTRY_VERIFY_WITH_TIMEOUT(thread->getCount() >= 1, generous);
        thread.reset();
    }

    // UpdateTimer

    void burstGivesOneUpdate()
    {
        UpdateTimer timer(10, 4, nullptr);
        QSignalSpy spy(&timer, &UpdateTimer::update);
        for (int i = 0; i < 5; ++i)
            timer.start();
        QVERIFY(spy.wait(generous));
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 1);
        QVERIFY(!timer.isPending());
    }

    void postponesAtMostMaxUpdatesMinusOneTimes()
    {
        UpdateTimer timer(200, 4, nullptr);
        auto* internal = timer.findChild<QTimer*>();
        QVERIFY(internal);
        for (int i = 0; i < 3; ++i)
            timer.start();
        QTRY_VERIFY_WITH_TIMEOUT(internal->remainingTime() < 150, generous);
        timer.start(); // the fourth request leaves the pending update where it is
        QVERIFY(internal->remainingTime() < 150);

        timer.setMaxUpdates(10);
        timer.start();
        QVERIFY(internal->remainingTime() > 150);
    }

    void anyLimitStillDeliversTheUpdate_data()
    {
        QTest::addColumn<int>("maxUpdates");
        QTest::newRow("0") << 0;
        QTest::newRow("1") << 1;
        QTest::newRow("4") << 4;
    }

    void anyLimitStillDeliversTheUpdate()
    {
        QFETCH(int, maxUpdates);
        UpdateTimer timer(5, static_cast<uchar>(maxUpdates), nullptr);
        QSignalSpy spy(&timer, &UpdateTimer::update);
        for (int burst = 1; burst <= 3; ++burst) {
            timer.start();
            QVERIFY(timer.isPending());
            QTRY_COMPARE_WITH_TIMEOUT(spy.count(), burst, generous);
        }
    }

    void manyRequestsNeverStallTheTimer()
    {
        UpdateTimer timer(5, 4, nullptr);
        QSignalSpy spy(&timer, &UpdateTimer::update);
        for (int i = 0; i < 300; ++i)
            timer.start();
        QVERIFY(spy.wait(generous));
        timer.start();
        QVERIFY(spy.wait(generous));
    }

    void cancelDropsThePendingUpdateAndResetsTheCount()
    {
        UpdateTimer timer(200, 3, nullptr);
        auto* internal = timer.findChild<QTimer*>();
        QSignalSpy spy(&timer, &UpdateTimer::update);
        for (int i = 0; i < 3; ++i)
            timer.start();
        timer.cancel();
        QVERIFY(!timer.isPending());

        timer.start();
        QTRY_VERIFY_WITH_TIMEOUT(internal->remainingTime() < 150, generous);
        timer.start(); // a fresh count: this request postpones again
        QVERIFY(internal->remainingTime() > 150);
        QVERIFY(spy.wait(generous));
        QCOMPARE(spy.count(), 1);
    }

    // The timer's firing reaches the update queued: a cancel in between still drops the update.
    void cancelDropsAnUpdateWhoseTimerHasFired()
    {
        UpdateTimer timer(1, 4, nullptr);
        auto* internal = timer.findChild<QTimer*>();
        QSignalSpy updates(&timer, &UpdateTimer::update);
        QSignalSpy fired(internal, &QTimer::timeout);
        const auto cancelling = connect(internal, &QTimer::timeout, &timer, &UpdateTimer::cancel);
        timer.start();
        QVERIFY(fired.wait(generous));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(updates.count(), 0);

        disconnect(cancelling);
        timer.start();
        QVERIFY(updates.wait(generous));
        QCOMPARE(updates.count(), 1);
    }

    void newTimeoutKeepsAPendingUpdate()
    {
        UpdateTimer timer(250, 4, nullptr);
        QSignalSpy spy(&timer, &UpdateTimer::update);
        timer.start();
        timer.setTimeout(5);
        QCOMPARE(timer.getTimeout(), uchar(5));
        QVERIFY(timer.isPending());
        QVERIFY(spy.wait(generous));
    }

    void carriesUserData()
    {
        QObject object;
        UpdateTimer timer(10, 4, nullptr);
        timer.setInfoValue(42);
        timer.setInfoObject(&object);
        QCOMPARE(timer.getInfoValue(), 42);
        QCOMPARE(timer.getInfoObject(), &object);
    }

    // ZTimer

    void zTimerRepeatsAndReportsStopAndDestruction()
    {
        qInstallMessageHandler(collectDebugOutput);
        {
            ZTimer timer(nullptr);
            QSignalSpy spy(&timer, &QTimer::timeout);
            timer.start(1);
            QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 2, generous);
            timer.stop();
            QVERIFY(!timer.isActive());
            timer.setObjectName("watchdog");
            timer.start();
            timer.stop();
        }
        qInstallMessageHandler(nullptr);
        QMutexLocker locker(&debugMutex);
        QCOMPARE(debugLines, (QStringList{"watchdog stopped", "Destroy ztimer"}));
    }

    void syncInvokeCopiesAndMoves()
    {
        SyncInvoke first;
        QVERIFY(!first.flag);
        first.value = 7;
        first.flag = true;
        SyncInvoke copy = first;
        SyncInvoke moved = std::move(first);
        QCOMPARE(copy.value.toInt(), 7);
        QVERIFY(moved.flag);
    }
};

int main(int argc, char** argv)
{
    return testMainWithChildScenarios<TestThreads>(argc, argv, runScenario);
}

#include "tst_threads.moc"
