#pragma once

#include "KestrumBaseDevice.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <mutex>

class Clock;

// A chamber stand-in that keeps every command it is given, with the clock time it arrived at,
// so that a test can tell what a paradigm sent, when, and whether anything outlives its run.
//
// Commands are kept as texts: "light <left>,<right> <ms>", "sound <side> <Hz> <ms>",
// "grid <mA> <ms>" (one decimal), "off", "door open" / "door closed"; a duration of -1 means
// "until changed". Like every device it takes calls from any thread.
class RecordingDevice : public KestrumBaseDevice
{
public:
    struct Command
    {
        qint64 atMs = 0;
        QString text;
    };

    // Times are read from `clock`; the system clock when null.
    explicit RecordingDevice(Clock* clock = nullptr, const QString& serialNumber = QStringLiteral("SN-REC"));

    QList<Command> commands() const;
    QStringList texts() const;
    // The texts given since the last call, so that a test can look at one step at a time.
    QStringList takeTexts();
    // Whether the grid is live at `nowMs` after everything received: the last grid command
    // asked for current and neither an "off" nor its own duration has ended it.
    bool gridLiveAt(qint64 nowMs) const;
    bool gridLive() const;

    bool hasDoor() const override { return false; }
    bool doorAttached() const override { return false; }

protected:
    void applyAllOff() override;
    void applyCircuit(double milliamperes, int durationMs) override;
    void applyStart() override {}
    bool applyOpenDevicePort() override { return true; }
    void applyShutdown() override { applyAllOff(); }
    void applyCloseDevice() override {}
    void applyWriteSerialNumber(const QString& serialNumber) override { setSerialNumber(serialNumber); }
    void applyLightLevels(int leftPercent, int rightPercent, int durationMs) override;
    void applySound(KestrumBaseDevice::KestrumSide side, int toneHz, int durationMs) override;
    void applyDoorOpen(bool open) override;
    void applyDispose() override { applyAllOff(); }

private:
    void record(const QString& text);

    Clock* m_clock;
    mutable std::mutex m_mutex;
    QList<Command> m_commands;
    qsizetype m_taken = 0;
    double m_gridMilliamperes = 0.0;
    qint64 m_gridEndsMs = -1;
};
