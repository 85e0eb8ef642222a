#include "KestrumDevice.h"

#include "Clock.h"
#include "GlobalConsole.h"
#include "KestrumConstants.h"
#include "KestrumDoor.h"
#include "SerialPortManager.h"

#include <QDebug>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

const QString invalidDataText = QStringLiteral("Data cannot be null and cannot content more than 8 bytes. Sorry.");
const QString noPortName = QStringLiteral("NOCOM");

bool writeFrameTo(QSerialPort* port, const QByteArray& payload)
{
    if (!port || !port->isOpen()) {
        qDebug() << "SERIAL CLOSED";
        return false;
    }
    const QByteArray frame = ClassicKestrumCodec::encodeFrame(payload);
    return port->write(frame) == frame.size();
}

quint8 clampedLevel(int percent)
{
    return quint8(std::clamp(percent, 0, 100));
}

} // namespace

KestrumDevice::KestrumDevice(QSerialPort* port, QObject* parent)
    : KestrumBaseDevice(parent)
    , m_userData(ClassicKestrumCodec::userDataBytes, '\0')
    , m_port(port)
    , m_clock(Clock::system())
{
    if (m_port) {
        m_port->setBaudRate(57600, QSerialPort::AllDirections);
        m_port->setParity(QSerialPort::EvenParity);
        m_port->setStopBits(QSerialPort::OneStop);
        m_port->setDataBits(QSerialPort::Data8);
        m_portConnections << connect(m_port, &QSerialPort::readyRead, this, &KestrumDevice::onSerialPortData);
        m_portConnections << connect(m_port, &QSerialPort::errorOccurred, this,
                                     [this](QSerialPort::SerialPortError error) { onSerialError(error); });
    }
    setPortName(m_port ? m_port->portName() : noPortName);
    setStatusConnect(Connecting);
}

KestrumDevice::~KestrumDevice()
{
    switchOffAndLetGo(PortFate::Close);
}

QByteArray KestrumDevice::encodeFrame(const QByteArray& payload)
{
    return ClassicKestrumCodec::encodeFrame(payload);
}

QByteArray KestrumDevice::serialNumberRequest()
{
    return encodeFrame(ClassicKestrumCodec::serialNumberRequestPayload());
}

void KestrumDevice::setClock(Clock* clock)
{
    m_clock = clock;
}

qint64 KestrumDevice::now() const
{
    return m_clock->monotonicMs();
}

QList<QSerialPort*> KestrumDevice::serialPorts() const
{
    if (m_port)
        return {m_port};
    return {};
}

void KestrumDevice::applyStart()
{
    if (!m_workTimer) {
        m_workTimer = new QTimer(this);
        connect(m_workTimer, &QTimer::timeout, this, &KestrumDevice::threadWork);
        m_serialNumberTimer = new QTimer(this);
        connect(m_serialNumberTimer, &QTimer::timeout, this, &KestrumDevice::onSerialNumberTimer);
    }
    m_workTimer->start(workStepMs);
    requestSerialNumber();
    m_serialNumberTimer->start(serialNumberRetryMs);
}

void KestrumDevice::requestSerialNumber()
{
    // Until a valid number arrives the chamber is not known to be there.
    if (statusConnect() != Connected)
        setStatusConnect(Connecting);
    writeFrame(ClassicKestrumCodec::serialNumberRequestPayload());
}

void KestrumDevice::onSerialNumberTimer()
{
    if (m_serialNumberTriesLeft <= 0) {
        emit notResponding();
        return;
    }
    qDebug() << "Trying to fetch SN on port " << portName() << m_serialNumberTriesLeft;
    --m_serialNumberTriesLeft;
    requestSerialNumber();
}

void KestrumDevice::onSerialPortData()
{
    if (!m_port || !m_port->isOpen()) {
        qDebug() << "SP CLOSED";
        return;
    }
    m_readErrorsInARow = 0;
    const QList<QByteArray> frames = m_decoder.feed(m_port->readAll());
    for (const QByteArray& frame : frames)
        handleFrame(frame);
}

void KestrumDevice::handleFrame(const QByteArray& frame)
{
    const ClassicReply reply = ClassicKestrumCodec::interpretReply(frame);
    switch (reply.kind) {
    case ClassicReply::SerialNumber:
        acceptSerialNumber(reply.serialNumber);
        break;
    case ClassicReply::UserData:
        m_userData = reply.userData;
        m_userDataReceived = true;
        emit userDataFetched();
        break;
    case ClassicReply::Unknown:
        break;
    }
}

