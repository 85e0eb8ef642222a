#include "SerialPortOverseer.h"

#include "GlobalConsole.h"
#include "SerialPortManager.h"
#include "TextHelper.h"

#include <QSerialPort>
#include <QTimer>

#include <algorithm>

namespace {

// Words in a port's description or manufacturer that mark a port not to probe: Bluetooth
// links, and the built-in ports as Windows names them.
const QList<QString> ignoredWords{QStringLiteral("Bluetooth"), QStringLiteral("(Стандартные порты)")};

} // namespace

SerialPortOverseer::SerialPortOverseer(QObject* parent)
    : QObject(parent)
{
}

SerialPortOverseer::~SerialPortOverseer()
{
    forgetProbedPorts();
    if (m_currentType)
        SerialPortManager::instance()->releaseOwner(ownerKey(m_currentType->name));
}

ProbeDeviceType* SerialPortOverseer::registerDeviceType(const QString& name, const QByteArray& request,
                                                        const QByteArray& answer, int baudRate, int parity,
                                                        int stopBits)
{
    auto type = std::make_unique<ProbeDeviceType>();
    type->name = name;
    type->request = request;
    type->answer = answer;
    type->baudRate = baudRate;
    type->parity = parity;
    type->stopBits = stopBits;
    m_types.push_back(std::move(type));
    return m_types.back().get();
}

ProbeDeviceType* SerialPortOverseer::registerProbeOnlyType(const QString& name, const QByteArray& request,
                                                           const QByteArray& answer, int baudRate, int parity,
                                                           int stopBits)
{
    ProbeDeviceType* type = registerDeviceType(name, request, answer, baudRate, parity, stopBits);
    type->keepOpen = false;
    return type;
}

QString SerialPortOverseer::ownerKey(const QString& typeName)
{
    return QStringLiteral("_") + typeName;
}

bool SerialPortOverseer::isProbeablePort(const SerialPortEntry& port)
{
    if (port.description.isEmpty() && port.manufacturer.isEmpty())
        return false;
    if (TextHelper::stringContainsListItem(port.description, ignoredWords, Qt::CaseInsensitive)
        || TextHelper::stringContainsListItem(port.manufacturer, ignoredWords, Qt::CaseInsensitive))
        return false;
    // RFCOMM devices are Linux's Bluetooth serial links, whatever their description says.
    return port.portName != QStringLiteral("COM1") && !port.portName.startsWith(QStringLiteral("rfcomm"));
}

bool SerialPortOverseer::gatherReply(QByteArray& received, const QByteArray& chunk, const QByteArray& answer)
{
    received.append(chunk);
    if (received.contains(answer))
        return true;
    received = received.right(answer.size() - 1);
    return false;
}

void SerialPortOverseer::start(int periodMs)
{
    if (!m_stepTimer) {
        m_stepTimer = new QTimer(this);
        connect(m_stepTimer, &QTimer::timeout, this, &SerialPortOverseer::scan);
    }
    m_currentIndex = -1;
    m_currentType = nullptr;
    scan();
    m_stepTimer->start(std::max(periodMs, minStepMs));
}

void SerialPortOverseer::stop()
{
    if (m_stepTimer)
        m_stepTimer->stop();
}

bool SerialPortOverseer::isRunning() const
{
    return m_stepTimer && m_stepTimer->isActive();
}

int SerialPortOverseer::stepIntervalMs() const
{
    return m_stepTimer ? m_stepTimer->interval() : 0;
}

const ProbeDeviceType* SerialPortOverseer::currentType() const
{
    return m_currentType;
}

void SerialPortOverseer::forgetProbedPorts()
{
    // Each registry disconnects its port's reply connection as it goes.
    m_probed.clear();
}

void SerialPortOverseer::scan()
{
    ++m_step;
    forgetProbedPorts();
    if (m_currentType)
        SerialPortManager::instance()->releaseOwner(ownerKey(m_currentType->name));
    if (m_types.empty())
        return;

    m_currentIndex = (m_currentIndex + 1) % int(m_types.size());
    m_currentType = m_types.at(size_t(m_currentIndex)).get();
    if (m_stepTimer)
        m_stepTimer->setInterval(std::max(m_currentType->probeTimeMs, minStepMs));

    const QList<SerialPortEntry> ports = SerialPortManager::instance()->availablePorts(ownerKey(m_currentType->name));
    for (const SerialPortEntry& entry : ports) {
        if (isProbeablePort(entry))
            probePort(entry, *m_currentType);
    }
}

