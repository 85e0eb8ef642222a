#pragma once

#include "ConnectionHelper.h"
#include "SerialPortEnumerator.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QSerialPort;
class QTimer;

// One kind of board the overseer looks for: how to talk to it and how it answers.
struct ProbeDeviceType
{
    QString name;
    int baudRate = 115200;
    int parity = 0;
    int stopBits = 1;
    int dataBits = 8;
    QByteArray request;
    QByteArray answer;
    bool keepOpen = true;
    int probeTimeMs = 1000;
};

// Finds boards instead of having them configured: one registered type per step, every free
// port is opened with that type's settings and sent its request; a port that answers is
// handed over to the type (SerialPortManager) and reported with deviceFound. Scanning goes on
// while the program runs, so boards plugged in later are found too.
class SerialPortOverseer : public QObject
{
    Q_OBJECT
public:
    static constexpr int minStepMs = 1000;
    static constexpr int secondWriteMs = 500;
    static constexpr int thirdWriteMs = 1600;
    static constexpr int lateWriteMarginMs = 100;

    explicit SerialPortOverseer(QObject* parent = nullptr);
    ~SerialPortOverseer() override;

    ProbeDeviceType* registerDeviceType(const QString& name, const QByteArray& request, const QByteArray& answer,
                                        int baudRate, int parity, int stopBits);
    ProbeDeviceType* registerProbeOnlyType(const QString& name, const QByteArray& request, const QByteArray& answer,
                                           int baudRate, int parity, int stopBits);

    void start(int periodMs);
    void stop();
    bool isRunning() const;
    int stepIntervalMs() const;
    // The type probed by the current step, or null before the first step.
    const ProbeDeviceType* currentType() const;

    // The owner name under which the overseer borrows ports while probing for a type.
    static QString ownerKey(const QString& typeName);
    // Built-in and Bluetooth serial ports are never probed: no board sits on them, and opening a
    // Bluetooth link makes the system try to reach a paired device.
    static bool isProbeablePort(const SerialPortEntry& port);
    // Adds one read of a probed port to what it sent before; true once that holds the answer
    // anywhere. Until then only a tail that may still begin the answer is kept, so a chattering
    // port cannot grow the buffer for the length of the window.
    static bool gatherReply(QByteArray& received, const QByteArray& chunk, const QByteArray& answer);

public slots:
    void scan();

signals:
    void deviceFound(const QString& type, const QString& portName);

private:
    struct ProbedPort
    {
        QPointer<QSerialPort> port;
        ConnectionHelper connections;
        QByteArray received;
    };

    void forgetProbedPorts();
    void probePort(const SerialPortEntry& entry, const ProbeDeviceType& type);
    bool openForProbing(QSerialPort* port, const ProbeDeviceType& type);
    void reportOpenFailure(const QString& portName, const QString& reason);
    void writeRequest(const QString& portName, int waitMs);
    void scheduleRewrite(const QString& portName, int delayMs, bool thenThird);
    void onProbeReply(const QString& portName, quint64 step);
    bool isBorrowedThisStep(const QString& portName, quint64 step) const;

    std::vector<std::unique_ptr<ProbeDeviceType>> m_types;
    ProbeDeviceType* m_currentType = nullptr;
    int m_currentIndex = -1;
    QTimer* m_stepTimer = nullptr;
    std::map<QString, ProbedPort> m_probed;
    // Counts steps, so that late replies and rewrites of an earlier step are recognised.
    quint64 m_step = 0;
    // Ports whose failure to open was already reported; reported again only after they opened.
    QSet<QString> m_reportedFailures;
};
