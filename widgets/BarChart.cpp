#include "BarChart.h"

#include <QFontInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>

BarChart::BarChart(uchar barAmount, QWidget* parent)
    : QWidget(parent)
{
    setBackgroundRole(QPalette::Base);
    setMinimumHeight(50);
    setBarAmount(barAmount);
}

void BarChart::setBarAmount(uchar amount)
{
    barAmount = amount;
    barColors = QList<QColor>(amount, Qt::red);
    barNames = QList<QString>(amount);
    barStyles = QList<Qt::BrushStyle>(amount, Qt::SolidPattern);
    barValues = QList<double>(amount, 0.0);
    setMinimumWidth(amount * 10);
    update();
}

uchar BarChart::getBarAmount() const
{
    return barAmount;
}

void BarChart::setBar(int index, const QString& name, const QColor& color, Qt::BrushStyle style)
{
    setBarName(index, name);
    setBarColor(index, color);
    setBarStyle(index, style);
}

void BarChart::setBarName(int index, const QString& name)
{
    if (goodIndex(index))
        barNames[index] = name;
}

void BarChart::setBarColor(int index, const QColor& color)
{
    if (goodIndex(index))
        barColors[index] = color;
}

void BarChart::setBarStyle(int index, Qt::BrushStyle style)
{
    if (goodIndex(index))
        barStyles[index] = style;
}

void BarChart::setBarColorToAll(const QColor& color)
{
    barColors.fill(color);
    update();
}

QString BarChart::getBarName(int index) const
{
    return goodIndex(index) ? barNames[index] : QString();
}

double BarChart::getBarValue(int index) const
{
    return goodIndex(index) ? barValues[index] : 0.0;
}

bool BarChart::goodIndex(int index) const
{
    return index >= 0 && index < barAmount;
}

void BarChart::setValues(const double* values, int count)
{
    const int taken = values ? std::clamp(count, 0, int(barAmount)) : 0;
    std::copy(values, values + taken, barValues.begin());
    update();
}

void BarChart::setValues(const QList<double>& values)
{
    setValues(values.constData(), int(std::min<qsizetype>(values.size(), barAmount)));
}

void BarChart::setMin(double value)
{
    lowerLimit = value;
}

void BarChart::setMax(double value)
{
    upperLimit = value;
}

void BarChart::setMinMax(double min, double max)
{
    lowerLimit = min;
    upperLimit = max;
}

double BarChart::getMin() const
{
    return lowerLimit;
}

double BarChart::getMax() const
{
    return upperLimit;
}

void BarChart::setBarWidthRatio(double ratio)
{
    // A ratio that is not a number keeps the one before.
    if (!std::isnan(ratio))
        barWidthRatio = std::clamp(ratio, 0.001, 1.0);
    update();
}

double BarChart::getBarWidthRatio() const
{
    return barWidthRatio;
}

void BarChart::setMinBarHeight(quint16 pixels)
{
    minBarHeight = pixels;
    update();
}

void BarChart::setPrecision(uchar decimals)
{
    precision = decimals;
}

uchar BarChart::getPrecision() const
{
    return precision;
}

void BarChart::setShowNames(bool show)
{
    showNames = show;
    update();
}

void BarChart::setShowValues(bool show)
{
    showValues = show;
    update();
}

void BarChart::setTextColor(const QColor& color)
{
    textColor = color;
    update();
}

void BarChart::setBackgroundColor(const QColor& color)
{
    backgroundColor = color;
    update();
}

bool BarChart::getShowNames() const
{
    return showNames;
}

bool BarChart::getShowValues() const
{
    return showValues;
}

QColor BarChart::getTextColor() const
{
    return textColor;
}

QColor BarChart::getBackgroundColor() const
{
    return backgroundColor;
}

double BarChart::heightShare(double value) const
{
    // Equal limits: a value above them fills the bar, any other none; not a number fills none.
    const double share = (value - lowerLimit) / (upperLimit - lowerLimit);
    return share > 0.0 ? std::min(share, 1.0) : 0.0;
}

void BarChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect view = painter.viewport();
    painter.fillRect(view, Qt::transparent);
    if (barAmount == 0)
        return;
    const int lineHeight = 2 * QFontInfo(font()).pointSize() + 2;
    const int chartHeight = std::max(view.height() - (showNames ? lineHeight : 0) - (showValues ? lineHeight : 0), 0);
    const int slot = std::max(view.width() / barAmount, 1);
    const int barWidth = std::max(int(slot * barWidthRatio), 1);
    painter.fillRect(0, 0, view.width(), chartHeight, backgroundColor);
    int x = (slot - barWidth) / 2;
    for (int index = 0; index < barAmount; ++index, x += slot) {
        const int barHeight = std::max(int(heightShare(barValues[index]) * chartHeight), int(minBarHeight));
        painter.setPen(barColors[index]);
        painter.setBrush(QBrush(barColors[index], barStyles[index]));
        painter.drawRect(x, chartHeight - barHeight, barWidth, barHeight);
        drawLabels(painter, index, slot, chartHeight, lineHeight);
    }
}

void BarChart::drawLabels(QPainter& painter, int index, int slot, int chartHeight, int lineHeight) const
{
    painter.setPen(textColor);
    int y = chartHeight + 1;
    if (showValues) {
        painter.drawText(QRect(index * slot, y, slot, lineHeight), Qt::AlignCenter,
                         QString::number(barValues[index], 'f', precision));
        y += lineHeight;
    }
    if (!showNames)
        return;
    const QString& name = barNames[index];
    const bool fits = painter.fontMetrics().horizontalAdvance(name) + 4 <= slot;
    painter.drawText(QRect(index * slot, y, slot - 5, lineHeight),
                     fits ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter, name);
}
