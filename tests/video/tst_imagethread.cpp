#include "ChildScenario.h"
#include "ImageThread.h"

#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

// A frame whose width tells which one it is.
QImage frame(int id)
{
    QImage image(id, 2, QImage::Format_Grayscale8);
    image.fill(uchar(id));
    return image;
}

class RecordingThread : public ZCV::ImageThread
{
public:
    ~RecordingThread() override
    {
        stop();
        wait();
    }

    QList<int> processed()
    {
        std::lock_guard lock(seenMutex);
        return seen;
    }

    // Only meaningful while the loop is not running.
    bool framePending()
    {
        std::lock_guard lock(frameMutex);
        return hasNew;
    }

    bool blocking = false;
    QSemaphore entered;
    QSemaphore proceed;

protected:
    void processImage() override
    {
        {
            std::lock_guard lock(seenMutex);
            seen.append(image.width());
        }
        if (blocking) {
            entered.release();
            proceed.acquire();
        }
    }

private:
    std::mutex seenMutex;
    QList<int> seen;
};

std::atomic<bool> slowFrameEntered{false};
std::atomic<bool> slowFrameCompleted{false};

class SlowThread : public ZCV::ImageThread
{
public:
    ~SlowThread() override
    {
        stop();
        wait();
    }

protected:
    void processImage() override
    {
        slowFrameEntered = true;
        QThread::msleep(50);
        slowFrameCompleted = true;
    }
};

std::atomic<bool> forgetfulThreadEntered{false};

// Leaves stopping to the base's destructor, which debug builds refuse.
class ForgetfulThread : public ZCV::ImageThread
{
protected:
    void processImage() override { enterAndBlockForGood(forgetfulThreadEntered); }
};

// Destroys a thread in the middle of a frame, the right way or by forgetting to stop it; the
// right way completes the frame first.
int destroyRunningThread(const QString& scenario)
{
    if (scenario == QLatin1String("stops")) {
        auto* thread = new SlowThread;
        thread->setImage(frame(5));
        thread->start(1);
        awaitEntered(slowFrameEntered);
        delete thread;
        return slowFrameCompleted ? 0 : 1;
    }
    auto* thread = new ForgetfulThread;
    thread->setObjectName(QStringLiteral("detector"));
    thread->setImage(frame(5));
    thread->start(1);
    awaitEntered(forgetfulThreadEntered);
    delete thread;
    return 0;
}

// Reads every pixel, so that a frame replaced during processing would be seen by the sanitizers.
class SummingThread : public ZCV::ImageThread
{
public:
    ~SummingThread() override
    {
        stop();
        wait();
    }

    std::atomic<int> frames{0};
    std::atomic<bool> consistent{true};

protected:
    void processImage() override
    {
        const uchar first = image.constScanLine(0)[0];
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.constScanLine(y)[x] != first)
                    consistent = false;
        ++frames;
    }
};

} // namespace

class TestImageThread : public QObject
{
    Q_OBJECT

private slots:
    void processesOnlyTheNewestFrame();
    void refusesFramesDuringProcessingAndStopsAfterTheCurrentOne();
    void destructionStopsAndWaits_data();
    void destructionStopsAndWaits();
    void handsOverFramesFromAnotherThreadWithoutRaces();
};

void TestImageThread::processesOnlyTheNewestFrame()
{
    RecordingThread thread;
    // The signal comes from the worker thread; it is counted there, as it is emitted.
    std::atomic<int> signalCount{0};
    connect(
        &thread, &ZCV::ImageThread::onProcessImage, &thread, [&] { ++signalCount; }, Qt::DirectConnection);
    thread.setImage(frame(1));
    thread.setImage(frame(2));
    thread.start(1);
    QTRY_COMPARE_WITH_TIMEOUT(signalCount.load(), 1, 10000);
    QCOMPARE(thread.processed(), QList<int>{2});

    // The camera keeps delivering; a later frame is picked up on a later pass.
    QTRY_VERIFY_WITH_TIMEOUT((thread.setImage(frame(3)), thread.processed().contains(3)), 10000);
    QCOMPARE(thread.processed().first(), 2);
    QCOMPARE(thread.processed().count(1), 0);
}

void TestImageThread::refusesFramesDuringProcessingAndStopsAfterTheCurrentOne()
{
    RecordingThread thread;
    thread.blocking = true;
    int signalCount = 0;
    connect(
        &thread, &ZCV::ImageThread::onProcessImage, &thread, [&] { ++signalCount; }, Qt::DirectConnection);
    thread.setImage(frame(1));
    thread.start(1);
    thread.entered.acquire();
    thread.setImage(frame(2)); // refused: frame 1 is being processed
    thread.stop();
    thread.proceed.release();
    QVERIFY(thread.wait(10000));
    QCOMPARE(thread.processed(), QList<int>{1});
    QCOMPARE(signalCount, 1);
    QVERIFY(!thread.framePending());

    // The finished thread can be started again and takes new frames.
    thread.blocking = false;
    thread.start(1);
    QTRY_VERIFY_WITH_TIMEOUT((thread.setImage(frame(4)), thread.processed().contains(4)), 10000);
    QCOMPARE(thread.processed().first(), 1);
    QVERIFY(!thread.processed().contains(2));
}

void TestImageThread::destructionStopsAndWaits_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("fatalMessage");
    QTest::newRow("subclass stops") << QStringLiteral("stops") << QString();
    QTest::newRow("subclass forgets")
        << QStringLiteral("forgets")
        << QStringLiteral("The thread (anonymous namespace)::ForgetfulThread \"detector\" was destroyed while its "
                          "loop still ran: the destructor of (anonymous namespace)::ForgetfulThread must call "
                          "stop() and wait()");
}

void TestImageThread::destructionStopsAndWaits()
{
    QFETCH(QString, scenario);
    QFETCH(QString, fatalMessage);
    expectChildEnding(scenario, fatalMessage);
}

void TestImageThread::handsOverFramesFromAnotherThreadWithoutRaces()
{
    SummingThread thread;
    thread.start(0);
    std::atomic<bool> delivering{true};
    std::thread camera([&] {
        for (int i = 0; delivering; ++i) {
            QImage image(64, 48, QImage::Format_Grayscale8);
            image.fill(uchar(i));
            thread.setImage(image);
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(thread.frames.load() >= 200, 30000);
    delivering = false;
    camera.join();
    thread.stop();
    QVERIFY(thread.wait(10000));
    QVERIFY(thread.consistent.load());
}

int main(int argc, char** argv)
{
    return testMainWithChildScenarios<TestImageThread>(argc, argv, destroyRunningThread);
}

#include "tst_imagethread.moc"
