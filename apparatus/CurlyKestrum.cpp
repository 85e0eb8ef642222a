#include "CurlyKestrum.h"

#include "Clock.h"
#include "CurlyKestrumDevice.h"
#include "KestrumConstants.h"

#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

QString sideLetter(KestrumSide side)
{
    switch (side) {
    case KestrumBaseDevice::Left:
        return QStringLiteral("L");
    case KestrumBaseDevice::Right:
        return QStringLiteral("R");
    case KestrumBaseDevice::Both:
        return QStringLiteral("B");
    }
    return QString();
}

} // namespace

CurlyKestrum::CurlyKestrum(QSerialPort* port, QObject* parent)
    : KestrumBaseDevice(parent)
    , m_board(new CurlyKestrumDevice(port, this))
    , m_clock(Clock::system())
{
    m_connections << connect(m_board, &CurlyDevice::connectedChanged, this, &CurlyKestrum::onBoardConnectedChanged,
                             Qt::QueuedConnection);
    m_connections << connect(
        m_board, &CurlyDevice::gotSerialNumber, this,
        [this](const QString& serialNumber) {
            setSerialNumber(serialNumber);
            emit serialNumberFetched(serialNumber);
        },
        Qt::QueuedConnection);
    m_connections << connect(
        m_board, &CurlyDevice::gotVersion, this,
        [this](const QString& version) {
            setVersion(version);
            emit versionFetched(version);
        },
        Qt::QueuedConnection);
    m_board->openPort();
    reportPortName();
    m_stimulusTimer = new QTimer(this);
    m_connections << connect(m_stimulusTimer, &QTimer::timeout, this, &CurlyKestrum::stimulusTimerStep);
    m_stimulusTimer->start(StimulusStepMs);
}

CurlyKestrum::~CurlyKestrum()
{
    m_stimulusTimer->stop();
    m_connections.clear();
    // The board, a child, writes "off" and gives its port back when it is destroyed.
}

CurlyKestrumDevice* CurlyKestrum::curlyDevice() const
{
    return m_board;
}

QList<QSerialPort*> CurlyKestrum::serialPorts() const
{
    if (m_board && m_board->port())
        return {m_board->port()};
    return {};
}

void CurlyKestrum::setClock(Clock* clock)
{
    m_clock = clock;
}

QString CurlyKestrum::gridCommand(double milliamperes)
{
    // QString::number ignores the user's locale: the board reads "1.5", never "1,5".
    return QStringLiteral("grid=") + QString::number(milliamperes, 'f', 1);
}

QString CurlyKestrum::lightCommand(int leftPercent, int rightPercent)
{
    return QStringLiteral("lightSide=%1,%2").arg(leftPercent).arg(rightPercent);
}

QString CurlyKestrum::soundCommand(KestrumSide side, int toneHz)
{
    return QStringLiteral("sound=") + sideLetter(side) + QLatin1Char(',') + QString::number(toneHz);
}

void CurlyKestrum::onBoardConnectedChanged(bool connected)
{
    setStatusConnect(connected ? Connected : NotConnected);
    if (!connected || !m_board)
        return;
    sendCommand(QStringLiteral("sn"));
    m_board->setKeepAlive(QStringLiteral("p"), KeepAliveIntervalMs, false);
}

void CurlyKestrum::sendCommand(const QString& command)
{
    if (m_board)
        m_board->sendMessage(command);
}

qint64 CurlyKestrum::offTimeFor(int durationMs) const
{
    return durationMs > 0 ? m_clock->monotonicMs() + durationMs : 0;
}

void CurlyKestrum::applyStart()
{
}

bool CurlyKestrum::applyOpenDevicePort()
{
    return true;
}

void CurlyKestrum::closeBoardSafely()
{
    runPendingCalls();
    if (!m_board)
        return;
    applyAllOff();
    m_board->closePort();
    reportPortName();
}

void CurlyKestrum::reportPortName()
{
    setPortName(m_board ? m_board->currentPortName() : QStringLiteral("COM?"));
}

