#pragma once

#include "ConnectionHelper.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QString>

#include <functional>

class CurlyMessageParser;
class QTimer;

// Base of every board that speaks the brace-framed text protocol on its own serial port.
//
// Commands are queued and written together by a 50 ms exchange step, followed by an optional
// keep-alive after a period of silence. The port belongs to SerialPortManager; the device only
// borrows it under its type name.
//
// Before the port closes for any reason (closePort, a port error, disconnection) the board's
// safe-state message, if it has one, is written and flushed after everything queued, and the
// queue is then emptied: nothing is left queued to a closed port, and nothing is ever written
// through a port object that was released.
class CurlyDevice : public QObject
{
    Q_OBJECT
public:
    static constexpr int ExchangeIntervalMs = 50;
    static constexpr int MinKeepAliveIntervalMs = 50;
    static constexpr int WritePieceLength = 128;
    static constexpr int WritePieceWaitMs = 10;
    static constexpr int FinalFlushWaitMs = 100;
    // A serial number names the board's settings file: a longer one would make a file name that
    // cannot exist, and no board's scheme comes near it.
    static constexpr int MaxSerialNumberLength = 32;

    explicit CurlyDevice(QSerialPort* port, QObject* parent = nullptr);
    ~CurlyDevice() override;

    void openPort();
    void closePort();

    void sendMessage(const QString& text, int waitWrittenMs = 0);
    // Writes everything queued now instead of at the next exchange step.
    void flushQueue();
    void sendBytes(QSerialPort* port, const QString& text, int waitWrittenMs, bool braces);
    void sendFramed(QSerialPort* port, const QByteArray& bytes, int waitWrittenMs, bool braces);
    void writeToPort(QSerialPort* port, const QByteArray& bytes, int waitWrittenMs);

    void setKeepAlive(const QString& text, int intervalMs, bool braces);
    int keepAliveInterval() const;

    void setConnected(bool connected);
    bool isConnected() const;
    QString currentPortName() const;
    QSerialPort* port() const;
    QString serialNumber() const;
    QString version() const;
    qsizetype pendingSendCount() const;

    // A serial-number reply the board must be given a new number for: "sn=" with nothing after
    // it, or what a board fresh from the factory (or with a damaged memory) reports,
    // "sn=000000" and "sn=yy...".
    static bool isInvalidSerialNumberReply(const QString& reply);

public slots:
    virtual QString probeRequest() const;
    virtual QString deviceTypeName() const;
    virtual QString generateSerialNumber() = 0;
    virtual QString greetingText() const = 0;
    virtual int baudRate() const;
    virtual int parity() const;
    virtual int stopBits() const;
    virtual int dataBits() const;
    virtual QByteArray serialNumberRequest() const;
    virtual QByteArray initRequest() const;
    virtual bool isTextProtocol() const;
    virtual int deduplicationWindow() const;
    virtual void handleMessage(const QString& msg) = 0;
    // A text message as the port delivered it: handed to handleMessage, but a serial number that
    // is line noise, no plain file name or longer than MaxSerialNumberLength.
    void takeMessage(const QString& msg);
    virtual void handleBytes(const QByteArray& msg);
    virtual void requestIdentification() = 0;
    // A board may consume a received chunk itself before the parser sees it (true = consumed).
    virtual bool handleRawBytes(const QByteArray& bytes);

    void exchangeTimerHandler();

signals:
    void onConnected();
    void onDisconnected();
    void connectedChanged(bool connected);
    void gotVersion(const QString& version);
    void gotSerialNumber(const QString& sn);
    void gotPortName(const QString& portName);
    void onMessage(const QString& msg);
    void specialGreetingDetected(const QString& message, bool& stop);

protected:
    // The text that leaves the board harmless (everything off); written last before the port
    // closes. Empty: the board has nothing to switch off.
    virtual QString safeStateMessage() const;

    // Stores and announces the version a "version=..." or "v=..." reply carries; false for any
    // other reply.
    bool takeVersionReply(const QString& reply);
    // The prefix, the current date as "yyMM", then a number drawn uniformly from lowest to
    // highest inclusive: the serial-number scheme of the boards.
    static QString datedSerialNumber(const QString& prefix, int lowest, int highest);

    // Runs the call in the thread the board lives in: at once when called from there, otherwise
    // queued behind the calls handed over before it. The waiting form returns once the call has
    // run, or has been dropped with the board.
    void runInBoardThread(std::function<void()> call);
    void runInBoardThreadAndWait(std::function<void()> call);

    QString m_version;
    QString m_serialNumber;

private slots:
    void onReadyRead();
    void onSerialError(QSerialPort::SerialPortError error);

private:
    struct PendingSend
    {
        QPointer<QSerialPort> port;
        QByteArray bytes;
        int waitWrittenMs = 0;
    };
    struct PendingFrame
    {
        QPointer<QSerialPort> port;
        QByteArray framed;
    };

    void sendQueue();
    void sendDeduplicated();
    void sendKeepAliveWhenIdle();
    void leavePortSafe();
    void dropQueuedSends();
    void closeLostPort();
    void refuseSerialNumber(const QString& fault);

    CurlyMessageParser* m_parser = nullptr;
    bool m_connected = false;
    bool m_keepAliveGate = true;
    QTimer* m_exchangeTimer = nullptr;
    ConnectionHelper m_timerConnections;
    ConnectionHelper m_portConnections;
    QPointer<QSerialPort> m_port;
    QList<PendingSend> m_sendQueue;
    qint64 m_lastWriteMs = 0;
    QString m_keepAliveText = QStringLiteral("ping");
    int m_keepAliveIntervalMs = 1000;
    bool m_keepAliveInBraces = true;
    bool m_keepAliveEnabled = false;
    QList<PendingFrame> m_deduplicated;
};
