#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

class QSerialPort;

// A device with a serial number, a version and a connection status.
//
// A device lives in one thread (the apparatus thread once ApparatusThread adopted it) while the
// user interface and the apparatuses' detector threads drive it. Every public operation
// therefore goes through runInDeviceThread(): from a foreign thread the call is queued into the
// device's thread; from the device's own thread it runs at once, but only after every call
// queued before it, so commands keep the order in which they were issued whoever issued them.
// Operations that give a result or end the device's use of its port (openDevicePort, shutdown,
// closeDevice, dispose) also wait until they have run. Implementations override the protected
// apply* functions, which always run in the device's thread.
//
// The getters (status, serial number, version, port name) read values kept for other threads
// and may be called from any thread; other state is announced through the signals. A device
// living in another thread is deleted with deleteLater(), so that its destructor, which
// switches the chamber off, runs where its port and timers live.
class BaseDevice : public QObject
{
    Q_OBJECT
public:
    enum StatusConnect { Connected = 0, Connecting = 1, NotConnected = 2 };
    Q_ENUM(StatusConnect)

    explicit BaseDevice(QObject* parent = nullptr);

    StatusConnect statusConnect() const;
    // The serial ports the device talks through; they move with it into another thread.
    virtual QList<QSerialPort*> serialPorts() const;

public slots:
    virtual QString serialNumber() const;
    virtual QString version() const;
    // Name of the port, or the device's placeholder without one.
    QString portName() const;
    void allOff();
    void setCircuit(double milliamperes, int durationMs);
    void start();
    bool openDevicePort();
    void shutdown();
    void closeDevice();
    void writeSerialNumber(const QString& serialNumber);

    // Switches the grid current off (0 mA until changed).
    void invokeSlot();
    void setStatusConnect(BaseDevice::StatusConnect status);

signals:
    void serialNumberFetched(const QString& serialNumber);
    void versionFetched(const QString& version);
    void disconnected();
    void connected();

protected:
    virtual void applyAllOff() = 0;
    virtual void applyCircuit(double milliamperes, int durationMs) = 0;
    virtual void applyStart() = 0;
    virtual bool applyOpenDevicePort() = 0;
    virtual void applyShutdown() = 0;
    virtual void applyCloseDevice() = 0;
    virtual void applyWriteSerialNumber(const QString& serialNumber) = 0;

    void runInDeviceThread(std::function<void()> call);
    // As runInDeviceThread, and returns once the call has run (or was dropped with the device).
    void runInDeviceThreadAndWait(std::function<void()> call);
    // Runs the calls other threads queued so far; shutdown paths use it so that nothing a
    // detector issued before the stop can reach the port after the final "off".
    Q_INVOKABLE void runPendingCalls();

    // The values the getters report, set from the device's thread.
    void setSerialNumber(const QString& serialNumber);
    void setVersion(const QString& version);
    void setPortName(const QString& portName);

    // Read through the getters. Written directly only while no other thread knows the device
    // (in a constructor), otherwise through the setters above.
    QString m_serialNumber;
    QString m_version;

private:
    void runCall(const std::function<void()>& call);

    mutable std::mutex m_reportedMutex;
    QString m_portName;
    std::atomic<StatusConnect> m_status = NotConnected;
    std::mutex m_pendingMutex;
    std::deque<std::function<void()>> m_pendingCalls;
    bool m_callRunning = false;
};

// The test chamber as experiments, manual controls and panels drive it.
class KestrumBaseDevice : public BaseDevice
{
    Q_OBJECT
public:
    enum KestrumSide { Left = 0, Right = 1, Both = 2 };
    Q_ENUM(KestrumSide)
    enum KestrumSideness { LeftSide = 0, RightSide = 1 };
    Q_ENUM(KestrumSideness)
    enum KestrumAction { Light = 0, Circuit = 1, Sound = 2 };
    Q_ENUM(KestrumAction)

    explicit KestrumBaseDevice(QObject* parent = nullptr);

public slots:
    void setLightLevels(int leftPercent, int rightPercent, int durationMs);
    void setSound(KestrumBaseDevice::KestrumSide side, int toneHz, int durationMs);
    void setDoorOpen(bool open);
    // Safe to call from any thread.
    virtual bool hasDoor() const = 0;
    virtual bool doorAttached() const = 0;
    void dispose();

    void setLight(KestrumBaseDevice::KestrumSide side, int levelPercent, int durationMs);
    void lightOff();
    void soundOff();
    void circuitOff();

signals:
    void doorChanged();
    void onLightOff();
    void onLightOn();
    void onSoundOn();
    void onSoundOff();
    void onCircuitOn();
    void onCircuitOff();

protected:
    virtual void applyLightLevels(int leftPercent, int rightPercent, int durationMs) = 0;
    virtual void applySound(KestrumBaseDevice::KestrumSide side, int toneHz, int durationMs) = 0;
    virtual void applyDoorOpen(bool open) = 0;
    virtual void applyDispose() = 0;
};

using KestrumSide = KestrumBaseDevice::KestrumSide;
using KestrumSideness = KestrumBaseDevice::KestrumSideness;
using KestrumAction = KestrumBaseDevice::KestrumAction;
