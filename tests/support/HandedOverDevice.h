#pragma once

#include "ScriptedBoard.h"
#include "SerialPortManager.h"

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
    const QString owner;
    QPointer<QSerialPort> port;
    std::unique_ptr<Device> device;

    HandedOverDevice(const QString& portOwner, const QString& description)
        : board(description, QStringLiteral("Kestrum"))
        , owner(portOwner)
    {
        port = board.takePort(owner);
        if (!port)
            return;
        device = std::make_unique<Device>(port.data());
        device->openPort();
    }

    // A port the test left open keeps its lock file past the test: once this process exits its
    // terminal number is free again, but until the process is reaped its lock looks held, and
    // another test process given that number cannot open it.
    ~HandedOverDevice()
    {
        if (device)
            device->closePort();
        else if (port)
            SerialPortManager::instance()->releasePort(port.data(), owner);
    }
};
