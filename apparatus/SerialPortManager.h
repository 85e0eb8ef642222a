#pragma once

#include "SerialPortEnumerator.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <mutex>

class QSerialPort;
class QThread;

// The one place that creates serial port objects and records who holds each, so that a port is
// used by one owner at a time and can be handed from the prober to the device it found.
// Owners are plain strings: a device type name, or the prober's "_" + type name.
//
// Ports that leave the table through closePort or setPortOwner with an empty owner stay
// alive, since a device may still refer to them. releasePort and releaseOwner end a port
// object's life.
//
// The prober calls in from the user-interface thread and devices from the apparatus thread, so
// the table is guarded by a mutex and keeps each port's name itself. A port object is closed in
// the thread it lives in and deleted with deleteLater.
class SerialPortManager : public QObject
{
    Q_OBJECT
public:
    static SerialPortManager* instance();

    QSerialPort* openPort(const QString& portName, const QString& owner);
    QList<SerialPortEntry> availablePorts(const QString& owner) const;
    QStringList availablePortNames(const QString& owner) const;
    void setPortOwner(QSerialPort* port, const QString& owner);
    void releasePort(QSerialPort* port, const QString& owner);
    void closePort(const QString& portName, const QString& owner);
    int releaseOwner(const QString& owner);
    void debugPrintPorts() const;

    // The owner recorded for a port; empty when the port is not in the table.
    QString ownerOf(const QSerialPort* port) const;
    // The table, port by port, in table order (for the tests).
    QList<QPair<QSerialPort*, QString>> ports() const;

    struct PortState
    {
        QString portName;
        QString owner;
        bool open = false;
        qint32 baudRate = 0;
    };
    // What every port in the table reports, each read in the thread it lives in, so that the
    // port status view never touches a port across threads.
    QList<PortState> portStates() const;
    // Records that the port now lives in another thread (the apparatus thread adopted it).
    void portMoved(QSerialPort* port, QThread* thread);

private:
    struct Holding
    {
        QString portName;
        QString owner;
        // Set where the port was made; only the thread it lives in dereferences it.
        QPointer<QSerialPort> guard;
        QThread* thread = nullptr;
    };

    SerialPortManager() = default;

    // These expect the table's mutex to be held.
    QSerialPort* findPort(const QString& portName, const QString& owner) const;
    bool isHeldByAnother(const QString& portName, const QString& owner) const;
    QSerialPort* createPort(const SerialPortEntry& entry, const QString& owner);

    static void closeInItsThread(QSerialPort* port);

    mutable std::mutex m_mutex;
    QMap<QSerialPort*, Holding> m_table;
};
