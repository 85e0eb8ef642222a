#pragma once

#include <QList>
#include <QMutex>
#include <QString>

// One serial port as the system (or a test) reports it.
struct SerialPortEntry
{
    QString portName;       // the name QSerialPort::portName() gives, e.g. "ttyUSB0" or "pts/3"
    QString systemLocation; // the path that opens it, e.g. "/dev/ttyUSB0"
    QString description;
    QString manufacturer;
    QString serialNumber;
};

// The list of serial ports the program may use: what QSerialPortInfo reports, followed by
// extra port paths that it does not list (pseudo-terminals on Linux). Tests put the far end of
// a scripted board here so that the real discovery code finds it, and may hide the system's
// own ports so that no real hardware is touched.
class SerialPortEnumerator
{
public:
    static QList<SerialPortEntry> availablePorts();

    // The entry's port name is derived from the path when left empty.
    static void addExtraPort(const SerialPortEntry& entry);
    static void addExtraPort(const QString& systemLocation, const QString& description,
                             const QString& manufacturer = QString());
    static void removeExtraPort(const QString& systemLocation);
    static void clearExtraPorts();

    static void setSystemPortsIncluded(bool included);
    static bool systemPortsIncluded();

    // "/dev/pts/3" -> "pts/3", "/dev/ttyS0" -> "ttyS0", as QSerialPort names them.
    static QString portNameFromLocation(const QString& systemLocation);
};
