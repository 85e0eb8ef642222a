#pragma once

#include "SensorSample.h"

#include <QColor>
#include <QList>
#include <QPolygonF>
#include <QWidget>

class QPainter;

// The live curve of the startle sensor: the most recent samples, scrolling at 32 pixels per
// second with the newest at the right. Its context menu calibrates the model's first sensor.
class StartleSensorViewer : public QWidget
{
    Q_OBJECT

public:
    static constexpr int maxSamples = 2000;
    static constexpr double pixelsPerMs = 0.032;

    explicit StartleSensorViewer(QWidget* parent = nullptr);

    void addSample(const SensorSample& sample, bool repaint);
    const QList<SensorSample>& samples() const { return m_samples; }
    // Where the curve's x axis starts: right of the second labels of the grid.
    int labelWidth() const;

    // Keeps every sample instead of the most recent ones.
    bool keepAll = false;
    // One curve of the summed axes instead of one per axis.
    bool summedCurve = true;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The curve's area: right of the labels, above the second numbers.
    struct Plot
    {
        int left = 0;
        int labelHeight = 0;
        int height = 0;
    };

    // The background, labels and second lines in the theme's colours.
    void applyTheme();
    void showContextMenu(const QPoint& position);
    QFont labelFont() const;
    double valueY(double value, int plotHeight) const;
    QPolygonF curve(int axis, double newestX, const Plot& plot) const;
    void drawGrid(QPainter& painter, const Plot& plot) const;

    QList<SensorSample> m_samples;
    QColor m_background;
    QColor m_text;
    QColor m_gridLine;
};
