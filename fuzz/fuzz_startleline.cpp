// Feeds port text to a recording startle sensor and checks that a line it refuses changes
// nothing, that every sample it accepts stays within what a sample may carry, and that the
// recording holds one line per sample with the true time since the recording began.
#include "CurlyMessageParser.h"
#include "FuzzScratch.h"
#include "FuzzStream.h"
#include "StartleSensor.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr float MaxAxis = float(SensorSample::MaxSensorUnits) / 100.0f;

bool isSampleLine(const QString& message)
{
    return message.startsWith(QLatin1String("x:"));
}

void checkAccepted(const SensorSample& sample)
{
    for (int axis = 0; axis < 3; ++axis) {
        const float value = sample.axisValue(axis);
        if (!std::isfinite(value) || value < 0.0f || value > MaxAxis)
            std::abort();
    }
    // Times are subtracted from one another (and from the clock's): any two must give a
    // difference that fits, so each stays within half the 64-bit range.
    qint64 twice = 0;
    if (sample.t < -SensorSample::MaxTimeMs || sample.t > SensorSample::MaxTimeMs
        || __builtin_mul_overflow(sample.t, qint64(2), &twice))
        std::abort();
}

struct Recording
{
    QList<SensorSample> samples;
    QByteArray file;
};

// Runs the messages through a sensor that records into `fileName`, checking each message on
// the way: a refused line gives no sample.
Recording record(const QStringList& messages, const QString& fileName)
{
    Recording recording;
    const QString path = fuzzScratchPath(fileName);
    StartleSensor sensor(nullptr);
    QObject::connect(&sensor, &StartleSensor::sensorSample,
                     [&recording](const SensorSample& sample) { recording.samples.append(sample); });
    if (!sensor.openRecordFile(path))
        std::abort();
    for (const QString& message : messages) {
        const qsizetype before = recording.samples.size();
        const std::optional<SensorSample> parsed = StartleSensor::parseSampleLine(message, 0);
        if (parsed)
            checkAccepted(*parsed);
        sensor.handleMessage(message);
        if (recording.samples.size() != before + (isSampleLine(message) && parsed ? 1 : 0))
            std::abort();
    }
    sensor.closeRecordFile();
    recording.file = fuzzReadBack(path);
    return recording;
}

// One line per sample: its time since the first, then three numbers within the reach of a
// reading (a reading minus its baseline, both of them magnitudes).
void checkRecordedLines(const Recording& recording)
{
    const QList<QByteArray> lines = recording.file.split('\n');
    if (lines.size() != recording.samples.size() + 1 || !lines.last().isEmpty())
        std::abort();
    for (qsizetype i = 0; i < recording.samples.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).chopped(1).split(';');
        qint64 sinceStart = 0;
        if (fields.size() != 4
            || __builtin_sub_overflow(recording.samples.at(i).t, recording.samples.first().t, &sinceStart)
            || fields.at(0).toLongLong() != sinceStart)
            std::abort();
        for (qsizetype axis = 1; axis < 4; ++axis) {
            bool ok = false;
            if (std::llabs(fields.at(axis).toLongLong(&ok)) > SensorSample::MaxSensorUnits || !ok)
                std::abort();
        }
    }
}

bool sameReadings(const QList<SensorSample>& a, const QList<SensorSample>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const SensorSample& p, const SensorSample& q) {
        return p.x == q.x && p.y == q.y && p.z == q.z;
    });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Keys and the numbers at the edges of what a line may carry, each one byte of the input.
    static const QList<QByteArray> pieces{"x:",
                                          ",y:",
                                          ",z:",
                                          ",t:",
                                          "2147483647",
                                          "-2147483648",
                                          "9007199254740992",
                                          "-9007199254740993",
                                          "9223372036854775807",
                                          "-9223372036854775808",
                                          "}\r\n{",
                                          "sn="};
    const FuzzStream input = FuzzStream::fromInput(data, size, pieces);
    QStringList messages;
    CurlyMessageParser parser;
    for (const QByteArray& read : input.reads())
        messages += parser.parseUtf8(read);

    const Recording all = record(messages, QStringLiteral("all.csv"));
    checkRecordedLines(all);
    // Without the refused lines the sensor reads the same: they left no trace.
    QStringList accepted;
    for (const QString& message : std::as_const(messages)) {
        if (!isSampleLine(message) || StartleSensor::parseSampleLine(message, 0))
            accepted.append(message);
    }
    if (!sameReadings(record(accepted, QStringLiteral("accepted.csv")).samples, all.samples))
        std::abort();
    return 0;
}
