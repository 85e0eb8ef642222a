#include "VideoPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaMetaData>
#include <QMutexLocker>
#include <QPainter>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <cmath>

namespace ZCV {

VideoPlayer::VideoPlayer(QWidget* parent)
    : QWidget(parent)
    , player(new QMediaPlayer(this))
    , sink(new QVideoSink(this))
{
    const QAudioDevice speaker = QMediaDevices::defaultAudioOutput();
    if (!speaker.isNull()) {
        audioOutput = new QAudioOutput(speaker, this);
        player->setAudioOutput(audioOutput);
    }
    player->setVideoSink(sink);
    connections << connect(player, &QMediaPlayer::mediaStatusChanged, this, &VideoPlayer::onMediaStatusChanged,
                           Qt::QueuedConnection);
    connections << connect(player, &QMediaPlayer::playbackStateChanged, this, &VideoPlayer::onPlaybackStateChanged,
                           Qt::QueuedConnection);
    connections << connect(player, &QMediaPlayer::positionChanged, this, &VideoPlayer::positionChanged,
                           Qt::QueuedConnection);
    connections << connect(sink, &QVideoSink::videoFrameChanged, this, &VideoPlayer::onVideoFrame,
                           Qt::QueuedConnection);
    unload();
}

VideoPlayer::~VideoPlayer()
{
    connections.clear();
    player->stop();
}

void VideoPlayer::setSource(const QString& path)
{
    if (controlEnabled)
        player->pause();
    unload();
    player->setSource(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
    pauseOnNextFrame = true;
}

void VideoPlayer::unload()
{
    loadAnnounced = false;
    soughtMs = -1;
    holdingFrame = false;
    seekRenewed = false;
    streamSize = QSize();
    streamRate = 0;
    {
        QMutexLocker lock(&frameMutex);
        frame = QImage();
    }
    controlEnabled = false;
    player->stop();
    player->setPosition(0);
    player->setSource(QUrl());
    controlEnabled = true;
    placeVideo();
    update();
}

void VideoPlayer::play()
{
    pauseOnNextFrame = false;
    soughtMs = -1;
    holdingFrame = false;
    if (controlEnabled)
        player->play();
}

void VideoPlayer::pause()
{
    if (controlEnabled)
        player->pause();
}

void VideoPlayer::setPosition(qint64 ms)
{
    if (controlEnabled)
        player->setPosition(ms);
    soughtMs = ms;
    pauseOnNextFrame = true;
    holdingFrame = false;
    seekRenewed = false;
    if (controlEnabled)
        player->play();
}

qint64 VideoPlayer::duration() const
{
    return player->duration();
}

qint64 VideoPlayer::position() const
{
    return player->position();
}

double VideoPlayer::frameRate() const
{
    return streamRate;
}

QSize VideoPlayer::videoSize() const
{
    return streamSize;
}

QString VideoPlayer::source() const
{
    return player->source().toString();
}

QRect VideoPlayer::videoRect() const
{
    return fitted;
}

void VideoPlayer::setGrayscale(bool on)
{
    grayscale = on;
    update();
}

void VideoPlayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background);
    QMutexLocker lock(&frameMutex);
    if (frame.isNull() || fitted.width() <= 0)
        return;
    const QImage shown = grayscale ? frame.convertToFormat(QImage::Format_Grayscale8) : frame;
    painter.drawImage(fitted.topLeft(), shown.scaled(fitted.size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}

void VideoPlayer::resizeEvent(QResizeEvent*)
{
    placeVideo();
}

void VideoPlayer::onMediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (!controlEnabled)
        return;
    // Statuses arrive queued: a LoadedMedia left from the file before (its stop) may come after
    // the next file was set. A load is announced once, when the player has it loaded.
    if (status == QMediaPlayer::LoadedMedia && player->mediaStatus() == QMediaPlayer::LoadedMedia && !loadAnnounced
        && !player->source().isEmpty()) {
        loadAnnounced = true;
        emit videoLoaded();
        emit durationChanged(player->duration());
        takeMetaData();
        // Plays until the first frame is shown, then pauses on it. Started here: the FFmpeg back
        // end buffers nothing before it is asked to play.
        if (player->playbackState() != QMediaPlayer::PlayingState) {
            pauseOnNextFrame = true;
            player->play();
        }
    } else if (status == QMediaPlayer::EndOfMedia && !renewSeekCutOffByTheEnd()) {
        emit videoFinished();
    }
}

void VideoPlayer::onPlaybackStateChanged(QMediaPlayer::PlaybackState state)
{
    // Holding a frame it paused on, the back end stops only at an end that came late, after
    // which the frame's place is taken again: that stop is not told.
    if (holdingFrame && state == QMediaPlayer::StoppedState)
        return;
    emit playbackStateChanged(state);
}

void VideoPlayer::onVideoFrame(const QVideoFrame& videoFrame)
{
    // Frames of the file before can come after the next was set, and frames the back end had
    // on their way before it paused would replace the frame paused on. Only the frame of the place
    // held, which the back end shows once it has gone back there, replaces it: the frame paused
    // on can be a later one, where the back end dropped the frames there as late (FFmpeg does on
    // a busy machine), and the overlays follow the place held.
    if (!videoFrame.isValid() || !loadAnnounced || (holdingFrame && !isOfThePlaceHeld(videoFrame)))
        return;
    QVideoFrame copy = videoFrame;
    if (copy.map(QVideoFrame::ReadOnly)) {
        const QImage image = copy.toImage();
        copy.unmap();
        {
            QMutexLocker lock(&frameMutex);
            frame = image;
        }
        setStreamSize(image.size());
        setStreamRate(videoFrame.surfaceFormat().frameRate());
        update();
    }
    const qint64 shownMs = pauseOnNextFrame ? landingPlace(videoFrame) : -1;
    if (shownMs >= 0) {
        pauseOnNextFrame = false;
        soughtMs = -1;
        holdingFrame = true;
        heldMs = shownMs;
        if (controlEnabled) {
            player->pause();
            // The back end can play on before the pause takes hold (GStreamer for 300 ms on a
            // busy machine), and the overlays follow its position: it goes back to the frame shown.
            player->setPosition(shownMs);
        }
        update();
        emit playbackStateChanged(QMediaPlayer::PausedState);
    }
}

// A back end that reached the end of the video just before a seek can take its end in after
// the seek (FFmpeg then stops at the end, GStreamer where it was sought, showing nothing): the
// seek is lost. An end that comes while a seek waits for its frame, or while the player holds
// the frame it paused on, is such a late end, and not told: the seek is made again, once.
// It is asked for again after the play or pause: at its end GStreamer takes a seek to where it
// already is for none, and then goes back to the start when asked to play or pause.
bool VideoPlayer::renewSeekCutOffByTheEnd()
{
    const bool seeking = pauseOnNextFrame && soughtMs >= 0;
    if (seekRenewed || !controlEnabled || (!seeking && !holdingFrame))
        return false;
    seekRenewed = true;
    const qint64 place = seeking ? soughtMs : heldMs;
    player->setPosition(place);
    if (seeking)
        player->play();
    else
        player->pause();
    player->setPosition(place);
    return true;
}

bool VideoPlayer::isOfThePlaceHeld(const QVideoFrame& videoFrame) const
{
    if (videoFrame.startTime() < 0)
        return false;
    const qint64 frameMs = videoFrame.startTime() / 1000;
    return streamRate > 0 ? std::abs(double(frameMs - heldMs)) < 1000.0 / streamRate : frameMs == heldMs;
}

// Where a frame that comes while the player waits to pause leaves it, or -1 to wait on. Frames
// decoded before a seek can still wait in this thread's queue when they come (several on a busy
// machine), so the pause after a seek waits for a frame at the place sought (GStreamer lands on
// it, FFmpeg on the first frame after it). A back end that falls behind can drop the frames
// there (GStreamer does) and play on: a frame past that place where the back end now plays is
// taken too, and the position follows that frame. A frame without a time is taken as it comes.
qint64 VideoPlayer::landingPlace(const QVideoFrame& videoFrame) const
{
    const qint64 frameMs = videoFrame.startTime() / 1000;
    if (soughtMs < 0)
        return std::max<qint64>(0, frameMs);
    if (videoFrame.startTime() < 0)
        return soughtMs;
    const double frameInterval = streamRate > 0 ? 1000.0 / streamRate : 0;
    const double tolerance = std::max(100.0, 2 * frameInterval);
    if (std::abs(double(frameMs - soughtMs)) <= tolerance)
        return soughtMs;
    // The back end tells its position every 100 ms.
    if (frameMs > soughtMs && std::abs(double(frameMs - player->position())) <= tolerance + 100)
        return frameMs;
    return -1;
}

void VideoPlayer::takeMetaData()
{
    const QMediaMetaData metaData = player->metaData();
    setStreamSize(metaData.value(QMediaMetaData::Resolution).toSize());
    setStreamRate(metaData.value(QMediaMetaData::VideoFrameRate).toDouble());
}

// Known once: the first of the metadata and the first decoded frame that tells it.
void VideoPlayer::setStreamSize(QSize size)
{
    if (size.isEmpty() || !streamSize.isEmpty())
        return;
    streamSize = size;
    emit videoSizeChanged(streamSize);
    placeVideo();
}

void VideoPlayer::setStreamRate(double rate)
{
    if (!(rate > 0) || streamRate > 0)
        return;
    streamRate = rate;
    emit videoFrameRateChanged(streamRate);
}

void VideoPlayer::placeVideo()
{
    if (streamSize.isEmpty()) {
        fitted = QRect();
        emit resized(QRect(), 0, 0);
        return;
    }
    const double ratio = double(streamSize.width()) / streamSize.height();
    if (double(width()) / height() > ratio) {
        const int fittedWidth = int(height() * ratio);
        fitted = QRect((width() - fittedWidth) / 2, 0, fittedWidth, height());
    } else {
        const int fittedHeight = int(width() / ratio);
        fitted = QRect(0, (height() - fittedHeight) / 2, width(), fittedHeight);
    }
    emit resized(fitted, ratio, double(fitted.width()) / streamSize.width());
}

} // namespace ZCV
