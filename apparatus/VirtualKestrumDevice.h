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

    void start() override;
    bool openDevicePort() override;
    void shutdown() override;
    void closeDevice() override;
    void writeSerialNumber(const QString& serialNumber) override;
    bool hasDoor() const override;
    bool doorAttached() const override;
    void dispose() override;
    QString portName() const override;

protected:
    void applyAllOff() override;
    void applyCircuit(double milliamperes, int durationMs) override;
    void applyLightLevels(int leftPercent, int rightPercent, int durationMs) override;
    void applySound(KestrumSide side, int toneHz, int durationMs) override;
    void applyDoorOpen(bool open) override;
};