void KestrumDevice::acceptSerialNumber(const QString& number)
{
    if (m_serialNumberTimer)
        m_serialNumberTimer->stop();
    if (number != serialNumber()) {
        setSerialNumber(number);
        emit serialNumberFetched(number);
    }
    setStatusConnect(Connected);
    writeFrame(ClassicKestrumCodec::userDataRequestPayload());
}

void KestrumDevice::threadWork()
{
    const qint64 at = now();
    stepLight(at);
    stepSound(at);
    stepGrid(at);
    sendState();
    // Cleared whether or not the frame went out: a renewal must not keep a grid whose time is
    // up alive until the chamber has identified itself, and then reach it late.
    m_gridRenewedSinceStep = false;
}

void KestrumDevice::stepLight(qint64 now)
{
    if (!m_light.active)
        return;
    const bool ended = m_light.hasEnded(now);
    // A light given a duration goes off after it; one given none stays until changed.
    const bool lit = !ended || m_light.durationMs <= 0;
    m_outputs.leftLight = lit ? m_lightLeft : 0;
    m_outputs.rightLight = lit ? m_lightRight : 0;
    if (ended) {
        m_light.active = false;
        emit stimAction(false, Light, Both);
    }
}

void KestrumDevice::stepSound(qint64 now)
{
    if (!m_sound.active)
        return;
    if (m_sound.hasEnded(now)) {
        m_sound.active = false;
        m_outputs.tone = 0;
        m_outputs.leftSpeaker = false;
        m_outputs.rightSpeaker = false;
        emit stimAction(false, Sound, Both);
        return;
    }
    m_outputs.tone = m_soundTone;
    m_outputs.leftSpeaker = m_sound.side != Right;
    m_outputs.rightSpeaker = m_sound.side != Left;
}

void KestrumDevice::stepGrid(qint64 now)
{
    // The paradigms renew the grid on every camera frame: when the renewals stop, so does it.
    if (m_gridOffAt && now >= *m_gridOffAt && !m_gridRenewedSinceStep) {
        m_gridOffAt.reset();
        m_outputs.gridLevel = 0;
        m_outputs.gridOn = false;
    }
}

void KestrumDevice::sendState()
{
    if (statusConnect() != Connected) {
        qDebug() << "Cannot send state";
        return;
    }
    writeFrame(ClassicKestrumCodec::statePayload(m_outputs));
}

bool KestrumDevice::writeFrame(const QByteArray& payload)
{
    return writeFrameTo(m_port, payload);
}

void KestrumDevice::applyLightLevels(int leftPercent, int rightPercent, int durationMs)
{
    m_lightLeft = clampedLevel(leftPercent);
    m_lightRight = clampedLevel(rightPercent);
    m_light = {true, now(), durationMs, Both};
    emit stimAction(true, Light, Both);
}

void KestrumDevice::applySound(KestrumSide side, int toneHz, int durationMs)
{
    m_soundTone = quint16(toneHz);
    m_sound = {true, now(), durationMs, side};
    emit stimAction(true, Sound, side);
}

void KestrumDevice::applyCircuit(double milliamperes, int durationMs)
{
    // Written so that NaN counts as "not above 0" too: it must never become a grid level.
    const float maxCurrent = float(KestrumConstants::MaxGridMilliamperes);
    const float current = milliamperes > 0.0 ? std::min(float(milliamperes), maxCurrent) : 0.0f;
    m_outputs.gridOn = current > 0.0f;
    m_outputs.gridLevel = quint8(current * 255.0f / maxCurrent);
    if (m_outputs.gridOn && durationMs > 0) {
        m_gridOffAt = now() + durationMs;
        m_gridRenewedSinceStep = true;
    } else {
        m_gridOffAt.reset();
    }
}

void KestrumDevice::applyAllOff()
{
    if (m_light.active)
        emit stimAction(false, Light, Both);
    if (m_sound.active)
        emit stimAction(false, Sound, Both);
    clearOutputs();
    if (m_door)
        m_door->openWhateverReported();
    else
        applyDoorOpen(true);
}

void KestrumDevice::clearOutputs()
{
    m_outputs = {};
    m_light.active = false;
    m_sound.active = false;
    m_gridOffAt.reset();
    m_gridRenewedSinceStep = false;
}

void KestrumDevice::applyDoorOpen(bool open)
{
    if (m_door) {
        m_door->setOpened(open);
        return;
    }
    if (m_lastDoorOpen == open)
        return;
    if (writeFrame(ClassicKestrumCodec::doorPayload(open)))
        m_lastDoorOpen = open;
}

