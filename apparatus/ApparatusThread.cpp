#include "ApparatusThread.h"

#include "CurlyDevice.h"
#include "GlobalConsole.h"
#include "KestrumBaseDevice.h"
#include "SerialPortManager.h"

#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <memory>

ApparatusThread* ApparatusThread::instance()
{
    static ApparatusThread* const apparatus = [] {
        auto* created = new ApparatusThread();
        created->setObjectName(QStringLiteral("Apparatus"));
        created->start();
        created->waitUntilLooping();
        qAddPostRoutine(stop);
        return created;
    }();
    return apparatus;
}

void ApparatusThread::stop()
{
    instance()->quit();
    instance()->wait();
}

void ApparatusThread::run()
{
    // Announced from inside the event loop: an object moved in before the loop runs is handed
    // over by Qt through a list that ThreadSanitizer, blind to Qt's locks, reports as raced.
    QObject anchor;
    QMetaObject::invokeMethod(
        &anchor,
        [this] {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_looping = true;
            }
            m_loopStarted.notify_all();
        },
        Qt::QueuedConnection);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_anchor = &anchor;
    }
    exec();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_anchor = nullptr;
}

void ApparatusThread::runAndWait(const std::function<void()>& work)
{
    ApparatusThread* const apparatus = instance();
    if (QThread::currentThread() == apparatus) {
        work();
        return;
    }
    // What the two threads share lives on the heap, owned by both: the apparatus thread never
    // writes into the caller's stack, whose frame is gone as soon as the caller sees the work done.
    struct Handover
    {
        std::mutex mutex;
        std::condition_variable wake;
        bool done = false;
    };
    const auto handover = std::make_shared<Handover>();
    // Posted under a lock the work takes first, so ThreadSanitizer sees the hand-over through
    // Qt's uninstrumented event queue; static, so the work reaches it before reading anything
    // the caller wrote.
    static std::mutex posting;
    {
        std::lock_guard<std::mutex> anchor(apparatus->m_mutex);
        if (!apparatus->m_anchor)
            return; // the loop has ended with the application: nothing lives there any more
        std::lock_guard<std::mutex> posted(posting);
        QMetaObject::invokeMethod(
            apparatus->m_anchor,
            [handover, work] {
                {
                    std::lock_guard<std::mutex> lock(posting);
                }
                work();
                std::lock_guard<std::mutex> lock(handover->mutex);
                handover->done = true;
                handover->wake.notify_all();
            },
            Qt::QueuedConnection);
    }
    std::unique_lock<std::mutex> lock(handover->mutex);
    handover->wake.wait(lock, [&] { return handover->done; });
}

void ApparatusThread::waitUntilLooping()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_loopStarted.wait(lock, [this] { return m_looping; });
}

bool ApparatusThread::adopt(BaseDevice* device)
{
    return adopt(device, device->serialPorts());
}

bool ApparatusThread::adopt(CurlyDevice* board)
{
    QList<QSerialPort*> ports;
    if (board->port())
        ports.append(board->port());
    return adopt(board, ports);
}

bool ApparatusThread::canMoveFromHere(const QObject* object)
{
    // Qt moves only parentless objects, and only from the thread they live in.
    if (!object->parent() && object->thread() == QThread::currentThread())
        return true;
    GlobalConsole::writeItem(QStringLiteral("%1 cannot be moved into the apparatus thread: it has a parent or "
                                            "lives in another thread")
                                 .arg(QString::fromLatin1(object->metaObject()->className())),
                             QStringLiteral("Error"));
    return false;
}

bool ApparatusThread::adopt(QObject* device, const QList<QSerialPort*>& ports)
{
    if (!canMoveFromHere(device)
        || !std::all_of(ports.cbegin(), ports.cend(), [](const QSerialPort* port) { return canMoveFromHere(port); }))
        return false;
    ApparatusThread* const apparatus = instance();
    const QList<QTimer*> stopped = stopRunningTimers(device);
    // Ports first: until the device follows, what a port reports reaches it queued, and moves
    // with it; this thread runs none of the device's slots meanwhile.
    for (QSerialPort* port : ports) {
        port->moveToThread(apparatus);
        SerialPortManager::instance()->portMoved(port, apparatus);
    }
    device->moveToThread(apparatus);
    restartInApparatusThread(device, stopped);
    return true;
}

// Running timers stop before the move and start again in the apparatus thread, rather than
// being handed over by Qt through locks that ThreadSanitizer cannot see.
QList<QTimer*> ApparatusThread::stopRunningTimers(QObject* device)
{
    QList<QTimer*> running = device->findChildren<QTimer*>();
    running.removeIf([](const QTimer* timer) { return !timer->isActive(); });
    for (QTimer* timer : std::as_const(running))
        timer->stop();
    return running;
}

void ApparatusThread::restartInApparatusThread(QObject* device, const QList<QTimer*>& timers)
{
    // Posted under a lock that the restart takes first, so ThreadSanitizer sees the hand-over.
    std::lock_guard<std::mutex> handOver(instance()->m_mutex);
    QMetaObject::invokeMethod(
        device,
        [timers] {
            std::lock_guard<std::mutex> lock(instance()->m_mutex);
            for (QTimer* timer : timers)
                timer->start();
        },
        Qt::QueuedConnection);
}
