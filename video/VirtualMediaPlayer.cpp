#include "VirtualMediaPlayer.h"

#include "VideoFrameFromImage.h"

#include <QPainter>

namespace {
const QSize animationSize(640, 480);
constexpr int discSize = 100;
constexpr int discStart = 100;
} // namespace

VirtualMediaPlayer::VirtualMediaPlayer(QObject* parent)
    : QObject(parent)
{
    timer.setInterval(defaultIntervalMs);
    connect(&timer, &QTimer::timeout, this, &VirtualMediaPlayer::pushNextFrame);
}

void VirtualMediaPlayer::setVideoSink(QVideoSink* newSink)
{
    sink = newSink;
}

QVideoSink* VirtualMediaPlayer::videoSink() const
{
    return sink;
}

void VirtualMediaPlayer::play()
{
    timer.start();
    emit played();
}

void VirtualMediaPlayer::stop()
{
    timer.stop();
}

bool VirtualMediaPlayer::isPlaying() const
{
    return timer.isActive();
}

int VirtualMediaPlayer::intervalMs() const
{
    return timer.interval();
}

int VirtualMediaPlayer::frameIndex() const
{
    return index;
}

QImage VirtualMediaPlayer::animationFrame(int frame)
{
    QImage image(animationSize, QImage::Format_RGB888);
    image.fill(Qt::gray);
    QPainter painter(&image);
    painter.setBrush(Qt::red);
    painter.drawEllipse(discStart + frame, discStart, discSize, discSize);
    return image;
}

void VirtualMediaPlayer::pushNextFrame()
{
    const QImage image = nextImage();
    if (sink && !image.isNull())
        sink->setVideoFrame(videoFrameFromImage(image));
}

// The index counts the frames shown in the current pass, 1 .. 100, so the frame shown is the one
// numbered index − 1 and the hundredth step shows the last frame, never one past it.
QImage VirtualMediaPlayer::nextImage()
{
    index = (index < animationFrames ? index : 0) + 1;
    return animationFrame(index - 1);
}

void VirtualMediaPlayer::setIntervalMs(int ms)
{
    timer.setInterval(ms);
}
