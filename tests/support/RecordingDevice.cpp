#include "RecordingDevice.h"

#include "Clock.h"

#include <QMetaEnum>

RecordingDevice::RecordingDevice(Clock* clock, const QString& serialNumber)
    : m_clock(clock ? clock : Clock::system())
{
    m_serialNumber = serialNumber;
}

// Copied element by element under the lock: a list that shared the recorded one's storage
// would be read, or detached, by the caller while the apparatus thread appends to the original.
QList<RecordingDevice::Command> RecordingDevice::commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return QList<Command>(m_commands.cbegin(), m_commands.cend());
}

QStringList RecordingDevice::texts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QStringList texts;
    texts.reserve(m_commands.size());
    for (const Command& command : m_commands)
        texts << command.text;
    return texts;
}

QStringList RecordingDevice::takeTexts()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QStringList texts;
    for (qsizetype i = m_taken; i < m_commands.size(); ++i)
        texts << m_commands.at(i).text;
    m_taken = m_commands.size();
    return texts;
}

bool RecordingDevice::gridLiveAt(qint64 nowMs) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_gridMilliamperes > 0.0 && (m_gridEndsMs < 0 || nowMs < m_gridEndsMs);
}

bool RecordingDevice::gridLive() const
{
    return gridLiveAt(m_clock->monotonicMs());
}

void RecordingDevice::record(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands << Command{m_clock->monotonicMs(), text};
}

void RecordingDevice::applyAllOff()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_gridMilliamperes = 0.0;
    }
    record(QStringLiteral("off"));
}

void RecordingDevice::applyCircuit(double milliamperes, int durationMs)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_gridMilliamperes = milliamperes;
        m_gridEndsMs = durationMs > 0 ? m_clock->monotonicMs() + durationMs : -1;
    }
    record(QStringLiteral("grid %1 %2").arg(QString::number(milliamperes, 'f', 1)).arg(durationMs));
}

void RecordingDevice::applyLightLevels(int leftPercent, int rightPercent, int durationMs)
{
    record(QStringLiteral("light %1,%2 %3").arg(leftPercent).arg(rightPercent).arg(durationMs));
}

void RecordingDevice::applySound(KestrumSide side, int toneHz, int durationMs)
{
    const char* sideName = QMetaEnum::fromType<KestrumSide>().valueToKey(side);
    record(QStringLiteral("sound %1 %2 %3").arg(QLatin1String(sideName)).arg(toneHz).arg(durationMs));
}

void RecordingDevice::applyDoorOpen(bool open)
{
    record(open ? QStringLiteral("door open") : QStringLiteral("door closed"));
}
