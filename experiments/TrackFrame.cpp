#include "TrackFrame.h"

namespace {

QDataStream& readAfterTime(QDataStream& stream, TrackFrame& frame)
{
    return stream >> frame.pointAX >> frame.pointAY >> frame.reservedValue >> frame.pointBX >> frame.pointBY
           >> frame.centerX >> frame.centerY >> frame.rectX >> frame.rectY >> frame.rectWidth >> frame.rectHeight
           >> frame.reservedFlag >> frame.area >> frame.image;
}

} // namespace

void TrackFrame::setCenter(QPoint point)
{
    centerX = point.x();
    centerY = point.y();
}

void TrackFrame::setRect(const QRect& rect)
{
    rectX = rect.x();
    rectY = rect.y();
    rectWidth = rect.width();
    rectHeight = rect.height();
}

bool TrackFrame::fitsFrame(QSize size) const
{
    if (!detected)
        return true;
    const qint64 frameArea = qint64(size.width()) * size.height();
    return QRect(QPoint(0, 0), size).contains(center()) && area >= 0 && area <= frameArea;
}

QDataStream& operator<<(QDataStream& stream, const TrackFrame& frame)
{
    stream << frame.detected;
    if (!frame.detected)
        return stream;
    return stream << frame.timeMs << frame.pointAX << frame.pointAY << frame.reservedValue << frame.pointBX
                  << frame.pointBY << frame.centerX << frame.centerY << frame.rectX << frame.rectY << frame.rectWidth
                  << frame.rectHeight << frame.reservedFlag << frame.area << frame.image;
}

QDataStream& operator>>(QDataStream& stream, TrackFrame& frame)
{
    stream >> frame.detected;
    if (!frame.detected)
        return stream;
    stream >> frame.timeMs;
    return readAfterTime(stream, frame);
}

QDataStream& readTrackFrameLegacy(QDataStream& stream, TrackFrame& frame)
{
    stream >> frame.detected;
    if (!frame.detected)
        return stream;
    return readAfterTime(stream, frame);
}
