#include "SerialPortManager.h"

#include "ApparatusThread.h"

#include <QDebug>
#include <QSerialPort>
#include <QThread>

#include <algorithm>

SerialPortManager* SerialPortManager::instance()
{
    // Kept for the life of the process, like the ports it hands out.
    static SerialPortManager* manager = new SerialPortManager();
    return manager;
}

QSerialPort* SerialPortManager::findPort(const QString& portName, const QString& owner) const
{
    for (auto it = m_table.cbegin(); it != m_table.cend(); ++it) {
        if (it->portName == portName && (it->owner.isEmpty() || it->owner == owner))
            return it.key();
    }
    return nullptr;
}

bool SerialPortManager::isHeldByAnother(const QString& portName, const QString& owner) const
{
    return std::any_of(m_table.cbegin(), m_table.cend(), [&](const Holding& holding) {
        return holding.portName == portName && !holding.owner.isEmpty() && holding.owner != owner;
    });
}

QSerialPort* SerialPortManager::openPort(const QString& portName, const QString& owner)
{
    // Listed before the table is locked: asking the system may take a while, and the apparatus
    // thread must not wait for it to give a port back.
    const QList<SerialPortEntry> system = SerialPortEnumerator::availablePorts();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (QSerialPort* port = findPort(portName, owner)) {
        m_table[port].owner = owner;
        return port;
    }
    const auto entry =
        std::find_if(system.cbegin(), system.cend(), [&](const SerialPortEntry& e) { return e.portName == portName; });
    if (entry == system.cend() || isHeldByAnother(portName, owner))
        return nullptr;
    return createPort(*entry, owner);
}

QSerialPort* SerialPortManager::createPort(const SerialPortEntry& entry, const QString& owner)
{
    auto* port = new QSerialPort();
    port->setPortName(entry.systemLocation.isEmpty() ? entry.portName : entry.systemLocation);
    // A port deleted behind the manager's back must not stay in the table as a dangling key,
    // whichever thread deletes it.
    connect(
        port, &QObject::destroyed, this,
        [this, port] {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_table.remove(port);
        },
        Qt::DirectConnection);
    m_table.insert(port, {port->portName(), owner, port, QThread::currentThread()});
    return port;
}

QList<SerialPortEntry> SerialPortManager::availablePorts(const QString& owner) const
{
    QList<SerialPortEntry> ports = SerialPortEnumerator::availablePorts();
    std::lock_guard<std::mutex> lock(m_mutex);
    ports.removeIf([&](const SerialPortEntry& entry) { return isHeldByAnother(entry.portName, owner); });
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
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_table.contains(port))
        return;
    if (owner.isEmpty())
        m_table.remove(port);
    else
        m_table[port].owner = owner;
}

void SerialPortManager::releasePort(QSerialPort* port, const QString& owner)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_table.contains(port) || m_table.value(port).owner != owner)
            return;
        m_table.remove(port);
    }
    closeInItsThread(port);
    port->deleteLater();
}

void SerialPortManager::closePort(const QString& portName, const QString& owner)
{
    QSerialPort* port = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        port = findPort(portName, owner);
        if (!port)
            return;
        m_table.remove(port);
    }
    closeInItsThread(port);
    debugPrintPorts();
}

int SerialPortManager::releaseOwner(const QString& owner)
{
    QList<QSerialPort*> held;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_table.cbegin(); it != m_table.cend(); ++it) {
            if (it->owner == owner)
                held.append(it.key());
        }
    }
    // Only the owner's own bookkeeping refers to these ports, so they end here; keeping them
    // would add a dead object for every silent port at every probing step.
    for (QSerialPort* port : std::as_const(held))
        releasePort(port, owner);
    return int(held.size());
}

void SerialPortManager::closeInItsThread(QSerialPort* port)
{
    QMetaObject::invokeMethod(port, &QSerialPort::close, Qt::AutoConnection);
}

void SerialPortManager::debugPrintPorts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    qDebug() << "";
    for (const Holding& holding : m_table)
        qDebug() << "P" << holding.portName << holding.owner;
    qDebug() << "";
}

QString SerialPortManager::ownerOf(const QSerialPort* port) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_table.value(const_cast<QSerialPort*>(port)).owner;
}

QList<QPair<QSerialPort*, QString>> SerialPortManager::ports() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<QPair<QSerialPort*, QString>> table;
    for (auto it = m_table.cbegin(); it != m_table.cend(); ++it)
        table.append({it.key(), it->owner});
    return table;
}

void SerialPortManager::portMoved(QSerialPort* port, QThread* thread)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_table.contains(port))
        m_table[port].thread = thread;
}

QList<SerialPortManager::PortState> SerialPortManager::portStates() const
{
    QList<Holding> holdings;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        holdings = m_table.values();
    }
    QList<PortState> states;
    for (const Holding& holding : std::as_const(holdings))
        states.append({holding.portName, holding.owner});
    // A port is deleted only in its own thread, so a guard read there cannot go stale meanwhile.
    const auto readPortsOfThisThread = [&] {
        for (qsizetype i = 0; i < holdings.size(); ++i) {
            const QSerialPort* port = holdings.at(i).guard.data();
            if (port && holdings.at(i).thread == QThread::currentThread()) {
                states[i].open = port->isOpen();
                states[i].baudRate = port->baudRate(QSerialPort::AllDirections);
            }
        }
    };
    readPortsOfThisThread();
    // The only other thread ports move to is the apparatus thread.
    const bool elsewhere = std::any_of(holdings.cbegin(), holdings.cend(), [](const Holding& holding) {
        return holding.thread != QThread::currentThread();
    });
    if (elsewhere)
        ApparatusThread::runAndWait(readPortsOfThisThread);
    return states;
}
