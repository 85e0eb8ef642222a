#include "NumericFunctions.h"

#include <QTest>

#include <climits>
#include <cmath>
#include <limits>

class TestNumericFunctions : public QObject
{
    Q_OBJECT

    static constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    static constexpr double inf = std::numeric_limits<double>::infinity();

private slots:
    void sumsAndAverages()
    {
        QCOMPARE(sum({1.5, 2.5, -1.0}), 3.0);
        QCOMPARE(sum({}), 0.0);
        QCOMPARE(average(QList<int>{1, 2}), 1);
        QCOMPARE(average(QList<int>{-3, -4}), -3);
        QCOMPARE(average(QList<double>{1, 2}), 1.5);
        QCOMPARE(average(QList<float>{1, 2}), 1.5f);
        QCOMPARE(average(std::vector<double>{1, 2, 6}), 3.0);
        QCOMPARE(average(std::vector<float>{7}), 7.0f);
        QCOMPARE(average(QList<int>{}), 0);
        QCOMPARE(average(std::vector<double>{}), 0.0);
        // Summing in 32 bits would overflow here.
        QCOMPARE(average(QList<int>{INT_MAX, INT_MAX, INT_MAX}), INT_MAX);
    }

    void minmaxKeepsOutputsForEmptyInput()
    {
        int imin = 42, imax = 43;
        minmax(QList<int>{}, imin, imax);
        QCOMPARE(imin, 42);
        QCOMPARE(imax, 43);
        minmax(QList<int>{3, -1, 7, 2}, imin, imax);
        QCOMPARE(imin, -1);
        QCOMPARE(imax, 7);

        double dmin = 0, dmax = 0;
        minmax(std::vector<double>{2.5, nan, -4.0, 9.0}, dmin, dmax);
        QCOMPARE(dmin, -4.0);
        QCOMPARE(dmax, 9.0);
        float fmin = 0, fmax = 0;
        minmax(QList<float>{5.f}, fmin, fmax);
        QCOMPARE(fmin, 5.f);
        QCOMPARE(fmax, 5.f);
    }

    void meanVarianceDeviation()
    {
        double mean = -1, variance = -1, deviation = -1;
        m_d_cko(QList<double>{2, 4, 4, 4, 5, 5, 7, 9}, &mean, &variance, &deviation);
        QCOMPARE(mean, 5.0);
        QCOMPARE(variance, 32.0 / 7.0);
        QCOMPARE(deviation, std::sqrt(32.0 / 7.0));

        float fmean = -1, fvariance = -1, fdeviation = -1;
        m_d_cko(QList<float>{3.5f}, &fmean, &fvariance, &fdeviation);
        QCOMPARE(fmean, 3.5f);
        QCOMPARE(fvariance, 0.f);
        QCOMPARE(fdeviation, 0.f);

        m_d_cko(QList<double>{}, &mean, &variance, &deviation);
        QCOMPARE(mean, 0.0);
        QCOMPARE(variance, 0.0);
        QCOMPARE(deviation, 0.0);
        m_d_cko(QList<double>{1, 3}, &mean, nullptr, nullptr);
        QCOMPARE(mean, 2.0);
    }

    void medians()
    {
        QList<double> unsorted{3, 1, 2};
        QCOMPARE(median(unsorted), 2.0);
        QCOMPARE(unsorted, QList<double>({3, 1, 2}));
        QCOMPARE(median(QList<double>{4, 1, 3, 2}), 2.5);
        QCOMPARE(median(QList<float>{}), 0.f);
        QCOMPARE(median(std::vector<float>{4, 1, 3, 2}), 2.5f);
        QCOMPARE(median(std::vector<double>{9}), 9.0);
        QCOMPARE(median(QList<double>{nan, 1, 2}), 2.0);

        const QList<double> values{5, 1, 3};
        QCOMPARE(medianParams(values, 0, 1), 0.0);
        QCOMPARE(medianParams(values, 2, 1), 0.0);
        QCOMPARE(medianParams(values, 1, 1), 3.0);
        QCOMPARE(medianParams(values, 1, 0), 1.0);
        QCOMPARE(medianParams({}, 0, 0), 0.0);
    }

    void smoothing()
    {
        QCOMPARE(smoothenVector(QList<double>{1, 2, 3, 4, 5}, 2), QList<double>({1.5, 2.5, 3.5, 4.5, 4.5}));
        QCOMPARE(smoothenVector(QList<int>{1, 2, 3, 4, 5}, 2), QList<int>({1, 2, 3, 4, 4}));
        QCOMPARE(smoothenVector(QList<float>{0, 3, 6, 9}, 3), QList<float>({3, 6, 6, 6}));
        QCOMPARE(smoothenVector(QList<double>{1, 2}, 2), QList<double>({1, 2}));
        QCOMPARE(smoothenVector(QList<double>{1, 2}, 5), QList<double>({1, 2}));
        QCOMPARE(smoothenVector(QList<int>{1, 9, 3}, 1), QList<int>({1, 9, 3}));
        QCOMPARE(smoothenVector(QList<int>{}, 3), QList<int>());
    }

