#pragma once

#include <QBrush>
#include <QColor>
#include <QWidget>

// A painted ellipse filling the widget, or the largest circle it holds, with an optional stroke
// drawn inside that outline.
class ZEllipse : public QWidget
{
    Q_OBJECT
public:
    explicit ZEllipse(QWidget* parent = nullptr);
    // A width or height above 0 fixes that dimension.
    ZEllipse(const QBrush& brush, const QColor& strokeColor, float strokeWidth, int width, int height,
             QWidget* parent = nullptr);

    void setBrush(const QBrush& brush);
    void setStroke(const QColor& color, float width);
    void setAsCircle(bool circle);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setTranslucent();

    QBrush brush = QBrush(Qt::red);
    QColor strokeColor = Qt::blue;
    float strokeWidth = 0.0f;
    bool circle = false;
};
