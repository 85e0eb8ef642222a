#include "CurlyKestrumDevice.h"

#include "KestrumConstants.h"

namespace {
const QString SerialNumberKey = QStringLiteral("sn=");
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
    return datedSerialNumber(QStringLiteral("S4"), SerialNumberRandomMin, SerialNumberRandomMax);
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
        return;
    }
    takeVersionReply(msg);
}

void CurlyKestrumDevice::requestIdentification()
{
    sendMessage(QStringLiteral("sn"));
}

QString CurlyKestrumDevice::safeStateMessage() const
{
    return QStringLiteral("off");
}
