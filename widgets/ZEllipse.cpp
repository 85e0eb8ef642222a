#include "ZEllipse.h"

#include <QPainter>

#include <algorithm>

ZEllipse::ZEllipse(QWidget* parent)
    : QWidget(parent)
{
    setTranslucent();
}

ZEllipse::ZEllipse(const QBrush& brush, const QColor& strokeColor, float strokeWidth, int width, int height,
                   QWidget* parent)
    : QWidget(parent)
    , brush(brush)
    , strokeColor(strokeColor)
    , strokeWidth(strokeWidth)
{
    setTranslucent();
    if (width > 0)
        setFixedWidth(width);
    if (height > 0)
        setFixedHeight(height);
}

void ZEllipse::setTranslucent()
{
    // Painting straight onto the screen is left out: on X11 the widget then shows black where
    // the ellipse is painted.
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void ZEllipse::setBrush(const QBrush& value)
{
    brush = value;
    update();
}

void ZEllipse::setStroke(const QColor& color, float width)
{
    strokeColor = color;
    strokeWidth = width;
    update();
}

void ZEllipse::setAsCircle(bool value)
{
    circle = value;
    update();
}

void ZEllipse::paintEvent(QPaintEvent*)
{
    const double centreX = width() / 2.0;
    const double centreY = height() / 2.0;
    if (width() <= 0 && height() <= 0)
        return;
    double radiusX = centreX;
    double radiusY = centreY;
    if (circle)
        radiusX = radiusY = std::min(centreX, centreY);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(brush);
    if (strokeWidth > 0.0f) {
        painter.setPen(QPen(strokeColor, strokeWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        radiusX = std::max(radiusX - strokeWidth, 0.0);
        radiusY = std::max(radiusY - strokeWidth, 0.0);
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.drawEllipse(QPointF(centreX, centreY), radiusX, radiusY);
}
