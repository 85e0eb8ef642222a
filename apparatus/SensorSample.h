#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

#include <limits>

// One reading of the startle sensor: force on three axes (the sensor's units divided by 100,
// relative to the calibration baseline) and its time in milliseconds.
struct SensorSample
{
    // The largest magnitudes a sample may carry: a reading the sensor can send as a 32-bit
    // number (in its own unit), and a time far enough out for any clock, exact in a double, whose
    // differences stay well inside 64 bits.
    static constexpr qint64 MaxSensorUnits = std::numeric_limits<qint32>::max();
    static constexpr qint64 MaxTimeMs = qint64(1) << 53;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    qint64 t = 0;

    float axisValue(int index) const;
    float sumOfAxes() const;

    // The sensor's own unit (hundredths), truncated toward zero. Float products such as
    // 0.29f * 100 land a hair below the whole number, so they are settled first.
    static qint64 toSensorUnits(float value);
    // One line of the recording file: time since the recording start and the three axes in
    // sensor units, separated by ";" and ended by CR LF.
    static QString recordLine(const SensorSample& sample, qint64 startMs);
};

Q_DECLARE_METATYPE(SensorSample)
