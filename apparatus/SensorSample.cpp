#include "SensorSample.h"

#include <cmath>

float SensorSample::axisValue(int index) const
{
    switch (index) {
    case 0:
        return x;
    case 1:
        return y;
    case 2:
        return z;
    default:
        return 0.0f;
    }
}

float SensorSample::sumOfAxes() const
{
    return x + y + z;
}

qint64 SensorSample::toSensorUnits(float value)
{
    constexpr double settle = 100.0;
    const double hundredths = std::round(double(value) * 100.0 * settle) / settle;
    return qint64(std::trunc(hundredths));
}

QString SensorSample::recordLine(const SensorSample& sample, qint64 startMs)
{
    return QStringLiteral("%1;%2;%3;%4\r\n")
        .arg(sample.t - startMs)
        .arg(toSensorUnits(sample.x))
        .arg(toSensorUnits(sample.y))
        .arg(toSensorUnits(sample.z));
}
