#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

// A fixed number of vertical bars, each with a value, a name, a colour and a fill pattern, drawn
// between a lower and an upper limit, with optional rows of values and names below them. A bar
// shows its value clamped to the limits while its label shows the value itself; limits that
// leave no room between them, or a value that is not a number, draw bars of the minimum height.
class BarChart : public QWidget
{
    Q_OBJECT
public:
    explicit BarChart(uchar barAmount = 1, QWidget* parent = nullptr);

    void setBarAmount(uchar amount);
    uchar getBarAmount() const;

    void setBar(int index, const QString& name, const QColor& color, Qt::BrushStyle style);
    void setBarName(int index, const QString& name);
    void setBarColor(int index, const QColor& color);
    void setBarStyle(int index, Qt::BrushStyle style);
    void setBarColorToAll(const QColor& color);
    QString getBarName(int index) const;
    double getBarValue(int index) const;
    bool goodIndex(int index) const;

    // Takes as many leading values as both the array and the bars hold.
    void setValues(const double* values, int count);
    void setValues(const QList<double>& values);

    void setMin(double value);
    void setMax(double value);
    void setMinMax(double min, double max);
    double getMin() const;
    double getMax() const;

    void setBarWidthRatio(double ratio);
    double getBarWidthRatio() const;
    void setMinBarHeight(quint16 pixels);
    void setPrecision(uchar decimals);
    uchar getPrecision() const;

    void setShowNames(bool show);
    void setShowValues(bool show);
    void setTextColor(const QColor& color);
    void setBackgroundColor(const QColor& color);
    bool getShowNames() const;
    bool getShowValues() const;
    QColor getTextColor() const;
    QColor getBackgroundColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The share of the chart's height the value fills, 0 .. 1.
    double heightShare(double value) const;
    void drawLabels(QPainter& painter, int index, int slot, int chartHeight, int lineHeight) const;

    QList<QColor> barColors;
    QList<QString> barNames;
    QList<Qt::BrushStyle> barStyles;
    QList<double> barValues;
    bool showNames = true;
    bool showValues = true;
    uchar barAmount = 0;
    double barWidthRatio = 0.8;
    double lowerLimit = 0.0;
    double upperLimit = 1.0;
    uchar precision = 2;
    quint16 minBarHeight = 0;
    QColor backgroundColor = Qt::transparent;
    QColor textColor = Qt::black;
};