void SerialPortOverseer::probePort(const SerialPortEntry& entry, const ProbeDeviceType& type)
{
    const QString key = ownerKey(type.name);
    QSerialPort* port = SerialPortManager::instance()->openPort(entry.portName, key);
    if (!port)
        return;
    if (!openForProbing(port, type)) {
        reportOpenFailure(entry.portName, port->errorString());
        // Released, not just dropped from the table: a port that never opens would otherwise
        // leave one dead object behind at every step.
        SerialPortManager::instance()->releasePort(port, key);
        return;
    }
    m_reportedFailures.remove(entry.portName);

    ProbedPort& probed = m_probed[entry.portName];
    probed.port = port;
    const quint64 step = m_step;
    const QString portName = entry.portName;
    probed.connections << connect(
        port, &QSerialPort::readyRead, this, [this, portName, step] { onProbeReply(portName, step); },
        Qt::QueuedConnection);

    const int interval = std::max(type.probeTimeMs, minStepMs);
    port->flush();
    writeRequest(portName, interval);
    scheduleRewrite(portName, secondWriteMs, interval >= thirdWriteMs);
}

bool SerialPortOverseer::openForProbing(QSerialPort* port, const ProbeDeviceType& type)
{
    port->setBaudRate(type.baudRate, QSerialPort::AllDirections);
    port->setStopBits(QSerialPort::StopBits(type.stopBits));
    port->setDataBits(QSerialPort::DataBits(type.dataBits));
    port->setParity(QSerialPort::Parity(type.parity));
    return port->isOpen() || port->open(QIODevice::ReadWrite);
}

void SerialPortOverseer::reportOpenFailure(const QString& portName, const QString& reason)
{
    if (m_reportedFailures.contains(portName))
        return;
    m_reportedFailures.insert(portName);
    GlobalConsole::writeItem(QStringLiteral("Port %1 cannot be opened for probing: %2")
                                 .arg(portName.toHtmlEscaped(), reason.toHtmlEscaped()),
                             QStringLiteral("Warning"));
}

void SerialPortOverseer::writeRequest(const QString& portName, int waitMs)
{
    const auto probed = m_probed.find(portName);
    if (probed == m_probed.end() || !probed->second.port || !m_currentType)
        return;
    QSerialPort* port = probed->second.port;
    port->write(m_currentType->request);
    port->waitForBytesWritten(waitMs);
}

void SerialPortOverseer::scheduleRewrite(const QString& portName, int delayMs, bool thenThird)
{
    const quint64 step = m_step;
    QTimer::singleShot(delayMs, this, [this, portName, step, thenThird] {
        // The window may have moved on; a port no longer borrowed for this step is left alone.
        if (!isBorrowedThisStep(portName, step))
            return;
        const int interval = std::max(m_currentType->probeTimeMs, minStepMs);
        writeRequest(portName, interval - lateWriteMarginMs);
        if (thenThird)
            scheduleRewrite(portName, thirdWriteMs - secondWriteMs, false);
    });
}

bool SerialPortOverseer::isBorrowedThisStep(const QString& portName, quint64 step) const
{
    if (step != m_step || !m_currentType)
        return false;
    const auto probed = m_probed.find(portName);
    return probed != m_probed.end() && probed->second.port
           && SerialPortManager::instance()->ownerOf(probed->second.port) == ownerKey(m_currentType->name);
}

void SerialPortOverseer::onProbeReply(const QString& portName, quint64 step)
{
    if (!isBorrowedThisStep(portName, step))
        return;
    ProbedPort& probed = m_probed.at(portName);
    QSerialPort* port = probed.port;
    if (!gatherReply(probed.received, port->readAll(), m_currentType->answer))
        return;

    SerialPortManager::instance()->setPortOwner(port, m_currentType->name);
    probed.connections.clear();
    m_probed.erase(portName);
    if (!m_currentType->keepOpen)
        port->close();
    emit deviceFound(m_currentType->name, portName);
}
