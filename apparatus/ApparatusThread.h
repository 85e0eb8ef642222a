#pragma once

#include <QList>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <mutex>

class BaseDevice;
class CurlyDevice;
class QSerialPort;
class QTimer;

// The one process-wide thread in which the devices, their ports, their off-timers and their
// renewals run, so that a busy or frozen user interface never delays the end of a stimulus.
// It starts on first use and is stopped and waited for when the application object goes; the
// thread object itself is never deleted, so it is never destroyed while running.
class ApparatusThread : public QThread
{
public:
    static ApparatusThread* instance();

    // Moves a device built in the caller's thread, together with the serial ports it talks
    // through, into the apparatus thread. False, with a console message, when it cannot move:
    // it or a port has a parent, or lives in another thread than the caller's.
    static bool adopt(BaseDevice* device);
    // The same for an accessory board (door unit, startle sensor) and its port.
    static bool adopt(CurlyDevice* board);
    // Runs the work in the apparatus thread and waits for it (at once when called from there),
    // so another thread can read what lives there without touching it across threads.
    static void runAndWait(const std::function<void()>& work);

protected:
    void run() override;

private:
    ApparatusThread() = default;

    static bool adopt(QObject* device, const QList<QSerialPort*>& ports);
    static bool canMoveFromHere(const QObject* object);
    static QList<QTimer*> stopRunningTimers(QObject* device);
    static void restartInApparatusThread(QObject* device, const QList<QTimer*>& timers);
    static void stop();
    void waitUntilLooping();

    // Guards the start-up handshake and hands work over to the thread visibly.
    std::mutex m_mutex;
    std::condition_variable m_loopStarted;
    bool m_looping = false;
    // Lives in the thread while its loop runs: the target of work handed over by runAndWait.
    QObject* m_anchor = nullptr;
};
