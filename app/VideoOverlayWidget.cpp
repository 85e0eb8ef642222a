#include "VideoOverlayWidget.h"

#include <QPainter>

namespace {
// Smaller, the widget is still being laid out and there is nothing to see.
constexpr int smallestPainted = 10;
} // namespace

VideoOverlayWidget::VideoOverlayWidget(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void VideoOverlayWidget::setVideoSize(QSize size)
{
    video = size;
    updateGeometry();
    update();
}

void VideoOverlayWidget::setVideoMapping(float scale, int x, int y)
{
    zoom = scale;
    offsetX = x;
    offsetY = y;
    update();
}

QSize VideoOverlayWidget::sizeHint() const
{
    return video;
}

void VideoOverlayWidget::paintEvent(QPaintEvent*)
{
    if (width() < smallestPainted || height() < smallestPainted)
        return;
    QPainter painter(this);
    painter.translate(offsetX, offsetY);
    painter.scale(zoom, zoom);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::blue);
    painter.fillRect(QRect(QPoint(0, 0), video), Qt::transparent);
    paintOverlay(painter);
}