void KestrumDevice::applyWriteSerialNumber(const QString& serialNumber)
{
    const QByteArray payload = ClassicKestrumCodec::writeSerialNumberPayload(serialNumber);
    if (payload.isEmpty()) {
        GlobalConsole::writeItem(invalidDataText, QStringLiteral("Error"));
        return;
    }
    writeFrame(payload);
}

bool KestrumDevice::sendCommand(const QByteArray& data)
{
    const QByteArray payload = ClassicKestrumCodec::commandPayload(data);
    if (payload.isEmpty()) {
        GlobalConsole::writeItem(invalidDataText, QStringLiteral("Error"));
        return false;
    }
    bool written = false;
    runInDeviceThreadAndWait([this, &payload, &written] { written = writeFrame(payload); });
    return written;
}

void KestrumDevice::setDoor(KestrumDoor* door)
{
    const QPointer<KestrumDoor> guarded(door);
    runInDeviceThread([this, guarded] { applyDoor(guarded); });
}

void KestrumDevice::applyDoor(KestrumDoor* door)
{
    {
        std::lock_guard<std::mutex> lock(m_doorMutex);
        m_door = door;
    }
    if (door)
        door->openDoor();
    emit doorChanged();
}

bool KestrumDevice::hasDoor() const
{
    std::lock_guard<std::mutex> lock(m_doorMutex);
    return !m_door.isNull();
}

bool KestrumDevice::doorAttached() const
{
    return hasDoor();
}

bool KestrumDevice::hasUserData() const
{
    return m_userDataReceived;
}

QByteArray KestrumDevice::userData() const
{
    return m_userData;
}

ClassicOutputState KestrumDevice::outputs() const
{
    return m_outputs;
}

bool KestrumDevice::applyOpenDevicePort()
{
    if (!m_port || m_port->isOpen())
        return false;
    if (m_port->open(QIODevice::ReadWrite))
        return true;
    setStatusConnect(NotConnected);
    return false;
}

QSerialPort* KestrumDevice::takePort()
{
    // Disconnected first: a failing final write must not come back here as an error.
    m_portConnections.clear();
    m_decoder.reset();
    setPortName(noPortName);
    return std::exchange(m_port, nullptr);
}

void KestrumDevice::stopTimers()
{
    if (m_workTimer)
        m_workTimer->stop();
    if (m_serialNumberTimer)
        m_serialNumberTimer->stop();
}

void KestrumDevice::switchOffAndLetGo(PortFate fate)
{
    stopTimers();
    // Calls a detector queued before the stop must not reach the port after the final "off".
    runPendingCalls();
    clearOutputs();
    if (QSerialPort* port = takePort()) {
        if (port->isOpen()) {
            writeFrameTo(port, ClassicKestrumCodec::statePayload(m_outputs));
            port->waitForBytesWritten(flushTimeoutMs);
        }
        port->close();
        if (fate == PortFate::Release)
            SerialPortManager::instance()->releasePort(port, KestrumConstants::ClassicKestrumTypeName);
        else
            SerialPortManager::instance()->closePort(port->portName(), KestrumConstants::ClassicKestrumTypeName);
    }
    setStatusConnect(NotConnected);
}

void KestrumDevice::applyShutdown()
{
    shutDown(PortFate::Close);
}

void KestrumDevice::shutDown(PortFate fate)
{
    stopTimers();
    runPendingCalls();
    if (m_port && m_port->isOpen())
        applyAllOff();
    switchOffAndLetGo(fate);
}

void KestrumDevice::applyCloseDevice()
{
    switchOffAndLetGo(PortFate::Close);
}

void KestrumDevice::applyDispose()
{
    switchOffAndLetGo(PortFate::Release);
}

void KestrumDevice::onSerialError(int error)
{
    if (error == QSerialPort::NoError)
        return;
    qDebug() << "Kestrum SerialPort ERROR" << QSerialPort::SerialPortError(error);
    // A port that failed for good is never used again: its object ends here, since nobody else
    // holds it once the device lets go of it.
    if (error == QSerialPort::WriteError)
        shutDown(PortFate::Release);
    else if (isLostPortError(error))
        switchOffAndLetGo(PortFate::Release);
}

// Gone (unplugged), or hung up at the far end: a read that returns nothing is reported again
// at every turn of the event loop until the port closes.
bool KestrumDevice::isLostPortError(int error)
{
    if (error == QSerialPort::ReadError)
        return ++m_readErrorsInARow >= readErrorsOfALostPort;
    return error == QSerialPort::ResourceError;
}
