#include "StartleSensor.h"

#include "GlobalConsole.h"
#include "KestrumConstants.h"

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

#include <cmath>

namespace {

const QString serialNumberKey = QStringLiteral("sn=");

// Files being recorded by some sensor right now. Two sensors appending to one file would
// interleave their samples into a file neither run could read back.
struct RecordingRegistry
{
    QMutex mutex;
    QSet<QString> paths;
};

RecordingRegistry& recordings()
{
    static RecordingRegistry registry;
    return registry;
}

QString recordingKey(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

bool claimRecording(const QString& path)
{
    QMutexLocker locker(&recordings().mutex);
    if (recordings().paths.contains(recordingKey(path)))
        return false;
    recordings().paths.insert(recordingKey(path));
    return true;
}

void releaseRecording(const QString& path)
{
    QMutexLocker locker(&recordings().mutex);
    recordings().paths.remove(recordingKey(path));
}

float axisFromSensorUnits(const QString& text)
{
    return float(std::abs(text.toInt())) / 100.0f;
}

} // namespace

StartleSensor::StartleSensor(QSerialPort* port, QObject* parent)
    : CurlyDevice(port, parent)
{
    qRegisterMetaType<SensorSample>("SensorSample");
}

StartleSensor::~StartleSensor()
{
    closeRecordFile();
}

QString StartleSensor::deviceTypeName() const
{
    return KestrumConstants::StartleTypeName;
}

QString StartleSensor::probeRequest() const
{
    return QStringLiteral("startle");
}

QString StartleSensor::greetingText() const
{
    return QStringLiteral("iamstartle");
}

int StartleSensor::baudRate() const
{
    return 19200;
}

QString StartleSensor::generateSerialNumber()
{
    return datedSerialNumber(QString(), 10, 98);
}

void StartleSensor::requestIdentification()
{
    sendBytes(port(), QStringLiteral("initT"), 0, true);
}

void StartleSensor::handleMessage(const QString& msg)
{
    if (msg.startsWith(serialNumberKey))
        handleSerialNumberReply(msg);
    else if (msg.startsWith(QStringLiteral("x:")))
        handleSample(msg);
    else
        takeVersionReply(msg);
    emit onMessage(msg);
}

void StartleSensor::handleSerialNumberReply(const QString& msg)
{
    qDebug() << "SMMM";
    // Unlike the other boards, an empty number is kept as it is: only the factory and
    // damaged-memory patterns are rewritten in the sensor.
    if (msg == QLatin1String("sn=000000") || msg.startsWith(QLatin1String("sn=yy"))) {
        sendMessage(QStringLiteral("writesn=") + generateSerialNumber());
        sendMessage(QStringLiteral("sn"));
    }
    m_serialNumber = msg.mid(serialNumberKey.size());
    emit gotSerialNumber(m_serialNumber);
}

SensorSample StartleSensor::parseSampleLine(const QString& line, qint64 defaultTimeMs)
{
    SensorSample sample;
    sample.t = defaultTimeMs;
    const QStringList pieces = line.split(QLatin1Char(','));
    for (const QString& piece : pieces) {
        const QStringList keyValue = piece.split(QLatin1Char(':'));
        if (keyValue.size() != 2)
            continue;
        const QString& key = keyValue.at(0);
        if (key == QLatin1String("x"))
            sample.x = axisFromSensorUnits(keyValue.at(1));
        else if (key == QLatin1String("y"))
            sample.y = axisFromSensorUnits(keyValue.at(1));
        else if (key == QLatin1String("z"))
            sample.z = axisFromSensorUnits(keyValue.at(1));
        else if (key == QLatin1String("t"))
            sample.t = keyValue.at(1).toLongLong();
    }
    return sample;
}

void StartleSensor::handleSample(const QString& line)
{
    m_lastRaw = parseSampleLine(line, QDateTime::currentMSecsSinceEpoch());
    // The first sample after start-up is the baseline.
    if (!m_calibrated)
        calibrate();
    SensorSample sample = m_lastRaw;
    sample.x -= m_offsetX;
    sample.y -= m_offsetY;
    sample.z -= m_offsetZ;
    emit sensorSample(sample);
    record(sample);
}

void StartleSensor::calibrate()
{
    qDebug() << "CALIB";
    m_offsetX = m_lastRaw.x;
    m_offsetY = m_lastRaw.y;
    m_offsetZ = m_lastRaw.z;
    m_calibrated = true;
}

QString StartleSensor::formatSampleLine(const SensorSample& sample, qint64 startMs)
{
    return SensorSample::recordLine(sample, startMs);
}

bool StartleSensor::openRecordFile(const QString& path)
{
    closeRecordFile();
    if (!claimRecording(path)) {
        GlobalConsole::writeItem(
            QStringLiteral("Startle recording: %1 is already being recorded by another sensor").arg(path),
            QStringLiteral("Error"));
        return false;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        GlobalConsole::writeItem(QStringLiteral("Startle recording: cannot open %1: %2").arg(path, file->errorString()),
                                 QStringLiteral("Error"));
        releaseRecording(path);
        return false;
    }
    m_recordFile = std::move(file);
    return true;
}

void StartleSensor::closeRecordFile()
{
    m_recordStartMs = -1;
    if (!m_recordFile)
        return;
    if (!m_recordFile->flush())
        reportRecordingFailure(m_recordFile->errorString());
    forgetRecordFile();
}

void StartleSensor::forgetRecordFile()
{
    m_recordStartMs = -1;
    releaseRecording(m_recordFile->fileName());
    m_recordFile.reset();
}

bool StartleSensor::isRecording() const
{
    return m_recordFile != nullptr;
}

void StartleSensor::record(const SensorSample& sample)
{
    if (!m_recordFile)
        return;
    if (m_recordStartMs == -1)
        m_recordStartMs = sample.t;
    const QByteArray line = formatSampleLine(sample, m_recordStartMs).toUtf8();
    // Flushed line by line: a crash loses at most the sample being written.
    if (m_recordFile->write(line) != line.size() || !m_recordFile->flush()) {
        reportRecordingFailure(m_recordFile->errorString());
        forgetRecordFile();
    }
}

void StartleSensor::reportRecordingFailure(const QString& what)
{
    GlobalConsole::writeItem(
        QStringLiteral("Startle recording: writing %1 failed: %2").arg(m_recordFile->fileName(), what),
        QStringLiteral("Error"));
}
