#include "MyVideoSink.h"

#include "Clock.h"

#include <QCoreApplication>
#include <QMetaType>

namespace {
constexpr int framesPerSecondWithClock = 12;

// The names under which the enumerators appear in the translation files.
[[maybe_unused]] constexpr const char* transformationNames[] = {
    QT_TRANSLATE_NOOP("VideoTransformationType", "NoTransformation"),
    QT_TRANSLATE_NOOP("VideoTransformationType", "Rotate180"),
    QT_TRANSLATE_NOOP("VideoTransformationType", "MirrorX"),
    QT_TRANSLATE_NOOP("VideoTransformationType", "MirrorY"),
};
} // namespace

MyVideoSink::MyVideoSink(QObject* parent)
    : QVideoSink(parent)
{
    static const int registered = qRegisterMetaType<VideoTransformationType>("VideoTransformationType");
    Q_UNUSED(registered)
    connections << connect(this, &QVideoSink::videoFrameChanged, this, &MyVideoSink::newFrame);
}

void MyVideoSink::setPreviewSink(QVideoSink* sink)
{
    previewSink = sink;
}

void MyVideoSink::setTransformation(VideoTransformationType type)
{
    transformation = type;
}

MyVideoSink::VideoTransformationType MyVideoSink::getTransformation() const
{
    return transformation;
}

void MyVideoSink::setRateClock(const Clock* clock)
{
    rateClock = clock;
    rateStartMs = clock ? clock->monotonicMs() : 0;
}

void MyVideoSink::setFixedRateLimit(int frames)
{
    fixedRateLimit = frames;
}

QImage MyVideoSink::lastImage() const
{
    return last;
}

bool MyVideoSink::passesRateLimit()
{
    if (!previewSink)
        return true;
    const qint64 limit =
        rateClock ? (rateClock->monotonicMs() - rateStartMs) * framesPerSecondWithClock / 1000 : fixedRateLimit;
    if (limit > 0 && forwardedCount > limit + 1)
        return false;
    ++forwardedCount;
    return true;
}

void MyVideoSink::newFrame(const QVideoFrame& frame)
{
    if (!passesRateLimit())
        return;
    QVideoFrame copy = frame;
    if (rateClock)
        copy.setStartTime((rateClock->monotonicMs() - rateStartMs) * 1000);
    if (previewSink)
        previewSink->setVideoFrame(frame);
    if (!copy.map(QVideoFrame::ReadOnly))
        return;
    if (copy.isValid()) {
        const bool horizontal = transformation == Rotate180 || transformation == MirrorX;
        const bool vertical = transformation == Rotate180 || transformation == MirrorY;
        last = copy.toImage().mirrored(horizontal, vertical);
        emit newImage(last);
    }
    copy.unmap();
}
