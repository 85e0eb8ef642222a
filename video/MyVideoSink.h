#pragma once

#include "ConnectionHelper.h"

#include <QImage>
#include <QVideoFrame>
#include <QVideoSink>

class Clock;

// The camera view's frame sink: hands each frame on to the preview sink of the platform's video
// widget, optionally at a limited rate, and emits it as an image, mirrored as the camera is
// mounted, for display, detection and recording.
class MyVideoSink : public QVideoSink
{
    Q_OBJECT

public:
    enum VideoTransformationType {
        NoTransformation = 0,
        Rotate180 = 1,
        MirrorX = 2,
        MirrorY = 3,
    };
    Q_ENUM(VideoTransformationType)

    explicit MyVideoSink(QObject* parent = nullptr);

    // Without a preview sink nothing is forwarded and nothing is limited.
    void setPreviewSink(QVideoSink* sink);
    void setTransformation(VideoTransformationType type);
    VideoTransformationType getTransformation() const;
    // With a clock, at most 12 frames per second since the clock was attached are handled (two
    // frames of slack), and each frame is stamped with the time since then.
    void setRateClock(const Clock* clock);
    // Without a clock: at most this many frames (two of slack) are handled at all; 0 = no limit.
    void setFixedRateLimit(int frames);
    QImage lastImage() const;

public slots:
    void newFrame(const QVideoFrame& frame);

signals:
    void newImage(const QImage& image);

private:
    // Whether the frame is to be handled; counts it as forwarded when it is.
    bool passesRateLimit();

    int fixedRateLimit = 0;
    QVideoSink* previewSink = nullptr;
    QImage last;
    ConnectionHelper connections;
    const Clock* rateClock = nullptr;
    qint64 rateStartMs = 0;
    int forwardedCount = 0;
    VideoTransformationType transformation = NoTransformation;
};
