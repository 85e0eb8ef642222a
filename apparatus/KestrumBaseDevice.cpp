#include "KestrumBaseDevice.h"

#include <QMetaType>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <memory>

namespace {

// Lets a caller wait for a call it handed to the device's thread. Standard primitives, so that
// ThreadSanitizer sees the hand-over of what the call produced.
class CallDone
{
public:
    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
    }

    void wait()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_done; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
};

} // namespace

BaseDevice::BaseDevice(QObject* parent)
    : QObject(parent)
{
}

BaseDevice::StatusConnect BaseDevice::statusConnect() const
{
    return m_status.load();
}

QList<QSerialPort*> BaseDevice::serialPorts() const
{
    return {};
}

QString BaseDevice::serialNumber() const
{
    std::lock_guard<std::mutex> lock(m_reportedMutex);
    return m_serialNumber;
}

QString BaseDevice::version() const
{
    std::lock_guard<std::mutex> lock(m_reportedMutex);
    return m_version;
}

QString BaseDevice::portName() const
{
    std::lock_guard<std::mutex> lock(m_reportedMutex);
    return m_portName;
}

void BaseDevice::setSerialNumber(const QString& serialNumber)
{
    std::lock_guard<std::mutex> lock(m_reportedMutex);
    m_serialNumber = serialNumber;
}

void BaseDevice::setVersion(const QString& version)
{
    std::lock_guard<std::mutex> lock(m_reportedMutex);
    m_version = version;
}

void BaseDevice::setPortName(const QString& portName)
{
    std::lock_guard<std::mutex> lock(m_reportedMutex);
    m_portName = portName;
}

void BaseDevice::allOff()
{
    runInDeviceThread([this] { applyAllOff(); });
}

void BaseDevice::setCircuit(double milliamperes, int durationMs)
{
    runInDeviceThread([this, milliamperes, durationMs] { applyCircuit(milliamperes, durationMs); });
}

void BaseDevice::start()
{
    runInDeviceThread([this] { applyStart(); });
}

bool BaseDevice::openDevicePort()
{
    bool opened = false;
    runInDeviceThreadAndWait([this, &opened] { opened = applyOpenDevicePort(); });
    return opened;
}

void BaseDevice::shutdown()
{
    runInDeviceThreadAndWait([this] { applyShutdown(); });
}

void BaseDevice::closeDevice()
{
    runInDeviceThreadAndWait([this] { applyCloseDevice(); });
}

void BaseDevice::writeSerialNumber(const QString& serialNumber)
{
    runInDeviceThread([this, serialNumber] { applyWriteSerialNumber(serialNumber); });
}

void BaseDevice::invokeSlot()
{
    setCircuit(0.0, -1);
}

void BaseDevice::setStatusConnect(StatusConnect status)
{
    if (m_status.exchange(status) == status)
        return;
    if (status == Connected)
        emit connected();
    else if (status == NotConnected)
        emit disconnected();
}

void BaseDevice::runInDeviceThread(std::function<void()> call)
{
    if (QThread::currentThread() != thread()) {
        // The call travels through this queue, and the event that wakes the device is posted
        // under its lock, which runPendingCalls takes first: ThreadSanitizer sees this lock,
        // whereas Qt's own hand-over of posted events is invisible to it.
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        const bool firstPending = m_pendingCalls.empty();
        m_pendingCalls.push_back(std::move(call));
        if (firstPending)
            QMetaObject::invokeMethod(this, "runPendingCalls", Qt::QueuedConnection);
        return;
    }
    // A call made from inside another call (a timer's light-off inside a stimulus, say) belongs
    // to that call and must not overtake it by draining the queue first.
    if (!m_callRunning)
        runPendingCalls();
    runCall(call);
}

void BaseDevice::runInDeviceThreadAndWait(std::function<void()> call)
{
    if (QThread::currentThread() == thread()) {
        runInDeviceThread(std::move(call));
        return;
    }
    const auto done = std::make_shared<CallDone>();
    {
        // Fires when the last copy of the queued call is destroyed: after it ran, or when the
        // device was deleted with the call still queued, so the caller never waits for nothing.
        const std::shared_ptr<void> finishWhenGone(nullptr, [done](void*) { done->finish(); });
        runInDeviceThread([call = std::move(call), finishWhenGone] { call(); });
    }
    done->wait();
}

void BaseDevice::runPendingCalls()
{
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> lock(m_pendingMutex);
            if (m_pendingCalls.empty())
                return;
            call = std::move(m_pendingCalls.front());
            m_pendingCalls.pop_front();
        }
        runCall(call);
    }
}

void BaseDevice::runCall(const std::function<void()>& call)
{
    const bool outer = !m_callRunning;
    m_callRunning = true;
    call();
    if (outer)
        m_callRunning = false;
}

KestrumBaseDevice::KestrumBaseDevice(QObject* parent)
    : BaseDevice(parent)
{
    static const bool registered = [] {
        qRegisterMetaType<KestrumBaseDevice::KestrumSide>("KestrumSide");
        qRegisterMetaType<KestrumBaseDevice::KestrumSideness>("KestrumSideness");
        qRegisterMetaType<KestrumBaseDevice::KestrumAction>("KestrumAction");
        qRegisterMetaType<BaseDevice::StatusConnect>("StatusConnect");
        return true;
    }();
    Q_UNUSED(registered);
}

void KestrumBaseDevice::setLightLevels(int leftPercent, int rightPercent, int durationMs)
{
    runInDeviceThread(
        [this, leftPercent, rightPercent, durationMs] { applyLightLevels(leftPercent, rightPercent, durationMs); });
}

void KestrumBaseDevice::setSound(KestrumSide side, int toneHz, int durationMs)
{
    runInDeviceThread([this, side, toneHz, durationMs] { applySound(side, toneHz, durationMs); });
}

void KestrumBaseDevice::setDoorOpen(bool open)
{
    runInDeviceThread([this, open] { applyDoorOpen(open); });
}

void KestrumBaseDevice::dispose()
{
    runInDeviceThreadAndWait([this] { applyDispose(); });
}

void KestrumBaseDevice::setLight(KestrumSide side, int levelPercent, int durationMs)
{
    const int level = std::clamp(levelPercent, 0, 100);
    const int left = (side == Left || side == Both) ? level : 0;
    const int right = (side == Right || side == Both) ? level : 0;
    setLightLevels(left, right, durationMs);
}

void KestrumBaseDevice::lightOff()
{
    setLightLevels(0, 0, -1);
}

void KestrumBaseDevice::soundOff()
{
    setSound(Both, 0, -1);
}

void KestrumBaseDevice::circuitOff()
{
    setCircuit(0.0, -1);
}
