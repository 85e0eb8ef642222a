#pragma once

#include "ScriptedBoard.h"

#include <QPointer>
#include <QSerialPort>

#include <memory>

// A text-protocol board device on a real pseudo-terminal. Its port is taken from
// SerialPortManager under the device's type name and opened, the way the application hands a
// board the prober found to its new device, which then starts with openPort().
template <class Device>
struct HandedOverDevice
{
    ScriptedBoard board;
    QPointer<QSerialPort> port;
    std::unique_ptr<Device> device;

    HandedOverDevice(const QString& owner, const QString& description)
        : board(description, QStringLiteral("Kestrum"))
    {
        port = board.takePort(owner);
        if (!port)
            return;
        device = std::make_unique<Device>(port.data());
        device->openPort();
    }

    ~HandedOverDevice()
    {
        if (device)
            device->closePort();
    }
};