void CurlyKestrum::applyShutdown()
{
    closeBoardSafely();
}

void CurlyKestrum::applyCloseDevice()
{
}

void CurlyKestrum::applyWriteSerialNumber(const QString& serialNumber)
{
    sendCommand(QStringLiteral("writesn=") + serialNumber);
}

bool CurlyKestrum::hasDoor() const
{
    return true;
}

bool CurlyKestrum::doorAttached() const
{
    return true;
}

void CurlyKestrum::applyDispose()
{
    closeBoardSafely();
    m_stimulusTimer->stop();
    if (m_board)
        m_board->deleteLater();
    m_board = nullptr;
    reportPortName();
}

void CurlyKestrum::applyAllOff()
{
    m_lastGridMilliamperes = 0.0;
    m_lastLeftLight = 0.0;
    m_lastRightLight = 0.0;
    m_lastTone = 0;
    m_lastSoundSide = 0;
    // The board's "off" leaves the door as it is, and a close asked for may be still on its way.
    sendCommand(QStringLiteral("off"));
    sendCommand(QStringLiteral("openDoor"));
    m_lastDoorOpen = true;
}

void CurlyKestrum::applyCircuit(double milliamperes, int durationMs)
{
    // Written so that NaN counts as "not above 0" too.
    const double current = milliamperes > 0.0 ? std::min(milliamperes, KestrumConstants::MaxGridMilliamperes) : 0.0;
    if (current != m_lastGridMilliamperes) {
        m_lastGridMilliamperes = current;
        sendCommand(gridCommand(current));
    }
    if (current > 0.0) {
        m_gridOffTime = offTimeFor(durationMs);
        emit onCircuitOn();
    } else {
        m_gridOffTime = 0;
        emit onCircuitOff();
    }
}

void CurlyKestrum::applyLightLevels(int leftPercent, int rightPercent, int durationMs)
{
    const int left = std::clamp(leftPercent, 0, 100);
    const int right = std::clamp(rightPercent, 0, 100);
    if (left != m_lastLeftLight || right != m_lastRightLight) {
        m_lastLeftLight = left;
        m_lastRightLight = right;
        sendCommand(lightCommand(left, right));
    }
    if (left + right < 1) {
        m_lightOffTime = 0;
        emit onLightOff();
    } else {
        m_lightOffTime = offTimeFor(durationMs);
        emit onLightOn();
    }
}

void CurlyKestrum::applySound(KestrumSide side, int toneHz, int durationMs)
{
    const int tone = std::clamp(toneHz, 0, MaxToneHz);
    if (tone != m_lastTone || int(side) != m_lastSoundSide) {
        m_lastTone = tone;
        m_lastSoundSide = int(side);
        sendCommand(soundCommand(side, tone));
    }
    if (tone < 1) {
        m_soundOffTime = 0;
        emit onSoundOff();
    } else {
        m_soundOffTime = offTimeFor(durationMs);
        emit onSoundOn();
    }
}

void CurlyKestrum::applyDoorOpen(bool open)
{
    if (std::exchange(m_lastDoorOpen, open) != open)
        sendCommand(open ? QStringLiteral("openDoor") : QStringLiteral("closeDoor"));
}

void CurlyKestrum::stimulusTimerStep()
{
    // Calls a detector issued before this step come first: one of them may re-arm a stimulus.
    runPendingCalls();
    const qint64 now = m_clock->monotonicMs();
    auto expired = [now](qint64 offTime) { return offTime != 0 && now >= offTime; };
    const bool anyEnded = expired(m_lightOffTime) || expired(m_soundOffTime) || expired(m_gridOffTime);
    if (expired(m_lightOffTime))
        applyLightLevels(0, 0, -1);
    if (expired(m_soundOffTime))
        applySound(Both, 0, -1);
    if (expired(m_gridOffTime))
        applyCircuit(0.0, -1);
    // An ending stimulus leaves at once rather than at the board's next exchange step, so it
    // reaches the chamber within one step of its time.
    if (anyEnded && m_board)
        m_board->flushQueue();
}
