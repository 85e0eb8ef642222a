#include "StartleSensor.h"

#include "GlobalConsole.h"
#include "KestrumConstants.h"

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
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

enum class NumberKind { NoNumber, InRange, OutOfRange };

struct SensorNumber
{
    NumberKind kind = NumberKind::NoNumber;
    qint64 value = 0;
};

// A whole number of a sample line, checked against [-limit, limit] before anything is
// computed from it. Digits too many even for 64 bits are a number too, only out of range.
SensorNumber readSensorNumber(const QString& text, qint64 limit)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (ok)
        return {value >= -limit && value <= limit ? NumberKind::InRange : NumberKind::OutOfRange, value};
    static const QRegularExpression digits(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    return {digits.match(text).hasMatch() ? NumberKind::OutOfRange : NumberKind::NoNumber, 0};
}

float* axisOf(SensorSample& sample, const QString& key)
{
    if (key == QLatin1String("x"))
        return &sample.x;
    if (key == QLatin1String("y"))
        return &sample.y;
    if (key == QLatin1String("z"))
        return &sample.z;
    return nullptr;
}

// Takes one "key:value" piece into the sample: an axis as its magnitude in hundredths, "t" as
// the time. False when the piece's number is out of range.
bool takePiece(SensorSample& sample, const QString& key, const QString& value)
{
    float* const axis = axisOf(sample, key);
    const bool isTime = key == QLatin1String("t");
    if (!axis && !isTime)
        return true;
    const SensorNumber number =
        readSensorNumber(value, isTime ? SensorSample::MaxTimeMs : SensorSample::MaxSensorUnits);
    if (number.kind != NumberKind::InRange)
        return number.kind == NumberKind::NoNumber;
    if (isTime)
        sample.t = number.value;
    else
        *axis = float(std::abs(number.value)) / 100.0f;
    return true;
}

} // namespace

StartleSensor::StartleSensor(QSerialPort* port, QObject* parent)
    : CurlyDevice(port, parent)
{
    qRegisterMetaType<SensorSample>("SensorSample");
}

StartleSensor::~StartleSensor()
{
    finishRecording();
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

std::optional<SensorSample> StartleSensor::parseSampleLine(const QString& line, qint64 defaultTimeMs)
{
    SensorSample sample;
    sample.t = defaultTimeMs;
    const QStringList pieces = line.split(QLatin1Char(','));
    for (const QString& piece : pieces) {
        const QStringList keyValue = piece.split(QLatin1Char(':'));
        if (keyValue.size() == 2 && !takePiece(sample, keyValue.at(0), keyValue.at(1)))
            return std::nullopt;
    }
    return sample;
}

void StartleSensor::handleSample(const QString& line)
{
    const std::optional<SensorSample> raw = parseSampleLine(line, QDateTime::currentMSecsSinceEpoch());
    if (!raw) {
        GlobalConsole::writeItem(QStringLiteral("Startle sensor on %1: line dropped, a number is out of range: %2")
                                     .arg(currentPortName().toHtmlEscaped(), line.toHtmlEscaped()),
                                 QStringLiteral("Error"));
        return;
    }
    m_lastRaw = *raw;
    // The first sample after start-up is the baseline.
    if (!m_calibrated)
        takeBaseline();
    SensorSample sample = m_lastRaw;
    sample.x -= m_offsetX;
    sample.y -= m_offsetY;
    sample.z -= m_offsetZ;
    emit sensorSample(sample);
    record(sample);
}

void StartleSensor::calibrate()
{
    runInBoardThread([this] { takeBaseline(); });
}

void StartleSensor::takeBaseline()
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
    bool opened = false;
    runInBoardThreadAndWait([this, &path, &opened] { opened = startRecording(path); });
    return opened;
}

bool StartleSensor::startRecording(const QString& path)
{
    finishRecording();
    if (!claimRecording(path)) {
        GlobalConsole::writeItem(QStringLiteral("Startle recording: %1 is already being recorded by another sensor")
                                     .arg(path.toHtmlEscaped()),
                                 QStringLiteral("Error"));
        return false;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        GlobalConsole::writeItem(QStringLiteral("Startle recording: cannot open %1: %2")
                                     .arg(path.toHtmlEscaped(), file->errorString().toHtmlEscaped()),
                                 QStringLiteral("Error"));
        releaseRecording(path);
        return false;
    }
    m_recordFile = std::move(file);
    return true;
}

void StartleSensor::closeRecordFile()
{
    runInBoardThreadAndWait([this] { finishRecording(); });
}

void StartleSensor::finishRecording()
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

bool StartleSensor::isRecording()
{
    bool recording = false;
    runInBoardThreadAndWait([this, &recording] { recording = m_recordFile != nullptr; });
    return recording;
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
    GlobalConsole::writeItem(QStringLiteral("Startle recording: writing %1 failed: %2")
                                 .arg(m_recordFile->fileName().toHtmlEscaped(), what.toHtmlEscaped()),
                             QStringLiteral("Error"));
}
