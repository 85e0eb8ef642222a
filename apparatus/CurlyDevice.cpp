#include "CurlyDevice.h"

#include "ClassicKestrumCodec.h"
#include "CurlyMessageParser.h"
#include "GlobalConsole.h"
#include "SerialPortManager.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QDebug>
#include <QMetaEnum>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <future>
#include <memory>
#include <mutex>
#include <utility>

namespace {

qint64 monotonicNowMs()
{
    return QDeadlineTimer::current().deadline();
}

QString errorName(QSerialPort::SerialPortError error)
{
    return QString::fromLatin1(QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(error));
}

// Taken around each hand-over to a board's thread, so ThreadSanitizer sees it. One for all
// boards: the call takes it before it reads anything the handing thread wrote.
std::mutex& handOverMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

CurlyDevice::CurlyDevice(QSerialPort* port, QObject* parent)
    : QObject(parent)
    , m_port(port)
{
}

CurlyDevice::~CurlyDevice()
{
    qDebug() << "DESTRUCT BASE CURLY DEVICE";
    m_timerConnections.clear();
    if (m_exchangeTimer)
        m_exchangeTimer->stop();
}

void CurlyDevice::openPort()
{
    if (!m_port)
        return;
    m_portConnections.clear();
    m_portConnections << connect(m_port, &QSerialPort::errorOccurred, this, &CurlyDevice::onSerialError,
                                 Qt::QueuedConnection);
    m_portConnections << connect(m_port, &QSerialPort::readyRead, this, &CurlyDevice::onReadyRead,
                                 Qt::QueuedConnection);

    m_timerConnections.clear();
    delete m_parser;
    m_parser = new CurlyMessageParser(this);
    if (!m_exchangeTimer)
        m_exchangeTimer = new QTimer(this);
    m_timerConnections << connect(m_exchangeTimer, &QTimer::timeout, this, &CurlyDevice::exchangeTimerHandler);
    m_exchangeTimer->start(ExchangeIntervalMs);
    if (isTextProtocol()) {
        m_timerConnections << connect(m_parser, &CurlyMessageParser::messageReceived, this, &CurlyDevice::takeMessage,
                                      Qt::QueuedConnection);
    } else {
        m_timerConnections << connect(m_parser, &CurlyMessageParser::messageBytesReceived, this,
                                      &CurlyDevice::handleBytes, Qt::QueuedConnection);
    }
    setConnected(m_port->isOpen());
    requestIdentification();
    emit gotPortName(currentPortName());
}

void CurlyDevice::closePort()
{
    if (!m_port)
        return;
    leavePortSafe();
    m_portConnections.clear();
    QSerialPort* port = m_port;
    port->close();
    m_port = nullptr;
    m_version.clear();
    m_serialNumber.clear();
    emit gotSerialNumber(QString());
    emit gotVersion(QString());
    emit gotPortName(QString());
    SerialPortManager::instance()->releasePort(port, deviceTypeName());
    // A board whose port is gone is not connected, whoever closed it.
    setConnected(false);
}

void CurlyDevice::sendMessage(const QString& text, int waitWrittenMs)
{
    // Only an open port takes commands: a queue must never wait for a port that is gone.
    if (m_port && m_port->isOpen())
        m_sendQueue.append({m_port, text.toUtf8(), waitWrittenMs});
}

void CurlyDevice::sendBytes(QSerialPort* port, const QString& text, int waitWrittenMs, bool braces)
{
    sendFramed(port, text.toUtf8(), waitWrittenMs, braces);
}

void CurlyDevice::sendFramed(QSerialPort* port, const QByteArray& bytes, int waitWrittenMs, bool braces)
{
    const QByteArray framed = CurlyMessageParser::frame(bytes, braces, false);
    if (deduplicationWindow() <= 0) {
        writeToPort(port, framed, waitWrittenMs);
        return;
    }
    const bool alreadyPending =
        std::any_of(m_deduplicated.cbegin(), m_deduplicated.cend(),
                    [&](const PendingFrame& pending) { return pending.port == port && pending.framed == framed; });
    if (!alreadyPending)
        m_deduplicated.append({port, framed});
}

void CurlyDevice::writeToPort(QSerialPort* port, const QByteArray& bytes, int waitWrittenMs)
{
    if (!port || !port->isOpen()) {
        qDebug() << "PORT closed" << (port ? port->portName() : QStringLiteral("COM-UNKNOWN"));
        return;
    }
    m_lastWriteMs = monotonicNowMs();
    if (bytes.size() > WritePieceLength) {
        for (qsizetype at = 0; at < bytes.size(); at += WritePieceLength) {
            port->write(bytes.mid(at, WritePieceLength));
            port->waitForBytesWritten(WritePieceWaitMs);
        }
        return;
    }
    port->write(bytes);
    if (waitWrittenMs >= 1)
        port->waitForBytesWritten(waitWrittenMs);
}

void CurlyDevice::setKeepAlive(const QString& text, int intervalMs, bool braces)
{
    m_keepAliveText = text;
    m_keepAliveIntervalMs = std::max(intervalMs, MinKeepAliveIntervalMs);
    m_keepAliveInBraces = braces;
    m_keepAliveEnabled = true;
}

int CurlyDevice::keepAliveInterval() const
{
    return m_keepAliveIntervalMs;
}

void CurlyDevice::setConnected(bool connected)
{
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (connected) {
        emit connectedChanged(true);
        emit onConnected();
        return;
    }
    if (m_port)
        closeLostPort();
    emit connectedChanged(false);
    emit onDisconnected();
}

// The last thing written to a lost port is the board's safe state. The device does not reconnect
// by itself and nobody else holds the port, so its object ends here.
void CurlyDevice::closeLostPort()
{
    leavePortSafe();
    SerialPortManager::instance()->releasePort(m_port, deviceTypeName());
    // Held under another name (a test, a prober that never handed it over): still close it, so a
    // lost line stops reporting errors and takes no more writes.
    if (m_port->isOpen())
        m_port->close();
}

bool CurlyDevice::isConnected() const
{
    return m_connected;
}

QString CurlyDevice::currentPortName() const
{
    return m_port ? m_port->portName() : QStringLiteral("COM?");
}

QSerialPort* CurlyDevice::port() const
{
    return m_port;
}

QString CurlyDevice::serialNumber() const
{
    return m_serialNumber;
}

QString CurlyDevice::version() const
{
    return m_version;
}

qsizetype CurlyDevice::pendingSendCount() const
{
    return m_sendQueue.size();
}

bool CurlyDevice::isInvalidSerialNumberReply(const QString& reply)
{
    return reply == QLatin1String("sn=") || reply == QLatin1String("sn=000000")
           || reply.startsWith(QLatin1String("sn=yy"));
}

// A number garbled on the line, or one that cannot name the board's settings file, is neither
// taken nor replaced by a new one written to the board.
void CurlyDevice::takeMessage(const QString& msg)
{
    static const QLatin1String serialNumberKey("sn=");
    if (!msg.startsWith(serialNumberKey)) {
        handleMessage(msg);
        return;
    }
    const QString number = msg.mid(serialNumberKey.size());
    if (number.size() > MaxSerialNumberLength)
        refuseSerialNumber(QStringLiteral("longer than %1 characters").arg(MaxSerialNumberLength));
    else if (!ClassicKestrumCodec::hasOnlyNameCharacters(number))
        refuseSerialNumber(QStringLiteral("with characters other than letters, digits, '-' and '_'"));
    else
        handleMessage(msg);
}

void CurlyDevice::refuseSerialNumber(const QString& fault)
{
    GlobalConsole::writeItem(QStringLiteral("%1 on %2 reported a serial number %3; it is ignored")
                                 .arg(deviceTypeName(), currentPortName(), fault),
                             QStringLiteral("Error"));
}

bool CurlyDevice::takeVersionReply(const QString& reply)
{
    for (const QLatin1String key : {QLatin1String("version="), QLatin1String("v=")}) {
        if (reply.startsWith(key)) {
            m_version = reply.mid(key.size());
            emit gotVersion(m_version);
            return true;
        }
    }
    return false;
}

QString CurlyDevice::datedSerialNumber(const QString& prefix, int lowest, int highest)
{
    const int number = QRandomGenerator::global()->bounded(lowest, highest + 1);
    return prefix + QDate::currentDate().toString(QStringLiteral("yyMM")) + QString::number(number);
}

void CurlyDevice::runInBoardThread(std::function<void()> call)
{
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    // Posted under the lock the call takes first: Qt's own hand-over of posted events is
    // invisible to ThreadSanitizer.
    std::lock_guard<std::mutex> handOver(handOverMutex());
    QMetaObject::invokeMethod(
        this,
        [call = std::move(call)] {
            {
                std::lock_guard<std::mutex> lock(handOverMutex());
            }
            call();
        },
        Qt::QueuedConnection);
}

void CurlyDevice::runInBoardThreadAndWait(std::function<void()> call)
{
    // A call dropped unrun with the board breaks the promise, which ends the wait as well.
    auto ran = std::make_shared<std::promise<void>>();
    std::future<void> done = ran->get_future();
    runInBoardThread([call = std::move(call), ran = std::move(ran)] {
        call();
        ran->set_value();
    });
    done.wait();
}

QString CurlyDevice::probeRequest() const
{
    return QStringLiteral("whois");
}

QString CurlyDevice::deviceTypeName() const
{
    return QStringLiteral("GenericCurly");
}

int CurlyDevice::baudRate() const
{
    return 115200;
}

int CurlyDevice::parity() const
{
    return QSerialPort::NoParity;
}

int CurlyDevice::stopBits() const
{
    return QSerialPort::OneStop;
}

int CurlyDevice::dataBits() const
{
    return QSerialPort::Data8;
}

QByteArray CurlyDevice::serialNumberRequest() const
{
    return QByteArrayLiteral("sn");
}

QByteArray CurlyDevice::initRequest() const
{
    return QByteArray();
}

bool CurlyDevice::isTextProtocol() const
{
    return true;
}

int CurlyDevice::deduplicationWindow() const
{
    return 0;
}

void CurlyDevice::handleBytes(const QByteArray&)
{
}

bool CurlyDevice::handleRawBytes(const QByteArray&)
{
    return false;
}

QString CurlyDevice::safeStateMessage() const
{
    return QString();
}

void CurlyDevice::exchangeTimerHandler()
{
    flushQueue();
    sendKeepAliveWhenIdle();
}

void CurlyDevice::flushQueue()
{
    sendQueue();
    sendDeduplicated();
}

void CurlyDevice::sendQueue()
{
    // Taken out first: a write that fails may lead to the queue being emptied underneath.
    const QList<PendingSend> queue = std::exchange(m_sendQueue, {});
    for (const PendingSend& entry : queue)
        sendFramed(entry.port, entry.bytes, entry.waitWrittenMs, true);
}

void CurlyDevice::sendDeduplicated()
{
    const QList<PendingFrame> frames = std::exchange(m_deduplicated, {});
    for (const PendingFrame& frame : frames)
        writeToPort(frame.port, frame.framed, 0);
}

void CurlyDevice::sendKeepAliveWhenIdle()
{
    if (!m_keepAliveEnabled || !m_keepAliveGate || !m_port || !m_port->isOpen())
        return;
    if (monotonicNowMs() - m_lastWriteMs < m_keepAliveIntervalMs)
        return;
    sendBytes(m_port, m_keepAliveText, 0, m_keepAliveInBraces);
}

void CurlyDevice::leavePortSafe()
{
    const QString safeState = safeStateMessage();
    if (!safeState.isEmpty() && (m_sendQueue.isEmpty() || m_sendQueue.last().bytes != safeState.toUtf8()))
        sendMessage(safeState);
    flushQueue();
    if (m_port && m_port->isOpen())
        m_port->waitForBytesWritten(FinalFlushWaitMs);
    dropQueuedSends();
}

void CurlyDevice::dropQueuedSends()
{
    m_sendQueue.clear();
    m_deduplicated.clear();
}

void CurlyDevice::onReadyRead()
{
    if (!m_port || !m_port->isOpen())
        return;
    const QByteArray chunk = m_port->readAll();
    if (chunk.isEmpty() || handleRawBytes(chunk) || !m_parser)
        return;
    if (isTextProtocol())
        m_parser->parseUtf8(chunk);
    else
        m_parser->parseBytes(chunk);
}

void CurlyDevice::onSerialError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    qDebug() << "CURLY ERROR:" << currentPortName() << errorName(error);
    setConnected(false);
}
