#include "VirtualKestrumDevice.h"

VirtualKestrumDevice::VirtualKestrumDevice(QObject* parent)
    : KestrumBaseDevice(parent)
{
    m_serialNumber = QStringLiteral("VirtualKestrum");
    setStatusConnect(Connected);
}

void VirtualKestrumDevice::disconnectVirtual()
{
    setStatusConnect(NotConnected);
}

void VirtualKestrumDevice::start()
{
}

bool VirtualKestrumDevice::openDevicePort()
{
    return true;
}

void VirtualKestrumDevice::shutdown()
{
}

void VirtualKestrumDevice::closeDevice()
{
}

void VirtualKestrumDevice::writeSerialNumber(const QString&)
{
}

bool VirtualKestrumDevice::hasDoor() const
{
    return true;
}

bool VirtualKestrumDevice::doorAttached() const
{
    return false;
}

void VirtualKestrumDevice::dispose()
{
}

QString VirtualKestrumDevice::portName() const
{
    return QStringLiteral("VirtualCOM");
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
