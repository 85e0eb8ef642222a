#pragma once

#include "ZList.h"

#include <QList>
#include <QPoint>

#include <vector>

// Small statistics, clamping, angles, points and rounding over plain number sequences.
// Empty input gives 0 (or leaves outputs untouched where stated); nothing keeps state.

double sum(const QList<double>& values);

int average(const QList<int>& values);
float average(const QList<float>& values);
double average(const QList<double>& values);
float average(const std::vector<float>& values);
double average(const std::vector<double>& values);

// Both outputs start at the first element; an empty sequence leaves them untouched.
void minmax(const QList<int>& values, int& min, int& max);
void minmax(const QList<float>& values, float& min, float& max);
void minmax(const QList<double>& values, double& min, double& max);
void minmax(const std::vector<int>& values, int& min, int& max);
void minmax(const std::vector<float>& values, float& min, float& max);
void minmax(const std::vector<double>& values, double& min, double& max);

// Mean, sample variance and standard deviation; each written only through a non-null pointer.
void m_d_cko(const QList<float>& values, float* mean, float* variance, float* deviation);
void m_d_cko(const QList<double>& values, double* mean, double* variance, double* deviation);

float median(QList<float> values);
double median(QList<double> values);
float median(std::vector<float> values);
double median(std::vector<double> values);
// Median of the window of 2 x halfWidth + 1 values centred on index; 0 when it does not fit.
double medianParams(QList<double> values, unsigned index, unsigned halfWidth);

// Leading moving average of the given window, padded at the tail to the input's length.
QList<int> smoothenVector(const QList<int>& values, int window);
QList<float> smoothenVector(const QList<float>& values, int window);
QList<double> smoothenVector(const QList<double>& values, int window);

QList<float> multiplyVector(const QList<float>& values, float factor);
QList<double> multiplyVector(const QList<double>& values, double factor);
void multiplyVectorInplace(QList<float>& values, float factor);
void multiplyVectorInplace(QList<double>& values, double factor);
QList<float> convertVectorDoubleToFloat(const QList<double>& values);
QList<double> convertVectorFloatToDouble(const QList<float>& values);
std::vector<float> stdVectorDoubleToFloat(const std::vector<double>& values);

int limit(int value, int min, int max);
float limit(float value, float min, float max);
double limit(double value, double min, double max);

// Angles in degrees brought into [-180, 180], [0, 360] or towards [low, high] by whole turns.
// An infinite or NaN angle gives NaN, as does a bound that no number of turns can reach.
double limitAngle180(double degrees);
double limitAngle360(double degrees);
double limitAngle(double degrees, double low, double high);

QPoint deltaPoint(const QPoint& a, const QPoint& b);
double distance(const QPoint& a, const QPoint& b);
double distanceX(const QPoint& a, const QPoint& b);
double distanceY(const QPoint& a, const QPoint& b);
QPoint middlePoint(const QPoint& a, const QPoint& b);
// Mean of the points, truncated toward zero; (0, 0) for no points.
QPoint middlePoint(const QList<QPoint>& points);
QPoint middlePoint(ZList<QPoint> points);

// Cuts the value downward to the given number of decimals (clamped to 0..10).
float roundTo(float value, int digits);
double roundTo(double value, int digits);
// base to the exponent; 1 for the exponent 0.
double powerInt(double base, unsigned exponent);
