#include "CurlyKestrumDevice.h"

#include "KestrumConstants.h"

#include <QDate>
#include <QRandomGenerator>

namespace {
const QString SerialNumberKey = QStringLiteral("sn=");
const QString VersionKey = QStringLiteral("version=");
const QString ShortVersionKey = QStringLiteral("v=");
} // namespace

CurlyKestrumDevice::CurlyKestrumDevice(QSerialPort* port, QObject* parent)
    : CurlyDevice(port, parent)
{
}

// Whoever drops the board, the chamber is left switched off.
CurlyKestrumDevice::~CurlyKestrumDevice()
{
    if (port())
        closePort();
}

bool CurlyKestrumDevice::isInvalidSerialNumberReply(const QString& reply)
{
    return reply == QLatin1String("sn=000000") || reply.startsWith(QLatin1String("sn=yy"))
        || reply == SerialNumberKey;
}

QString CurlyKestrumDevice::deviceTypeName() const
{
    return KestrumConstants::CurlyKestrumTypeName;
}

QString CurlyKestrumDevice::greetingText() const
{
    return QString::fromLatin1(KestrumConstants::CurlyKestrumAnswer);
}

QString CurlyKestrumDevice::generateSerialNumber()
{
    const int number = QRandomGenerator::global()->bounded(SerialNumberRandomMin, SerialNumberRandomMax + 1);
    return QStringLiteral("S4") + QDate::currentDate().toString(QStringLiteral("yyMM")) + QString::number(number);
}

void CurlyKestrumDevice::handleMessage(const QString& msg)
{
    if (msg.startsWith(SerialNumberKey)) {
        if (isInvalidSerialNumberReply(msg)) {
            sendMessage(QStringLiteral("writesn=") + generateSerialNumber());
            return;
        }
        sendMessage(QStringLiteral("version"));
        m_serialNumber = msg.mid(SerialNumberKey.size());
        emit gotSerialNumber(m_serialNumber);
    } else if (msg.startsWith(VersionKey)) {
        m_version = msg.mid(VersionKey.size());
        emit gotVersion(m_version);
    } else if (msg.startsWith(ShortVersionKey)) {
        m_version = msg.mid(ShortVersionKey.size());
        emit gotVersion(m_version);
    }
}

void CurlyKestrumDevice::requestIdentification()
{
    sendMessage(QStringLiteral("sn"));
}

QString CurlyKestrumDevice::safeStateMessage() const
{
    return QStringLiteral("off");
}
