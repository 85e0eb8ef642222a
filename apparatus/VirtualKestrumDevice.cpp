#include "VirtualKestrumDevice.h"

VirtualKestrumDevice::VirtualKestrumDevice(QObject* parent)
    : KestrumBaseDevice(parent)
{
    m_serialNumber = QStringLiteral("VirtualKestrum");
    setPortName(QStringLiteral("VirtualCOM"));
    setStatusConnect(Connected);
}

void VirtualKestrumDevice::disconnectVirtual()
{
    setStatusConnect(NotConnected);
}

bool VirtualKestrumDevice::hasDoor() const
{
    return true;
}

bool VirtualKestrumDevice::doorAttached() const
{
    return false;
}

void VirtualKestrumDevice::applyStart()
{
}

bool VirtualKestrumDevice::applyOpenDevicePort()
{
    return true;
}

void VirtualKestrumDevice::applyShutdown()
{
}

void VirtualKestrumDevice::applyCloseDevice()
{
}

void VirtualKestrumDevice::applyWriteSerialNumber(const QString&)
{
}

void VirtualKestrumDevice::applyDispose()
{
}

void VirtualKestrumDevice::applyAllOff()
{
}

void VirtualKestrumDevice::applyCircuit(double, int)
{
}

void VirtualKestrumDevice::applyLightLevels(int, int, int)
{
}

void VirtualKestrumDevice::applySound(KestrumSide, int, int)
{
}

void VirtualKestrumDevice::applyDoorOpen(bool)
{
}
