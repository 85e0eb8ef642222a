#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <functional>

class QSocketNotifier;

// A serial board for tests: the far end of a real pseudo-terminal that answers like a
// scripted device. The device under test opens portPath() (its port name is portName()) like
// any serial port; the board records every byte that reaches it and replies by its rules.
//
// Rules are checked, in the order added, whenever bytes arrive:
//  - frame rules fire for each received brace frame ("{...}", escapes removed, a checksum byte
//    if any left in place) whose payload equals the rule's payload;
//  - byte rules fire when the bytes received since the last byte match contain the needle
//    (use them for unframed requests such as "{whois}\r\n" or a probe split over reads);
//  - a frame handler, if set, sees every frame and may return reply bytes (empty = none).
// Replies are written as given (frame them yourself, e.g. "{sn=S42612537}\r\n").
//
// The board keeps its own descriptor of the terminal's near end open, so the device may open
// and close its port as often as it likes without the board losing bytes; closeFarEnd() hangs
// the line up as if the board were unplugged.
class ScriptedBoard : public QObject
{
    Q_OBJECT
public:
    using FrameHandler = std::function<QByteArray(const QByteArray& payload)>;

    // Registers the port with SerialPortEnumerator (with this description and manufacturer)
    // so that SerialPortManager offers it; the destructor removes it again.
    explicit ScriptedBoard(const QString& description = QStringLiteral("Scripted board"),
                           const QString& manufacturer = QStringLiteral("Kestrum tests"), QObject* parent = nullptr);
    ~ScriptedBoard() override;

    bool isValid() const;
    QString portPath() const; // e.g. "/dev/pts/4"
    QString portName() const; // e.g. "pts/4", as QSerialPort and SerialPortManager name it

    // Borrows the board's port from SerialPortManager under the owner, configures and opens it,
    // as the prober does before it hands a port to a device. Null when that fails.
    QSerialPort* takePort(const QString& owner, qint32 baudRate = 115200,
                          QSerialPort::Parity parity = QSerialPort::NoParity);

    void replyToFrame(const QByteArray& payload, const QByteArray& reply);
    void replyToBytes(const QByteArray& needle, const QByteArray& reply);
    void setFrameHandler(FrameHandler handler);
    void clearRules();

    // Writes bytes to the device at once.
    void send(const QByteArray& bytes);

    // Everything received so far (reads what is waiting first), and its brace frames.
    QByteArray received();
    QList<QByteArray> receivedFrames();
    // Payloads of the received frames as text, e.g. {"sn", "grid=1.5", "off"}.
    QStringList receivedMessages();
    void clearReceived();
    // Waits, running the event loop, until the received bytes contain the needle.
    bool waitForReceived(const QByteArray& needle, int timeoutMs = 5000);

    // Hangs the line up: the device's port sees the far end vanish.
    void closeFarEnd();
    bool isFarEndOpen() const;

    // Splits bytes into brace frames with their escapes removed (the harness's own splitter, so
    // that tests do not check the parser with itself).
    static QList<QByteArray> splitFrames(const QByteArray& bytes);

    // Opens a pseudo-terminal with a raw near end (the device's port) and a far end that never
    // blocks; false, with a warning, when the system gives none.
    static bool openTerminal(int& farEnd, int& nearEnd, QString& nearPath);

signals:
    void bytesReceived(const QByteArray& bytes);

private:
    struct FrameRule
    {
        QByteArray payload;
        QByteArray reply;
    };
    struct ByteRule
    {
        QByteArray needle;
        QByteArray reply;
    };

    void readAvailable();
    void answer(const QByteArray& bytes);
    void answerFrames(const QByteArray& bytes);
    void answerByteRules(const QByteArray& bytes);

    int m_master = -1;
    int m_nearEnd = -1;
    QString m_portPath;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_received;
    QByteArray m_frameBuffer;
    QByteArray m_byteRuleBuffer;
    QList<FrameRule> m_frameRules;
    QList<ByteRule> m_byteRules;
    FrameHandler m_frameHandler;
};
