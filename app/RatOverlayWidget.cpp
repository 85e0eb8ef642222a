#include "RatOverlayWidget.h"

#include "TrackDataFile.h"

#include <QPainter>

namespace {
// On screen, whatever the zoom.
constexpr double markerRadius = 5.0;
const QColor firstMarker(0x77, 0xBB, 0x11);
const QColor secondMarker(0xBB, 0x55, 0x11);
} // namespace

RatOverlayWidget::RatOverlayWidget(QWidget* parent)
    : PlayableOverlay(QStringLiteral("RatOverlay"), parent)
{
}

void RatOverlayWidget::setFrame(int index)
{
    TrackDataFile* file = trackFile();
    if (!isVisible() || !file || !file->claim())
        return;
    track().readFrame(*file, index, record);
    file->release();
    blob = record.detected && !record.image.isEmpty() ? QImage::fromData(record.image) : QImage();
    update();
}

void RatOverlayWidget::paintOverlay(QPainter& painter)
{
    if (!trackFile() || !record.detected)
        return;
    if (!blob.isNull()) {
        painter.setOpacity(0.5);
        const QRect placed = blob.size() == record.rect().size() ? record.rect() : QRect(QPoint(0, 0), videoSize());
        painter.drawImage(placed, blob);
    }
    painter.setOpacity(1.0);
    painter.setPen(Qt::NoPen);
    paintMarker(painter, record.pointA(), firstMarker);
    paintMarker(painter, record.pointB(), secondMarker);
}

// Points at 0 on either axis are the ones the experiment leaves unset.
void RatOverlayWidget::paintMarker(QPainter& painter, QPoint point, const QColor& colour) const
{
    if (point.x() < 1 || point.y() < 1 || scale() <= 0)
        return;
    const double radius = markerRadius / scale();
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(point), radius, radius);
}
