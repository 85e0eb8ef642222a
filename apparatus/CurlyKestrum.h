#pragma once

#include "ConnectionHelper.h"
#include "KestrumBaseDevice.h"

#include <QPointer>

#include <optional>

class Clock;
class CurlyKestrumDevice;
class QSerialPort;
class QTimer;

// The current chamber: apparatus operations become the controller board's text commands, and
// timed stimuli are switched off by a 50 ms step.
//
// A command goes out only when its values change; a repeated stimulus still re-arms its
// off-time. A duration of 0 or less means "until changed" and disarms an off-time set before.
class CurlyKestrum : public KestrumBaseDevice
{
    Q_OBJECT
public:
    static constexpr int StimulusStepMs = 50;
    static constexpr int MaxToneHz = 4000;
    static constexpr int KeepAliveIntervalMs = 1000;

    explicit CurlyKestrum(QSerialPort* port, QObject* parent = nullptr);
    ~CurlyKestrum() override;

    // The board lives in the chamber's thread; only that thread may use it.
    CurlyKestrumDevice* curlyDevice() const;
    QList<QSerialPort*> serialPorts() const override;

    // Where the off-times are read; set before the chamber is shared with other threads.
    void setClock(Clock* clock);

    // The text a command is sent as, e.g. "grid=1.5", "lightSide=30,0", "sound=B,4000".
    static QString gridCommand(double milliamperes);
    static QString lightCommand(int leftPercent, int rightPercent);
    static QString soundCommand(KestrumSide side, int toneHz);

public slots:
    bool hasDoor() const override;
    bool doorAttached() const override;

    // Switches off what has outlived its duration.
    void stimulusTimerStep();

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
    void applySound(KestrumSide side, int toneHz, int durationMs) override;
    void applyDoorOpen(bool open) override;

private:
    void onBoardConnectedChanged(bool connected);
    void sendCommand(const QString& command);
    qint64 offTimeFor(int durationMs) const;
    // Sends the final "off" after anything a detector queued, then closes the board's port.
    void closeBoardSafely();
    void reportPortName();

    QPointer<CurlyKestrumDevice> m_board;
    double m_lastGridMilliamperes = 0.0;
    double m_lastLeftLight = 0.0;
    double m_lastRightLight = 0.0;
    int m_lastTone = 0;
    int m_lastSoundSide = 0;
    // A paradigm may ask for the door on every frame; only a change is sent.
    std::optional<bool> m_lastDoorOpen;
    ConnectionHelper m_connections;
    qint64 m_lightOffTime = 0;
    qint64 m_soundOffTime = 0;
    qint64 m_gridOffTime = 0;
    QTimer* m_stimulusTimer = nullptr;
    Clock* m_clock = nullptr;
};
