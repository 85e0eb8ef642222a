#include "ZSlider.h"

#include "CursorHelper.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

ZSlider::ZSlider(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(30, 10);
    CursorHelper::setCursor(this, Qt::PointingHandCursor);
}

void ZSlider::setRange(qint64 min, qint64 max)
{
    minimum = min;
    maximum = std::max(min, max);
    position = std::clamp(position, minimum, maximum);
    update();
}

void ZSlider::setPosition(qint64 value)
{
    position = std::clamp(value, minimum, maximum);
    update();
}

qint64 ZSlider::getMinimum() const
{
    return minimum;
}

qint64 ZSlider::getMaximum() const
{
    return maximum;
}

qint64 ZSlider::getPosition() const
{
    return position;
}

void ZSlider::mousePressEvent(QMouseEvent* event)
{
    setMouseTracking(true);
    positionFromMouse(event);
}

void ZSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        positionFromMouse(event);
}

void ZSlider::mouseReleaseEvent(QMouseEvent* event)
{
    positionFromMouse(event);
    setMouseTracking(false);
}

void ZSlider::positionFromMouse(const QMouseEvent* event)
{
    const int x = std::clamp(event->position().toPoint().x(), 0, usableWidth());
    // Unsigned: the range may span more than a signed 64-bit number holds.
    const auto clicked = qint64(quint64(minimum) + scaled(quint64(x), quint64(usableWidth()), span()));
    if (clicked != position) {
        position = clicked;
        emit positionChanged(position);
    }
    update();
    emit positionClicked(position);
}

int ZSlider::usableWidth() const
{
    return std::max(width() - markerWidth, 1);
}

quint64 ZSlider::span() const
{
    return quint64(maximum) - quint64(minimum);
}

quint64 ZSlider::scaled(quint64 part, quint64 length, quint64 whole)
{
    // A 64-bit product would overflow for large ranges; 128 bits hold it exactly.
    using Wide = unsigned __int128;
    return quint64(Wide(whole) * Wide(part) / Wide(length));
}

void ZSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!painter.isActive())
        return;
    painter.fillRect(rect(), Qt::transparent);
    painter.setRenderHint(QPainter::Antialiasing);
    const int h = height();
    const int half = h / 2;
    const int usable = usableWidth();
    painter.fillRect(QRect(leftMargin, half, usable, half), grooveColor);
    if (maximum <= minimum)
        return;
    const int fill = int(scaled(quint64(position) - quint64(minimum), span(), quint64(std::max(usable - 2, 0))));
    if (fill > 0)
        painter.fillRect(QRect(leftMargin + 1, 1 + half, fill, half - 2), fillColor);
    const QPolygon marker({{fill, 0},
                           {markerWidth + fill, 0},
                           {markerWidth + fill, h / 4 + 1},
                           {leftMargin + fill, half},
                           {fill, h / 4 + 1},
                           {fill, 0}});
    painter.setBrush(markerColor);
    painter.drawPolygon(marker, Qt::OddEvenFill);
}
