#include "KestrumBaseDevice.h"

#include <QMetaType>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>

BaseDevice::BaseDevice(QObject* parent)
    : QObject(parent)
{
}

BaseDevice::StatusConnect BaseDevice::statusConnect() const
{
    return m_status;
}

QString BaseDevice::serialNumber() const
{
    return m_serialNumber;
}

QString BaseDevice::version() const
{
    return m_version;
}

void BaseDevice::allOff()
{
    runInDeviceThread([this] { applyAllOff(); });
}

void BaseDevice::setCircuit(double milliamperes, int durationMs)
{
    runInDeviceThread([this, milliamperes, durationMs] { applyCircuit(milliamperes, durationMs); });
}

void BaseDevice::invokeSlot()
{
    setCircuit(0.0, -1);
}

void BaseDevice::setStatusConnect(StatusConnect status)
{
    if (status == m_status)
        return;
    m_status = status;
    if (status == Connected)
        emit connected();
    else if (status == NotConnected)
        emit disconnected();
}

void BaseDevice::runInDeviceThread(std::function<void()> call)
{
    if (QThread::currentThread() != thread()) {
        bool firstPending = false;
        {
            QMutexLocker locker(&m_pendingMutex);
            firstPending = m_pendingCalls.empty();
            m_pendingCalls.push_back(std::move(call));
        }
        if (firstPending)
            QMetaObject::invokeMethod(
                this, [this] { runPendingCalls(); }, Qt::QueuedConnection);
        return;
    }
    // A call made from inside another call (a timer's light-off inside a stimulus, say) belongs
    // to that call and must not overtake it by draining the queue first.
    if (!m_callRunning)
        runPendingCalls();
    runCall(call);
}

void BaseDevice::runPendingCalls()
{
    for (;;) {
        std::function<void()> call;
        {
            QMutexLocker locker(&m_pendingMutex);
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