    void scalingAndConversion()
    {
        QList<double> values{1, -2, 0.5};
        QCOMPARE(multiplyVector(values, 2.0), QList<double>({2, -4, 1}));
        QCOMPARE(values, QList<double>({1, -2, 0.5}));
        multiplyVectorInplace(values, -1.0);
        QCOMPARE(values, QList<double>({-1, 2, -0.5}));
        QList<float> floats{1.5f};
        multiplyVectorInplace(floats, 2.f);
        QCOMPARE(floats, QList<float>({3.f}));
        QCOMPARE(multiplyVector(floats, 0.5f), QList<float>({1.5f}));
        QCOMPARE(convertVectorDoubleToFloat({0.1, 2}), QList<float>({0.1f, 2.f}));
        QCOMPARE(convertVectorFloatToDouble({0.5f}), QList<double>({0.5}));
        QCOMPARE(stdVectorDoubleToFloat({0.1, 3}), std::vector<float>({0.1f, 3.f}));
    }

    void limits()
    {
        QCOMPARE(limit(5, 0, 10), 5);
        QCOMPARE(limit(-5, 0, 10), 0);
        QCOMPARE(limit(15, 0, 10), 10);
        QCOMPARE(limit(5, 10, 0), 10);
        QCOMPARE(limit(15, 10, 0), 0);
        QCOMPARE(limit(1.5f, 0.f, 1.f), 1.f);
        QCOMPARE(limit(-0.5, 0.0, 1.0), 0.0);
    }

    void angles()
    {
        QCOMPARE(limitAngle180(190), -170.0);
        QCOMPARE(limitAngle180(-180), -180.0);
        QCOMPARE(limitAngle180(180), 180.0);
        QCOMPARE(limitAngle180(540), 180.0);
        QCOMPARE(limitAngle180(-725), -5.0);
        QCOMPARE(limitAngle360(-10), 350.0);
        QCOMPARE(limitAngle360(360), 360.0);
        QCOMPARE(limitAngle360(1090), 10.0);
        QCOMPARE(limitAngle(370, 0, 90), 10.0);
        QCOMPARE(limitAngle(200, 0, 90), -160.0);
        QCOMPARE(limitAngle(-100, 0, 90), 260.0 - 360.0);
    }

    void anglesTerminateOnUnboundedInput()
    {
        QVERIFY(std::isnan(limitAngle180(inf)));
        QVERIFY(std::isnan(limitAngle180(-inf)));
        QVERIFY(std::isnan(limitAngle360(nan)));
        QCOMPARE(limitAngle(10, -inf, inf), 10.0);
        QVERIFY(std::isnan(limitAngle(10, -inf, -inf)));
        QVERIFY(std::isnan(limitAngle(10, inf, inf)));
        const double huge = limitAngle360(1e300);
        QVERIFY(huge >= 0.0 && huge <= 360.0);
        const double hugeNegative = limitAngle180(-3.6e17 - 90);
        QVERIFY(hugeNegative >= -180.0 && hugeNegative <= 180.0);
    }

    void points()
    {
        const QPoint a(1, 1), b(2, 2);
        QCOMPARE(deltaPoint(QPoint(5, 3), QPoint(2, 7)), QPoint(3, -4));
        QCOMPARE(distance(QPoint(0, 0), QPoint(3, 4)), 5.0);
        QCOMPARE(distance(QPoint(-100000, 0), QPoint(100000, 0)), 200000.0);
        QCOMPARE(distanceX(QPoint(7, 0), QPoint(2, 9)), 5.0);
        QCOMPARE(distanceY(QPoint(7, 0), QPoint(2, 9)), 9.0);
        QCOMPARE(middlePoint(a, b), QPoint(1, 1));
        QCOMPARE(middlePoint(QPoint(-3, 0), QPoint(0, 0)), QPoint(-1, 0));

        const QList<QPoint> list{{0, 0}, {1, 1}, {2, 5}};
        QCOMPARE(middlePoint(list), QPoint(1, 2));
        QCOMPARE(middlePoint(ZList<QPoint>(list)), QPoint(1, 2));
        QCOMPARE(middlePoint(QList<QPoint>{{-1, -1}, {-2, -2}}), QPoint(-1, -1));
        QCOMPARE(middlePoint(QList<QPoint>{}), QPoint(0, 0));
    }

    void rounding()
    {
        QCOMPARE(roundTo(2.567, 2), 2.56);
        QCOMPARE(roundTo(-2.561, 2), -2.57);
        QCOMPARE(roundTo(2.5f, 0), 2.f);
        QCOMPARE(roundTo(1.23456789012345, 12), roundTo(1.23456789012345, 10));
        QCOMPARE(roundTo(7.9, -3), 7.0);
        // Beyond the 32-bit range the value still comes back cut, not wrapped around.
        QCOMPARE(roundTo(5e9 + 0.75, 1), 5e9 + 0.7);
        QCOMPARE(powerInt(2, 10), 1024.0);
        QCOMPARE(powerInt(1.5, 1), 1.5);
        QCOMPARE(powerInt(3, 0), 1.0);
    }
};

QTEST_GUILESS_MAIN(TestNumericFunctions)
#include "tst_numericfunctions.moc"
