#include "ZRectangle.h"

#include "UIHelper.h"

#include <QGridLayout>
#include <QPainter>

#include <algorithm>

ZRectangle::ZRectangle(const QColor& background, QWidget* parent)
    : QFrame(parent)
    , backgroundColor(background)
    , brush(background)
{
}

ZRectangle::ZRectangle(const QColor& background, const QColor& borderColor, quint16 borderWidth, QWidget* parent)
    : ZRectangle(background, parent)
{
    border = borderColor;
    this->borderWidth = borderWidth;
    pen = QPen(borderColor, 1);
}

ZRectangle::ZRectangle(const QColor& background, int width, int height, QWidget* parent)
    : ZRectangle(background, parent)
{
    if (width > 0)
        setFixedWidth(width);
    if (height > 0)
        setFixedHeight(height);
}

void ZRectangle::setBackground(const QColor& color)
{
    backgroundColor = color;
    brush = QBrush(color);
    update();
}

void ZRectangle::setBorderColor(const QColor& color)
{
    border = color;
    pen = QPen(color, 1);
    update();
}

void ZRectangle::setBorder(const QColor& color, quint16 width)
{
    borderWidth = width;
    setBorderColor(color);
}

void ZRectangle::setBorderRadius(int radius)
{
    setBorderRadius(radius, radius, radius, radius);
}

void ZRectangle::setBorderRadius(int newTopLeft, int newTopRight, int newBottomRight, int newBottomLeft)
{
    topLeft = std::max(newTopLeft, 0);
    topRight = std::max(newTopRight, 0);
    bottomRight = std::max(newBottomRight, 0);
    bottomLeft = std::max(newBottomLeft, 0);
    rounded = topLeft > 0 || topRight > 0 || bottomRight > 0 || bottomLeft > 0;
    uniform = topLeft == topRight && topLeft == bottomRight && topLeft == bottomLeft;
    // The corners changed: the path is built anew at the next paint.
    pathSize = QSize();
    update();
}

void ZRectangle::addWidget(QWidget* widget)
{
    if (!layout) {
        layout = new QGridLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    UIHelper::ClearLayout(layout, false);
    if (widget)
        layout->addWidget(widget, 0, 0);
}

QGridLayout* ZRectangle::innerLayout() const
{
    return layout;
}

QColor ZRectangle::background() const
{
    return backgroundColor;
}

QColor ZRectangle::borderColor() const
{
    return border;
}

void ZRectangle::paintEvent(QPaintEvent*)
{
    if (width() < 2 && height() < 2)
        return;
    QPainter painter(this);
    painter.setPen(pen);
    painter.setBrush(brush);
    const QRectF area(0, 0, width() - 1, height() - 1);
    if (!rounded) {
        painter.drawRect(area);
        return;
    }
    painter.translate(0.5, 0.5);
    painter.setRenderHint(QPainter::Antialiasing);
    if (uniform)
        painter.drawRoundedRect(area, topLeft, topLeft, Qt::AbsoluteSize);
    else
        painter.drawPath(cornerPath(size()));
}

const QPainterPath& ZRectangle::cornerPath(const QSize& size)
{
    if (size == pathSize)
        return path;
    const int w = size.width() - 1;
    const int h = size.height() - 1;
    const int left = std::max(topLeft, bottomLeft);
    const int right = std::max(topRight, bottomRight);
    const int top = std::max(topLeft, topRight);
    const int bottom = std::max(bottomLeft, bottomRight);
    QPainterPath corners;
    corners.setFillRule(Qt::WindingFill);
    const auto addCircle = [&corners](int x, int y, int radius) {
        if (radius > 0)
            corners.addEllipse(x, y, 2 * radius, 2 * radius);
    };
    if (left > 0) {
        corners.addRect(0, topLeft, left, h - bottomLeft - topLeft);
        addCircle(0, 0, topLeft);
        addCircle(0, h - 2 * bottomLeft, bottomLeft);
    }
    if (right > 0) {
        corners.addRect(w - right, topRight, right, h - bottomRight - topRight);
        addCircle(w - 2 * topRight, 0, topRight);
        addCircle(w - 2 * bottomRight, h - 2 * bottomRight, bottomRight);
    }
    corners.addRect(topLeft, 0, w - topRight - topLeft, top);
    corners.addRect(bottomLeft, h - bottom, w - bottomRight - bottomLeft, bottom);
    corners.addRect(left, top, w - right - left, h - bottom - top);
    path = corners.simplified();
    pathSize = size;
    return path;
}
