#include "SerialPortEnumerator.h"

#include <QMutexLocker>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

struct EnumeratorState
{
    QMutex mutex;
    QList<SerialPortEntry> extraPorts;
    bool systemPortsIncluded = true;
};

EnumeratorState& state()
{
    static EnumeratorState instance;
    return instance;
}

SerialPortEntry entryFromInfo(const QSerialPortInfo& info)
{
    return {info.portName(), info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber()};
}

} // namespace

QList<SerialPortEntry> SerialPortEnumerator::availablePorts()
{
    QList<SerialPortEntry> ports;
    if (systemPortsIncluded()) {
        const auto infos = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo& info : infos)
            ports.append(entryFromInfo(info));
    }
    QMutexLocker locker(&state().mutex);
    for (const SerialPortEntry& extra : std::as_const(state().extraPorts)) {
        const bool listed = std::any_of(ports.cbegin(), ports.cend(),
                                        [&](const SerialPortEntry& port) { return port.portName == extra.portName; });
        if (!listed)
            ports.append(extra);
    }
    return ports;
}

void SerialPortEnumerator::addExtraPort(const SerialPortEntry& entry)
{
    SerialPortEntry extra = entry;
    if (extra.portName.isEmpty())
        extra.portName = portNameFromLocation(extra.systemLocation);
    removeExtraPort(extra.systemLocation);
    QMutexLocker locker(&state().mutex);
    state().extraPorts.append(extra);
}

void SerialPortEnumerator::addExtraPort(const QString& systemLocation, const QString& description,
                                        const QString& manufacturer)
{
    addExtraPort(SerialPortEntry{QString(), systemLocation, description, manufacturer, QString()});
}

void SerialPortEnumerator::removeExtraPort(const QString& systemLocation)
{
    QMutexLocker locker(&state().mutex);
    state().extraPorts.removeIf([&](const SerialPortEntry& entry) { return entry.systemLocation == systemLocation; });
}

void SerialPortEnumerator::clearExtraPorts()
{
    QMutexLocker locker(&state().mutex);
    state().extraPorts.clear();
}

void SerialPortEnumerator::setSystemPortsIncluded(bool included)
{
    QMutexLocker locker(&state().mutex);
    state().systemPortsIncluded = included;
}

bool SerialPortEnumerator::systemPortsIncluded()
{
    QMutexLocker locker(&state().mutex);
    return state().systemPortsIncluded;
}

QString SerialPortEnumerator::portNameFromLocation(const QString& systemLocation)
{
    static const QString devPrefix = QStringLiteral("/dev/");
    if (systemLocation.startsWith(devPrefix))
        return systemLocation.mid(devPrefix.size());
    return systemLocation;
}
