#include "NumericFunctions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Integers are summed in 64 bits so that a long list of large values cannot overflow.
template <typename T>
using Accumulator = std::conditional_t<std::is_integral_v<T>, qint64, T>;

template <typename Sequence>
auto sumOf(const Sequence& values, qsizetype from, qsizetype count)
{
    using T = typename Sequence::value_type;
    Accumulator<T> total = 0;
    for (qsizetype i = from; i < from + count; ++i)
        total += values[i];
    return total;
}

template <typename Sequence>
auto averageOf(const Sequence& values) -> typename Sequence::value_type
{
    using T = typename Sequence::value_type;
    const qsizetype count = qsizetype(values.size());
    if (count == 0)
        return T(0);
    if (count == 1)
        return values[0];
    return T(sumOf(values, 0, count) / Accumulator<T>(count));
}

template <typename Sequence, typename T>
void minmaxOf(const Sequence& values, T& min, T& max)
{
    if (values.empty())
        return;
    min = values[0];
    max = values[0];
    for (const T& value : values) {
        if (value < min)
            min = value;
        if (value > max)
            max = value;
    }
}

template <typename T>
void meanVarianceDeviation(const QList<T>& values, T* mean, T* variance, T* deviation)
{
    const qsizetype n = values.size();
    T m = 0, v = 0;
    if (n > 0)
        m = sumOf(values, 0, n) / T(n);
    if (n > 1) {
        for (const T& x : values)
            v += (x - m) * (x - m);
        v /= T(n - 1);
    }
    if (mean)
        *mean = m;
    if (variance)
        *variance = v;
    if (deviation)
        *deviation = std::sqrt(v);
}

// NaN sorts last, so the sort keeps a strict weak ordering whatever the data holds.
template <typename T>
bool lessNanLast(T a, T b)
{
    if (std::isnan(a))
        return false;
    return std::isnan(b) || a < b;
}

template <typename Sequence>
auto medianOf(Sequence values) -> typename Sequence::value_type
{
    using T = typename Sequence::value_type;
    const qsizetype n = qsizetype(values.size());
    if (n == 0)
        return T(0);
    std::sort(values.begin(), values.end(), lessNanLast<T>);
    const qsizetype h = n / 2;
    if (n % 2 == 1)
        return values[h];
    return (values[h - 1] + values[h]) * T(0.5);
}

template <typename T>
QList<T> smoothen(const QList<T>& values, int window)
{
    if (window < 2 || values.size() <= window)
        return values;
    QList<T> result;
    result.reserve(values.size());
    for (qsizetype i = 0; i + window <= values.size(); ++i)
        result.append(T(sumOf(values, i, window) / Accumulator<T>(window)));
    const T last = result.last();
    result.insert(result.size(), window - 1, last);
    return result;
}

template <typename T>
QList<T> multiplied(QList<T> values, T factor)
{
    for (T& value : values)
        value *= factor;
    return values;
}

template <typename To, typename Sequence>
To converted(const Sequence& values)
{
    To result;
    result.reserve(values.size());
    for (const auto& value : values)
        result.push_back(typename To::value_type(value));
    return result;
}

template <typename T>
T limitTo(T value, T min, T max)
{
    if (value < min)
        return min;
    if (value > max)
        return max;
    return value;
}
} // namespace

double sum(const QList<double>& values)
{
    return sumOf(values, 0, values.size());
}

int average(const QList<int>& values)
{
    return averageOf(values);
}
float average(const QList<float>& values)
{
    return averageOf(values);
}
double average(const QList<double>& values)
{
    return averageOf(values);
}
float average(const std::vector<float>& values)
{
    return averageOf(values);
}
double average(const std::vector<double>& values)
{
    return averageOf(values);
}

void minmax(const QList<int>& values, int& min, int& max)
{
    minmaxOf(values, min, max);
}
void minmax(const QList<float>& values, float& min, float& max)
{
    minmaxOf(values, min, max);
}
void minmax(const QList<double>& values, double& min, double& max)
{
    minmaxOf(values, min, max);
}
void minmax(const std::vector<int>& values, int& min, int& max)
{
    minmaxOf(values, min, max);
}
void minmax(const std::vector<float>& values, float& min, float& max)
{
    minmaxOf(values, min, max);
}
void minmax(const std::vector<double>& values, double& min, double& max)
{
    minmaxOf(values, min, max);
}

void m_d_cko(const QList<float>& values, float* mean, float* variance, float* deviation)
{
    meanVarianceDeviation(values, mean, variance, deviation);
}

void m_d_cko(const QList<double>& values, double* mean, double* variance, double* deviation)
{
    meanVarianceDeviation(values, mean, variance, deviation);
}

