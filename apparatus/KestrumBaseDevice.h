#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>

// A device with a serial number, a version and a connection status.
//
// Stimulus calls may come from an apparatus's detector thread while the device's timers and
// port live in the user-interface thread. Every public stimulus entry point therefore goes
// through runInDeviceThread(): from a foreign thread the call is queued into the device's
// thread; from the device's own thread it runs at once, but only after every call queued
// before it, so commands keep the order in which they were issued whoever issued them.
// Implementations override the protected apply* functions, which always run in the device's
// thread.
class BaseDevice : public QObject
{
    Q_OBJECT
public:
    enum StatusConnect { Connected = 0, Connecting = 1, NotConnected = 2 };
    Q_ENUM(StatusConnect)

    explicit BaseDevice(QObject* parent = nullptr);

    StatusConnect statusConnect() const;

public slots:
    virtual QString serialNumber() const;
    virtual QString version() const;
    void allOff();
    void setCircuit(double milliamperes, int durationMs);
    virtual void start() = 0;
    virtual bool openDevicePort() = 0;
    virtual void shutdown() = 0;
    virtual void closeDevice() = 0;
    virtual void writeSerialNumber(const QString& serialNumber) = 0;

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

    void runInDeviceThread(std::function<void()> call);
    // Runs the calls other threads queued so far; shutdown paths use it so that nothing a
    // detector issued before the stop can reach the port after the final "off".
    void runPendingCalls();

    QString m_serialNumber;
    QString m_version;

private:
    void runCall(const std::function<void()>& call);

    StatusConnect m_status = NotConnected;
    QMutex m_pendingMutex;
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
    virtual bool hasDoor() const = 0;
    virtual bool doorAttached() const = 0;
    virtual void dispose() = 0;
    virtual QString portName() const = 0;

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
};

using KestrumSide = KestrumBaseDevice::KestrumSide;
using KestrumSideness = KestrumBaseDevice::KestrumSideness;
using KestrumAction = KestrumBaseDevice::KestrumAction;
