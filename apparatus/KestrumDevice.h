#pragma once

#include "ClassicKestrumCodec.h"
#include "ConnectionHelper.h"
#include "KestrumBaseDevice.h"

#include <QPointer>

#include <mutex>
#include <optional>

class Clock;
class KestrumDoor;
class QSerialPort;
class QTimer;

// The classic chamber: a board without text firmware that is sent, every 50 ms, one binary
// frame holding the whole output state. Stimuli are kept here as timed channels and turned into
// that state by the work step; the chamber is identified by its serial number.
class KestrumDevice : public KestrumBaseDevice
{
    Q_OBJECT
public:
    static constexpr int workStepMs = 50;
    static constexpr int serialNumberRetryMs = 2000;
    static constexpr int serialNumberTries = 3;
    static constexpr int flushTimeoutMs = 200;
    // Read errors in a row, with nothing read between them, that mark a line as hung up: Qt
    // reports a hung-up line as a read error at every turn of the event loop.
    static constexpr int readErrorsOfALostPort = 3;

    explicit KestrumDevice(QSerialPort* port, QObject* parent = nullptr);
    ~KestrumDevice() override;

    static QByteArray encodeFrame(const QByteArray& payload);
    // The framed serial-number request; also what the port overseer sends to find the chamber.
    static QByteArray serialNumberRequest();

    // Sends 1 to 8 raw data bytes; anything else is refused with a console message.
    bool sendCommand(const QByteArray& data);
    // The door unit must live in the chamber's thread.
    void setDoor(KestrumDoor* door);
    QList<QSerialPort*> serialPorts() const override;

    // Read in the chamber's own thread only.
    bool hasUserData() const;
    QByteArray userData() const;
    ClassicOutputState outputs() const;
    // Where stimulus times are read; set before the chamber is shared with other threads.
    void setClock(Clock* clock);

public slots:
    bool hasDoor() const override;
    bool doorAttached() const override;

    void onSerialNumberTimer();
    void onSerialPortData();
    void threadWork();

signals:
    void stimAction(bool start, KestrumBaseDevice::KestrumAction action, KestrumBaseDevice::KestrumSide side);
    void notResponding();
    void userDataFetched();

protected:
    void applyStart() override;
    bool applyOpenDevicePort() override;
    void applyShutdown() override;
    void applyCloseDevice() override;
    void applyWriteSerialNumber(const QString& serialNumber) override;
    void applyDispose() override;
    void applyAllOff() override;
    void applyCircuit(double milliamperes, int durationMs) override;
    void applyLightLevels(int leftPercent, int rightPercent, int durationMs) override;
    void applySound(KestrumBaseDevice::KestrumSide side, int toneHz, int durationMs) override;
    void applyDoorOpen(bool open) override;

private:
    // A stimulus that lasts a duration measured on the monotonic clock; a duration of 0 or
    // less ends it at the first work step.
    struct TimedChannel
    {
        bool active = false;
        qint64 startedAt = 0;
        int durationMs = 0;
        KestrumBaseDevice::KestrumSide side = KestrumBaseDevice::Both;

        bool hasEnded(qint64 now) const { return durationMs <= 0 || now - startedAt >= durationMs; }
    };

    void onSerialError(int error);
    bool isLostPortError(int error);
    void handleFrame(const QByteArray& frame);
    void acceptSerialNumber(const QString& number);
    void requestSerialNumber();
    void applyDoor(KestrumDoor* door);
    void stepLight(qint64 now);
    void stepSound(qint64 now);
    void stepGrid(qint64 now);
    void sendState();
    bool writeFrame(const QByteArray& payload);
    void stopTimers();
    void clearOutputs();
    enum class PortFate { Close, Release };
    // Everything off, sent and flushed before the port is let go: the chamber must never keep
    // a grid on after we stop talking to it.
    void switchOffAndLetGo(PortFate fate);
    // Announces the end of running stimuli and opens the door before the final frame.
    void shutDown(PortFate fate);
    QSerialPort* takePort();
    qint64 now() const;

    bool m_userDataReceived = false;
    QByteArray m_userData;
    std::optional<bool> m_lastDoorOpen;
    int m_serialNumberTriesLeft = serialNumberTries;
    int m_readErrorsInARow = 0;
    QSerialPort* m_port = nullptr;
    TimedChannel m_sound;
    quint16 m_soundTone = 0;
    TimedChannel m_light;
    quint8 m_lightLeft = 0;
    quint8 m_lightRight = 0;
    ClassicOutputState m_outputs;
    std::optional<qint64> m_gridOffAt;
    // A grid renewed since the last work step is carried by the next frame even when its
    // duration is shorter than a step, so a stimulus renewed on every camera frame stays on.
    bool m_gridRenewedSinceStep = false;
    QTimer* m_serialNumberTimer = nullptr;
    QTimer* m_workTimer = nullptr;
    // Changed in the chamber's thread; locked there and where other threads ask for the door.
    mutable std::mutex m_doorMutex;
    QPointer<KestrumDoor> m_door;
    ClassicFrameDecoder m_decoder;
    ConnectionHelper m_portConnections;
    Clock* m_clock = nullptr;
};
