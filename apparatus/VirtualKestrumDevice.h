#pragma once

#include "KestrumBaseDevice.h"

// A chamber without hardware, so that experiments, panels and recordings can be tried on a
// computer with nothing attached. Every stimulus is accepted and does nothing.
class VirtualKestrumDevice : public KestrumBaseDevice
{
    Q_OBJECT
public:
    explicit VirtualKestrumDevice(QObject* parent = nullptr);

public slots:
    void disconnectVirtual();

    bool hasDoor() const override;
    bool doorAttached() const override;

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
};
