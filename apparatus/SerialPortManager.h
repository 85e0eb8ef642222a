#pragma once

#include "SerialPortEnumerator.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QSerialPort;

// The one place that creates serial port objects and records who holds each, so that a port is
// used by one owner at a time and can be handed from the prober to the device it found.
// Owners are plain strings: a device type name, or the prober's "_" + type name.
//
// Ports that leave the table through closePort or setPortOwner with an empty owner stay
// alive, since a device may still refer to them. releasePort and releaseOwner end a port
// object's life.
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
    // The table, port by port, in table order (for the port status view and the tests).
    QList<QPair<QSerialPort*, QString>> ports() const;

private:
    SerialPortManager() = default;

    QSerialPort* findPort(const QString& portName, const QString& owner) const;
    QSerialPort* createPort(const QString& portName, const QString& owner);

    QMap<QSerialPort*, QString> m_owners;
};
