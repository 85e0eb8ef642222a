#pragma once

#include "ConnectionHelper.h"

#include <QColor>
#include <QImage>
#include <QMediaPlayer>
#include <QMutex>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QAudioOutput;
class QVideoFrame;
class QVideoSink;

namespace ZCV {

// Plays a local video file inside the widget, painted aspect-fitted on a dark background, and
// tells where on screen the video lies (resized) so that overlays can be drawn over it in
// video coordinates. Loading a file or seeking shows the frame there and stays paused until
// play() is asked for.
//
// The stream's size and rate come from the media's metadata when the back end gives them at
// loading (FFmpeg does, GStreamer not always), else from the first decoded frame.
class VideoPlayer : public QWidget
{
    Q_OBJECT

public:
    explicit VideoPlayer(QWidget* parent = nullptr);
    ~VideoPlayer() override;

    void setSource(const QString& path);
    void unload();
    void play();
    void pause();
    void setPosition(qint64 ms);

    qint64 duration() const;
    qint64 position() const;
    double frameRate() const;
    QSize videoSize() const;
    QString source() const;
    QRect videoRect() const;
    // Paints the frames in grey levels.
    void setGrayscale(bool on);

signals:
    void positionChanged(qlonglong posMs);
    void durationChanged(qlonglong durationMs);
    void videoFrameRateChanged(double frameRate);
    void videoSizeChanged(QSize videoSize);
    void videoLoaded();
    void videoFinished();
    void playbackStateChanged(QMediaPlayer::PlaybackState state);
    void resized(QRect rect, double whRatio, double visRatio);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onPlaybackStateChanged(QMediaPlayer::PlaybackState state);
    void onVideoFrame(const QVideoFrame& frame);
    qint64 landingPlace(const QVideoFrame& videoFrame) const;
    bool isOfThePlaceHeld(const QVideoFrame& videoFrame) const;
    bool renewSeekCutOffByTheEnd();
    void takeMetaData();
    void setStreamSize(QSize size);
    void setStreamRate(double rate);
    void placeVideo();

    QMediaPlayer* player;
    QVideoSink* sink;
    QAudioOutput* audioOutput = nullptr;
    QSize streamSize;
    QImage frame;
    QColor background{0x33, 0x33, 0x33};
    mutable QMutex frameMutex;
    bool grayscale = false;
    double streamRate = 0;
    bool pauseOnNextFrame = true;
    qint64 soughtMs = -1;      // while a seek waits for its frame
    bool holdingFrame = false; // paused on a frame of its own accord
    qint64 heldMs = 0;         // where the frame held is
    bool seekRenewed = false;
    bool controlEnabled = true;
    bool loadAnnounced = false;
    QRect fitted;
    ConnectionHelper connections;
};

} // namespace ZCV
