#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QPoint>
#include <QRect>
#include <QSize>

// What the detector saw in one camera frame, as stored per frame in a run's track file.
// An undetected frame is stored as its flag alone.
struct TrackFrame
{
    bool detected = false;
    qint64 timeMs = 0;
    int pointAX = 0;
    int pointAY = 0;
    double reservedValue = 0.0;
    int pointBX = 0;
    int pointBY = 0;
    int centerX = 0;
    int centerY = 0;
    int rectX = 0;
    int rectY = 0;
    int rectWidth = 0;
    int rectHeight = 0;
    bool reservedFlag = false;
    int area = 0;
    QByteArray image;

    QPoint center() const { return {centerX, centerY}; }
    QPoint pointA() const { return {pointAX, pointAY}; }
    QPoint pointB() const { return {pointBX, pointBY}; }
    QRect rect() const { return {rectX, rectY, rectWidth, rectHeight}; }
    void setCenter(QPoint point);
    void setRect(const QRect& rect);
    // Whether the detector can have written these values for a frame of `size`: the centre lies
    // in the frame and the area is no larger than the frame. An undetected frame always fits.
    bool fitsFrame(QSize size) const;
};

// The layout of Track.tdata.
QDataStream& operator<<(QDataStream& stream, const TrackFrame& frame);
QDataStream& operator>>(QDataStream& stream, TrackFrame& frame);
// The layout of the older Track.data: the same record without the time stamp. Read only.
QDataStream& readTrackFrameLegacy(QDataStream& stream, TrackFrame& frame);