float median(QList<float> values)
{
    return medianOf(std::move(values));
}
double median(QList<double> values)
{
    return medianOf(std::move(values));
}
float median(std::vector<float> values)
{
    return medianOf(std::move(values));
}
double median(std::vector<double> values)
{
    return medianOf(std::move(values));
}

double medianParams(QList<double> values, unsigned index, unsigned halfWidth)
{
    const qint64 first = qint64(index) - qint64(halfWidth);
    const qint64 last = qint64(index) + qint64(halfWidth);
    if (first < 0 || last >= values.size())
        return 0;
    return median(values.mid(first, 2 * qint64(halfWidth) + 1));
}

QList<int> smoothenVector(const QList<int>& values, int window)
{
    return smoothen(values, window);
}
QList<float> smoothenVector(const QList<float>& values, int window)
{
    return smoothen(values, window);
}
QList<double> smoothenVector(const QList<double>& values, int window)
{
    return smoothen(values, window);
}

QList<float> multiplyVector(const QList<float>& values, float factor)
{
    return multiplied(values, factor);
}
QList<double> multiplyVector(const QList<double>& values, double factor)
{
    return multiplied(values, factor);
}
void multiplyVectorInplace(QList<float>& values, float factor)
{
    values = multiplied(std::move(values), factor);
}
void multiplyVectorInplace(QList<double>& values, double factor)
{
    values = multiplied(std::move(values), factor);
}

QList<float> convertVectorDoubleToFloat(const QList<double>& values)
{
    return converted<QList<float>>(values);
}
QList<double> convertVectorFloatToDouble(const QList<float>& values)
{
    return converted<QList<double>>(values);
}
std::vector<float> stdVectorDoubleToFloat(const std::vector<double>& values)
{
    return converted<std::vector<float>>(values);
}

int limit(int value, int min, int max)
{
    return limitTo(value, min, max);
}
float limit(float value, float min, float max)
{
    return limitTo(value, min, max);
}
double limit(double value, double min, double max)
{
    return limitTo(value, min, max);
}

double limitAngle(double degrees, double low, double high)
{
    // Whole turns are taken off with fmod first: adding 360 one turn at a time would never end
    // for huge angles, and an infinite input becomes NaN instead of looping.
    if (degrees < low)
        degrees = low - std::fmod(low - degrees, 360.0);
    else if (degrees > high)
        degrees = high + std::fmod(degrees - high, 360.0);
    if (!std::isfinite(degrees))
        return std::numeric_limits<double>::quiet_NaN();
    while (degrees < low)
        degrees += 360.0;
    while (degrees > high)
        degrees -= 360.0;
    return degrees;
}

double limitAngle180(double degrees)
{
    return limitAngle(degrees, -180.0, 180.0);
}
double limitAngle360(double degrees)
{
    return limitAngle(degrees, 0.0, 360.0);
}

QPoint deltaPoint(const QPoint& a, const QPoint& b)
{
    return a - b;
}

double distance(const QPoint& a, const QPoint& b)
{
    const qint64 dx = qint64(a.x()) - b.x();
    const qint64 dy = qint64(a.y()) - b.y();
    return std::sqrt(double(dx * dx + dy * dy));
}

double distanceX(const QPoint& a, const QPoint& b)
{
    return std::abs(double(a.x()) - b.x());
}
double distanceY(const QPoint& a, const QPoint& b)
{
    return std::abs(double(a.y()) - b.y());
}

QPoint middlePoint(const QPoint& a, const QPoint& b)
{
    return QPoint(int((qint64(a.x()) + b.x()) / 2), int((qint64(a.y()) + b.y()) / 2));
}

QPoint middlePoint(const QList<QPoint>& points)
{
    return middlePoint(ZList<QPoint>(points));
}

QPoint middlePoint(ZList<QPoint> points)
{
    if (points.isEmpty())
        return QPoint(0, 0);
    double x = 0, y = 0;
    for (const QPoint& point : points) {
        x += point.x();
        y += point.y();
    }
    return QPoint(int(x / double(points.size())), int(y / double(points.size())));
}

double roundTo(double value, int digits)
{
    // floor() already gives a whole number; dividing it directly avoids the 32-bit
    // conversion overflowing for large values and gives the same result otherwise.
    const double p = std::pow(10.0, std::clamp(digits, 0, 10));
    return std::floor(value * p) / p;
}

float roundTo(float value, int digits)
{
    return float(roundTo(double(value), digits));
}

double powerInt(double base, unsigned exponent)
{
    double result = 1.0;
    for (unsigned i = 0; i < exponent; ++i)
        result *= base;
    return result;
}
