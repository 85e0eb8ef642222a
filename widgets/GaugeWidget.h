#pragma once

#include <QColor>
#include <QWidget>

// A round gauge: a 270-degree ring sector, open at the bottom, filled clockwise from its lower
// left end as far as the value lies within the range, with a disc in the middle and the value
// as a percentage text. The fill shows the value clamped to the range, the text the value
// itself; a range without room fills nothing, and a value that is not a number shows no text.
class GaugeWidget : public QWidget
{
    Q_OBJECT
public:
    explicit GaugeWidget(QWidget* parent = nullptr);

    void setValue(float value);
    void setRange(float min, float max);
    // The colours take effect at the next repaint.
    void setBackgroundColor(const QColor& color);
    void setBarColor(const QColor& color);
    void setRoundColor(const QColor& color);
    void setTextColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The filled part of the sector in sixteenths of a degree, negative: clockwise.
    int barSpan() const;
    QString valueText() const;

    float minimum = 0.0f;
    float maximum = 100.0f;
    float shownValue = 0.0f;
    float value = 0.0f;
    QColor backgroundColor = Qt::white;
    QColor barColor = QColor(0x11, 0x55, 0x99);
    QColor textColor = Qt::black;
    QColor roundColor = QColor(0xCC, 0xCC, 0xCC);
};
