#include "GaugeWidget.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int StartAngle = 225 * 16;
constexpr int FullSpan = -270 * 16;
constexpr int MinimumTextHeight = 70;

} // namespace

GaugeWidget::GaugeWidget(QWidget* parent)
    : QWidget(parent)
{
}

void GaugeWidget::setValue(float v)
{
    value = v;
    shownValue = std::isnan(v) ? minimum : std::max(minimum, std::min(maximum, v));
    update();
}

void GaugeWidget::setRange(float min, float max)
{
    minimum = min;
    maximum = max;
    update();
}

void GaugeWidget::setBackgroundColor(const QColor& color)
{
    backgroundColor = color;
}

void GaugeWidget::setBarColor(const QColor& color)
{
    barColor = color;
}

void GaugeWidget::setRoundColor(const QColor& color)
{
    roundColor = color;
}

void GaugeWidget::setTextColor(const QColor& color)
{
    textColor = color;
}

int GaugeWidget::barSpan() const
{
    // The range may have changed since the value was clamped, or leave no room at all.
    const double share = (double(shownValue) - minimum) / (double(maximum) - minimum);
    return share > 0.0 ? int(std::min(share, 1.0) * FullSpan) : 0;
}

QString GaugeWidget::valueText() const
{
    if (std::isnan(value))
        return QString();
    // Truncated to a whole number that an int can hold.
    const double whole =
        std::clamp(double(value), double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max()));
    return QString::number(int(whole)) + QLatin1Char('%');
}

void GaugeWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!painter.isActive())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height());
    const QRect square((width() - side) / 2 + 1, (height() - side) / 2 + 1, side - 2, side - 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(backgroundColor);
    painter.drawPie(square, StartAngle, FullSpan);
    painter.setBrush(barColor);
    painter.drawPie(square, StartAngle, barSpan());
    painter.setBrush(roundColor);
    painter.drawEllipse(QPoint(width() / 2, height() / 2), side / 4, side / 4);
    if (height() < MinimumTextHeight)
        return;
    painter.setPen(textColor);
    painter.drawText(square, Qt::AlignCenter, valueText());
}
