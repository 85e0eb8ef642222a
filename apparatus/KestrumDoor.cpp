#include "KestrumDoor.h"

#include "KestrumConstants.h"

#include <QTimer>

namespace {
const QString serialNumberKey = QStringLiteral("sn=");
} // namespace

KestrumDoor::KestrumDoor(QSerialPort* port, QObject* parent)
    : CurlyDevice(port, parent)
{
    qRegisterMetaType<KestrumDoor::DoorState>("DoorState");
}

QString KestrumDoor::deviceTypeName() const
{
    return KestrumConstants::DoorTypeName;
}

QString KestrumDoor::greetingText() const
{
    return QStringLiteral("iamdoor");
}

QString KestrumDoor::generateSerialNumber()
{
    return datedSerialNumber(QStringLiteral("3"), 101, 998);
}

void KestrumDoor::requestIdentification()
{
    sendMessage(QStringLiteral("state"));
    if (m_pollTimer)
        return;
    m_pollTimer = new QTimer(this);
    connect(m_pollTimer, &QTimer::timeout, this, &KestrumDoor::poll);
    m_pollTimer->start(pollIntervalMs);
}

void KestrumDoor::poll()
{
    if (!isConnected())
        return;
    if (m_serialNumber.isEmpty())
        sendMessage(QStringLiteral("sn"));
    sendMessage(QStringLiteral("raw"));
}

void KestrumDoor::handleMessage(const QString& msg)
{
    if (msg.startsWith(serialNumberKey)) {
        handleSerialNumberReply(msg);
        return;
    }
    handleReport(msg);
    emit onMessage(msg);
}

void KestrumDoor::handleSerialNumberReply(const QString& msg)
{
    if (isInvalidSerialNumberReply(msg)) {
        sendMessage(serialNumberKey + generateSerialNumber());
        return;
    }
    sendMessage(QStringLiteral("state"));
    m_serialNumber = msg.mid(serialNumberKey.size());
    emit gotSerialNumber(m_serialNumber);
}

void KestrumDoor::handleReport(const QString& msg)
{
    if (takeVersionReply(msg))
        return;
    if (msg == QStringLiteral("isopen")) {
        reportState(DoorOpen);
        emit opened();
        return;
    }
    if (msg == QStringLiteral("isclosed")) {
        reportState(DoorClosed);
        emit closed();
        return;
    }
    if (msg == QStringLiteral("ismiddle")) {
        reportState(DoorMiddle);
        return;
    }
    if (msg.startsWith(QStringLiteral("stepped="))) {
        m_stepsEnabled = msg == QStringLiteral("stepped=true");
        emit stepsEnabledChanged(m_stepsEnabled);
        return;
    }
    // The motor reports: key, the field it sets and the signal that announces it.
    struct NumberReport
    {
        QLatin1String key;
        int KestrumDoor::*field;
        void (KestrumDoor::*changed)(int);
    };
    static const NumberReport reports[] = {
        {QLatin1String("step="), &KestrumDoor::m_step, &KestrumDoor::stepChanged},
        {QLatin1String("time="), &KestrumDoor::m_stepTime, &KestrumDoor::stepTimeChanged},
        {QLatin1String("min="), &KestrumDoor::m_minDrive, &KestrumDoor::minDriveChanged},
        {QLatin1String("max="), &KestrumDoor::m_maxDrive, &KestrumDoor::maxDriveChanged},
        {QLatin1String("raw="), &KestrumDoor::m_rawPosition, &KestrumDoor::rawPosChanged},
    };
    for (const NumberReport& report : reports) {
        if (msg.startsWith(report.key)) {
            // QString::toInt reads the C locale's digits, so the reply means the same in any locale.
            this->*report.field = QString(msg).remove(report.key).toInt();
            emit(this->*report.changed)(this->*report.field);
            return;
        }
    }
}

void KestrumDoor::reportState(DoorState state)
{
    m_doorState = state;
    emit doorStateChanged(state);
}

void KestrumDoor::openDoor()
{
    setOpened(true);
}

void KestrumDoor::closeDoor()
{
    setOpened(false);
}

void KestrumDoor::setOpened(bool open)
{
    const DoorState wanted = open ? DoorOpen : DoorClosed;
    if (m_doorState != wanted)
        sendMessage(open ? QStringLiteral("open") : QStringLiteral("close"));
}

void KestrumDoor::openWhateverReported()
{
    sendMessage(QStringLiteral("open"));
}

KestrumDoor::DoorState KestrumDoor::doorState() const
{
    return m_doorState;
}
int KestrumDoor::minDrive() const
{
    return m_minDrive;
}
int KestrumDoor::maxDrive() const
{
    return m_maxDrive;
}
bool KestrumDoor::stepsEnabled() const
{
    return m_stepsEnabled;
}
int KestrumDoor::stepTime() const
{
    return m_stepTime;
}
int KestrumDoor::step() const
{
    return m_step;
}
int KestrumDoor::rawPosition() const
{
    return m_rawPosition;
}
