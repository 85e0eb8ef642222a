#include "SerialPortManager.h"

#include <QDebug>
#include <QSerialPort>

#include <algorithm>

SerialPortManager* SerialPortManager::instance()
{
    // Kept for the life of the process, like the ports it hands out.
    static SerialPortManager* manager = new SerialPortManager();
    return manager;
}

QSerialPort* SerialPortManager::findPort(const QString& portName, const QString& owner) const
{
    for (auto it = m_owners.cbegin(); it != m_owners.cend(); ++it) {
        if (it.key()->portName() == portName && (it.value().isEmpty() || it.value() == owner))
            return it.key();
    }
    return nullptr;
}

QSerialPort* SerialPortManager::openPort(const QString& portName, const QString& owner)
{
    if (QSerialPort* port = findPort(portName, owner)) {
        m_owners[port] = owner;
        return port;
    }
    if (!availablePortNames(owner).contains(portName))
        return nullptr;
    return createPort(portName, owner);
}

QSerialPort* SerialPortManager::createPort(const QString& portName, const QString& owner)
{
    const auto entries = SerialPortEnumerator::availablePorts();
    const auto entry = std::find_if(entries.cbegin(), entries.cend(),
                                    [&](const SerialPortEntry& e) { return e.portName == portName; });
    auto* port = new QSerialPort();
    port->setPortName(entry != entries.cend() && !entry->systemLocation.isEmpty() ? entry->systemLocation : portName);
    // A port deleted behind the manager's back must not stay in the table as a dangling key.
    connect(port, &QObject::destroyed, this, [this, port] { m_owners.remove(port); });
    m_owners.insert(port, owner);
    return port;
}

QList<SerialPortEntry> SerialPortManager::availablePorts(const QString& owner) const
{
    QList<SerialPortEntry> ports = SerialPortEnumerator::availablePorts();
    ports.removeIf([&](const SerialPortEntry& entry) {
        for (auto it = m_owners.cbegin(); it != m_owners.cend(); ++it) {
            if (it.key()->portName() == entry.portName && !it.value().isEmpty() && it.value() != owner)
                return true;
        }
        return false;
    });
    return ports;
}

QStringList SerialPortManager::availablePortNames(const QString& owner) const
{
    QStringList names;
    const auto ports = availablePorts(owner);
    for (const SerialPortEntry& entry : ports)
        names.append(entry.portName);
    return names;
}

void SerialPortManager::setPortOwner(QSerialPort* port, const QString& owner)
{
    if (!m_owners.contains(port))
        return;
    if (owner.isEmpty())
        m_owners.remove(port);
    else
        m_owners[port] = owner;
}

void SerialPortManager::releasePort(QSerialPort* port, const QString& owner)
{
    if (!m_owners.contains(port) || m_owners.value(port) != owner)
        return;
    m_owners.remove(port);
    port->close();
    port->deleteLater();
}

void SerialPortManager::closePort(const QString& portName, const QString& owner)
{
    QSerialPort* port = findPort(portName, owner);
    if (!port)
        return;
    m_owners.remove(port);
    port->close();
    debugPrintPorts();
}

int SerialPortManager::releaseOwner(const QString& owner)
{
    QList<QSerialPort*> held;
    for (auto it = m_owners.cbegin(); it != m_owners.cend(); ++it) {
        if (it.value() == owner)
            held.append(it.key());
    }
    // Only the owner's own bookkeeping refers to these ports, so they end here; keeping them
    // would add a dead object for every silent port at every probing step.
    for (QSerialPort* port : std::as_const(held))
        releasePort(port, owner);
    return int(held.size());
}

void SerialPortManager::debugPrintPorts() const
{
    qDebug() << "";
    for (auto it = m_owners.cbegin(); it != m_owners.cend(); ++it)
        qDebug() << "P" << it.key()->portName() << it.value();
    qDebug() << "";
}

QString SerialPortManager::ownerOf(const QSerialPort* port) const
{
    return m_owners.value(const_cast<QSerialPort*>(port));
}

QList<QPair<QSerialPort*, QString>> SerialPortManager::ports() const
{
    QList<QPair<QSerialPort*, QString>> table;
    for (auto it = m_owners.cbegin(); it != m_owners.cend(); ++it)
        table.append({it.key(), it.value()});
    return table;
}
