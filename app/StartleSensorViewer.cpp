#include "StartleSensorViewer.h"

#include "KestrumModel.h"
#include "StartleSensor.h"
#include "StyleHelper.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QPainter>

namespace {

// The curve of the summed axes; the per-axis curves use the axis pens.
constexpr int summedAxes = -1;
constexpr int secondsGridPixels = 32;

const QPen& axisPen(int axis)
{
    static const QPen pens[] = {QPen(QColor(0x11, 0x55, 0x99), 1), QPen(QColor(0x99, 0x55, 0x11), 1),
                                QPen(QColor(0x55, 0x99, 0x11), 1)};
    return pens[axis];
}

double valueOf(const SensorSample& sample, int axis)
{
    return axis == summedAxes ? sample.sumOfAxes() : sample.axisValue(axis);
}

// Asked anew each time: a sensor unplugged (or the model gone) while a menu was open is deleted.
StartleSensor* firstSensor()
{
    const KestrumModel* model = KestrumModel::instance();
    const QList<StartleSensor*> sensors = model ? model->startleSensors() : QList<StartleSensor*>();
    return sensors.isEmpty() ? nullptr : sensors.constFirst();
}

} // namespace

StartleSensorViewer::StartleSensorViewer(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(100, 50);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &StartleSensorViewer::showContextMenu);
    StyleHelper::Link(this, [this] { applyTheme(); });
}

void StartleSensorViewer::applyTheme()
{
    m_background = StyleHelper::ThemeColor(QStringLiteral("--z-bg"), Qt::white);
    m_text = StyleHelper::ThemeColor(QStringLiteral("--z-text"), Qt::black);
    m_gridLine = StyleHelper::ThemeColor(QStringLiteral("--z-grid-line"), QColor(0xCC, 0xCC, 0xCC));
    update();
}

void StartleSensorViewer::addSample(const SensorSample& sample, bool repaint)
{
    m_samples.append(sample);
    if (!keepAll && m_samples.size() > maxSamples)
        m_samples.remove(0, m_samples.size() - maxSamples);
    if (repaint)
        update();
}

QFont StartleSensorViewer::labelFont() const
{
    QFont labels = font();
    labels.setPixelSize(12);
    return labels;
}

int StartleSensorViewer::labelWidth() const
{
    return QFontMetrics(labelFont()).horizontalAdvance(QStringLiteral("-2.00")) + 2;
}

void StartleSensorViewer::showContextMenu(const QPoint&)
{
    if (!firstSensor())
        return;
    QMenu menu;
    menu.addAction(QCoreApplication::translate("Generic", "Calibrate"));
    if (!menu.exec(QCursor::pos()))
        return;
    // The model forgets a lost sensor in this thread before it deletes it, so one it still
    // lists is alive.
    if (StartleSensor* sensor = firstSensor())
        sensor->calibrate();
}

// A value of 0 lies on the bottom line and 0.5 at the top; larger values stay at the top.
double StartleSensorViewer::valueY(double value, int plotHeight) const
{
    return std::max(0.0, plotHeight - value * 2.0 * plotHeight);
}

// From the newest sample back to the first one that would lie left of the labels.
QPolygonF StartleSensorViewer::curve(int axis, double newestX, const Plot& plot) const
{
    QPolygonF points;
    double x = newestX;
    for (qsizetype i = m_samples.size() - 1; i >= 0; --i) {
        if (i < m_samples.size() - 1)
            x -= double(m_samples.at(i + 1).t - m_samples.at(i).t) * pixelsPerMs;
        if (x < plot.left)
            break;
        points << QPointF(x, valueY(valueOf(m_samples.at(i), axis), plot.height));
    }
    return points;
}

void StartleSensorViewer::drawGrid(QPainter& painter, const Plot& plot) const
{
    painter.setPen(QColor(0x66, 0x66, 0x66));
    painter.drawLine(plot.left, 0, plot.left, plot.height);
    painter.drawLine(plot.left, plot.height + 1, width(), plot.height + 1);
    for (int second = 1; second <= 99 && plot.left + secondsGridPixels * second <= width(); ++second) {
        const int x = plot.left + secondsGridPixels * second;
        painter.setPen(m_gridLine);
        painter.drawLine(x, 0, x, plot.height);
        painter.setPen(m_text);
        painter.drawText(QRect(x, plot.height, plot.left, plot.labelHeight), QString::number(second));
    }
}

void StartleSensorViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(labelFont());
    painter.fillRect(rect(), m_background);
    const int labelHeight = painter.fontMetrics().height() + 2;
    const Plot plot{labelWidth(), labelHeight, height() - labelHeight};
    if (m_samples.size() < 2)
        return;
    const double span = double(m_samples.constLast().t - m_samples.constFirst().t) * pixelsPerMs;
    const double newestX = span < width() - plot.left ? plot.left + span : width();
    drawGrid(painter, plot);
    if (summedCurve) {
        painter.setPen(QColor(0xFF, 0x99, 0x00));
        painter.drawPolyline(curve(summedAxes, newestX, plot));
        return;
    }
    for (int axis = 0; axis < 3; ++axis) {
        painter.setPen(axisPen(axis));
        painter.drawPolyline(curve(axis, newestX, plot));
    }
}
