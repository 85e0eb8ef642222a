#include "ScriptedBoard.h"

#include "SerialPortEnumerator.h"
#include "SerialPortManager.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

ScriptedBoard::ScriptedBoard(const QString& description, const QString& manufacturer, QObject* parent)
    : QObject(parent)
{
    if (!openTerminal(m_master, m_nearEnd, m_portPath))
        return;
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ScriptedBoard::readAvailable);
    SerialPortEnumerator::addExtraPort(m_portPath, description, manufacturer);
}

ScriptedBoard::~ScriptedBoard()
{
    SerialPortEnumerator::removeExtraPort(m_portPath);
    closeFarEnd();
    if (m_nearEnd >= 0)
        ::close(m_nearEnd);
}

bool ScriptedBoard::openTerminal(int& farEnd, int& nearEnd, QString& nearPath)
{
    char path[256] = {};
    if (openpty(&farEnd, &nearEnd, path, nullptr, nullptr) != 0) {
        qWarning("ScriptedBoard: openpty failed: %s", strerror(errno));
        return false;
    }
    termios settings{};
    tcgetattr(nearEnd, &settings);
    cfmakeraw(&settings);
    tcsetattr(nearEnd, TCSANOW, &settings);
    fcntl(farEnd, F_SETFL, fcntl(farEnd, F_GETFL) | O_NONBLOCK);
    nearPath = QString::fromLocal8Bit(path);
    return true;
}

bool ScriptedBoard::isValid() const
{
    return m_nearEnd >= 0;
}

QString ScriptedBoard::portPath() const
{
    return m_portPath;
}

QString ScriptedBoard::portName() const
{
    return SerialPortEnumerator::portNameFromLocation(m_portPath);
}

QSerialPort* ScriptedBoard::takePort(const QString& owner, qint32 baudRate, QSerialPort::Parity parity)
{
    QSerialPort* port = SerialPortManager::instance()->openPort(portName(), owner);
    if (!port)
        return nullptr;
    port->setBaudRate(baudRate);
    port->setParity(parity);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::OneStop);
    if (!port->isOpen() && !port->open(QIODevice::ReadWrite)) {
        qWarning("ScriptedBoard: cannot open %s: %s", qPrintable(m_portPath), qPrintable(port->errorString()));
        SerialPortManager::instance()->releasePort(port, owner);
        return nullptr;
    }
    return port;
}

void ScriptedBoard::replyToFrame(const QByteArray& payload, const QByteArray& reply)
{
    m_frameRules.append({payload, reply});
}

void ScriptedBoard::replyToBytes(const QByteArray& needle, const QByteArray& reply)
{
    m_byteRules.append({needle, reply});
}

void ScriptedBoard::setFrameHandler(FrameHandler handler)
{
    m_frameHandler = std::move(handler);
}

void ScriptedBoard::clearRules()
{
    m_frameRules.clear();
    m_byteRules.clear();
    m_frameHandler = nullptr;
}

void ScriptedBoard::send(const QByteArray& bytes)
{
    // The device reads in this same thread, so a terminal that stays full would never drain.
    const QDeadlineTimer deadline(5000);
    qsizetype written = 0;
    while (m_master >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + written, size_t(bytes.size() - written));
        if (n > 0)
            written += n;
        else if ((n < 0 && errno != EAGAIN && errno != EINTR) || deadline.hasExpired())
            break;
    }
    if (m_master >= 0 && written < bytes.size())
        qWarning("ScriptedBoard: only %lld of %lld bytes reached %s", qlonglong(written), qlonglong(bytes.size()),
                 qPrintable(m_portPath));
}

void ScriptedBoard::readAvailable()
{
    if (m_master < 0)
        return;
    QByteArray chunk;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            chunk.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: nothing more for now
    }
    if (chunk.isEmpty())
        return;
    m_received.append(chunk);
    emit bytesReceived(chunk);
    answer(chunk);
}

void ScriptedBoard::answer(const QByteArray& bytes)
{
    answerFrames(bytes);
    answerByteRules(bytes);
}

void ScriptedBoard::answerFrames(const QByteArray& bytes)
{
    m_frameBuffer.append(bytes);
    const qsizetype lastEnd = m_frameBuffer.lastIndexOf('}');
    if (lastEnd < 0)
        return;
    const QList<QByteArray> frames = splitFrames(m_frameBuffer.left(lastEnd + 1));
    m_frameBuffer.remove(0, lastEnd + 1);
    for (const QByteArray& frame : frames) {
        for (const FrameRule& rule : std::as_const(m_frameRules)) {
            if (rule.payload == frame)
                send(rule.reply);
        }
        if (m_frameHandler)
            send(m_frameHandler(frame));
    }
}

void ScriptedBoard::answerByteRules(const QByteArray& bytes)
{
    if (m_byteRules.isEmpty())
        return;
    m_byteRuleBuffer.append(bytes);
    for (const ByteRule& rule : std::as_const(m_byteRules)) {
        const qsizetype at = m_byteRuleBuffer.indexOf(rule.needle);
        if (at < 0)
            continue;
        send(rule.reply);
        m_byteRuleBuffer.remove(0, at + rule.needle.size());
    }
}

QList<QByteArray> ScriptedBoard::splitFrames(const QByteArray& bytes)
{
    QList<QByteArray> frames;
    QByteArray current;
    bool inFrame = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        if (byte == '{') {
            inFrame = true;
            current.clear();
        } else if (byte == '}') {
            if (inFrame)
                frames.append(current);
            inFrame = false;
        } else if (inFrame && byte == '\\' && i + 1 < bytes.size()) {
            current.append(char(bytes[++i] ^ 0x20));
        } else if (inFrame) {
            current.append(byte);
        }
    }
    return frames;
}

QByteArray ScriptedBoard::received()
{
    readAvailable();
    return m_received;
}

QList<QByteArray> ScriptedBoard::receivedFrames()
{
    return splitFrames(received());
}

QStringList ScriptedBoard::receivedMessages()
{
    QStringList messages;
    const auto frames = receivedFrames();
    for (const QByteArray& frame : frames)
        messages.append(QString::fromUtf8(frame));
    return messages;
}

void ScriptedBoard::clearReceived()
{
    readAvailable();
    m_received.clear();
}

bool ScriptedBoard::waitForReceived(const QByteArray& needle, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!received().contains(needle)) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

void ScriptedBoard::closeFarEnd()
{
    if (m_master < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_master);
    m_master = -1;
    // The device's next read returns nothing, and Qt names that failure after whatever errno the
    // last system call of the device's thread left. The board's own non-blocking reads leave
    // EAGAIN, which Qt takes for a lost resource; a program's event loop usually leaves nothing,
    // which Qt reports as a read error at every turn of the loop. A device living in this thread
    // meets the usual case.
    errno = 0;
}

bool ScriptedBoard::isFarEndOpen() const
{
    return m_master >= 0;
}
